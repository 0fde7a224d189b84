#pragma once

#include <QByteArray>
#include <QSettings>
#include <QString>

#include <optional>

class QIODevice;

// The preferences file format: one flat JSON object whose values keep their QVariant
// types. Plain JSON strings, numbers and booleans are QString, double and bool; an array
// of strings is a QStringList; null is an invalid QVariant. Types JSON cannot carry are
// written as an object with a single tag member, and since no plain value is ever an
// object, a tag can never be mistaken for user data:
//     {"$int": "123"}        qlonglong (qulonglong when above the signed range)
//     {"$bytes": "<base64>"} QByteArray
//     {"$double": "nan"}     a non-finite double ("nan", "inf", "-inf")
// Any other value (another tag, an array that is not all strings, a nested object) is
// what a newer version wrote: it reads as a QJsonValue, which no reader of the store takes
// for a setting, and is written back unchanged. A known tag whose payload is damaged is
// left out, alone.
namespace JsonSettingsFormat {

// Callbacks for QSettings::registerFormat. A file that cannot be decoded reads as an
// empty map; before anything can overwrite it, its bytes are kept at corruptCopyPath().
// If that copy cannot be made, write() refuses to replace the file.
bool read(QIODevice& device, QSettings::SettingsMap& map);
bool write(QIODevice& device, const QSettings::SettingsMap& map);

// No value when the bytes are not a JSON object.
std::optional<QSettings::SettingsMap> decode(const QByteArray& bytes);

// Values of types the format cannot hold are left out with a warning.
QByteArray encode(const QSettings::SettingsMap& map);

QString corruptCopyPath(const QString& filePath);

} // namespace JsonSettingsFormat
