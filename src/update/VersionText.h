#pragma once

#include <QString>

// The running program's version as people read it: "1.2.0 (45)", the version and then the
// build number in parentheses; a part that is missing reads "不明".
namespace VersionText {

QString format(const QString& shortVersion, const QString& build);
QString current(); // from AppInfo
QString named();   // the program's name and then current(): "Shiguren 1.2.0 (45)"

} // namespace VersionText
