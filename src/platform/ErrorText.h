#pragma once

#include <QNetworkReply>
#include <QString>

// Japanese descriptions of failures, placed inside the full-width parentheses of the
// messages the user sees: "レーダー情報を取得できませんでした（" + description + "）".
namespace ErrorText {

QString network(QNetworkReply::NetworkError error, bool wholeTransferTimedOut = false);
QString httpStatus(int status);
QString badUrl();
QString dataFormat();
// A document over DocumentLimit::kMaxBytes.
QString documentTooLarge();

} // namespace ErrorText
