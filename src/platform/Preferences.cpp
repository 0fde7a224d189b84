#include "platform/Preferences.h"

#include "platform/JsonSettingsFormat.h"
#include "platform/Logging.h"

#include <QDir>
#include <QStandardPaths>

namespace Preferences {

QSettings::Format jsonFormat()
{
    // Each registerFormat call adds a new format; a function-local static registers
    // exactly once, also when the first callers race on different threads.
    static const QSettings::Format format = QSettings::registerFormat(
        QStringLiteral("json"), &JsonSettingsFormat::read, &JsonSettingsFormat::write);
    return format;
}

std::unique_ptr<QSettings> openStandard()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (!QDir().mkpath(folder))
        qCWarning(lcApp) << "Cannot create the settings folder" << folder;
    return openFile(QDir(folder).filePath(QStringLiteral("settings.json")));
}

std::unique_ptr<QSettings> openFile(const QString& path)
{
    return std::make_unique<QSettings>(path, jsonFormat());
}

} // namespace Preferences
