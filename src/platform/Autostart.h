#pragma once

#include <QString>

// The XDG autostart entry that starts Shiguren when the user logs in to the desktop. The
// entry itself is the setting: desktops let users switch it off in their own settings
// (Hidden=true, X-GNOME-Autostart-enabled=false), and that counts as off here too.
namespace Autostart {

QString entryPath(); // <XDG config>/autostart/<application id>.desktop

bool isEnabled();

// Writes or removes the entry for the running program; false when that cannot be done.
bool setEnabled(bool enabled);

// `program` as the Exec key of a desktop entry: bare when it needs no quoting.
QString execValue(const QString& program);

} // namespace Autostart
