#include "platform/ErrorText.h"

#include "platform/DocumentLimit.h"

namespace ErrorText {

QString network(QNetworkReply::NetworkError error, bool wholeTransferTimedOut)
{
    if (wholeTransferTimedOut)
        return QStringLiteral("要求がタイムアウトしました");
    switch (error) {
    case QNetworkReply::NoError:
        return QStringLiteral("エラーはありません");
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("サーバに接続できませんでした");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("ネットワーク接続が切れました");
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("指定されたホスト名のサーバが見つかりませんでした");
    case QNetworkReply::TimeoutError:
        return QStringLiteral("要求がタイムアウトしました");
    case QNetworkReply::OperationCanceledError:
        return QStringLiteral("通信が取り消されました");
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("サーバと安全に接続できませんでした");
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
        return QStringLiteral("インターネットに接続されていないようです");
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::ProxyAuthenticationRequiredError:
        return QStringLiteral("プロキシ経由で接続できませんでした");
    case QNetworkReply::ProtocolInvalidOperationError:
    case QNetworkReply::ProtocolFailure:
    case QNetworkReply::ProtocolUnknownError:
        return QStringLiteral("サーバの応答を解釈できませんでした");
    default:
        break;
    }
    return QStringLiteral("通信エラーが発生しました: コード %1").arg(int(error));
}

QString httpStatus(int status)
{
    return QStringLiteral("サーバがエラーを返しました: HTTP %1").arg(status);
}

QString badUrl()
{
    return QStringLiteral("URL が正しくありません");
}

QString dataFormat()
{
    return QStringLiteral("データが正しい形式ではないため読み込めませんでした");
}

QString documentTooLarge()
{
    return QStringLiteral("データが上限の %1 MB を超えているため読み込めませんでした")
        .arg(DocumentLimit::kMaxBytes / (1024 * 1024));
}

} // namespace ErrorText
