#pragma once

#include <QString>

// Identity of the application: one reverse-DNS id for the desktop file, the log
// categories, the settings file and the cache folders.
namespace AppInfo {

QString applicationId();   // e.g. "jp.shiguren.Shiguren"
QString applicationName(); // "Shiguren"
QString displayName();     // name shown in window titles
QString version();         // CMake project version, e.g. "0.1.0"
QString buildNumber();

} // namespace AppInfo
