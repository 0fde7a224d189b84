#pragma once

#include <QSettings>
#include <QString>

#include <memory>

// The preferences store. The rest of the program receives the returned QSettings as its
// store handle; values keep their types across restarts (see JsonSettingsFormat.h).
namespace Preferences {

// Registered with QSettings on first use; every call returns the same format.
QSettings::Format jsonFormat();

// "settings.json" in the per-user application configuration folder, which is created
// if missing.
std::unique_ptr<QSettings> openStandard();

std::unique_ptr<QSettings> openFile(const QString& path);

} // namespace Preferences
