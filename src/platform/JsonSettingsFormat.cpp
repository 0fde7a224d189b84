#include "platform/JsonSettingsFormat.h"

#include "platform/Logging.h"

#include <QFile>
#include <QFileDevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QMutex>
#include <QSaveFile>
#include <QSet>
#include <QStringList>

#include <cmath>
#include <limits>

namespace JsonSettingsFormat {

namespace {

const QLatin1String integerTag("$int");
const QLatin1String bytesTag("$bytes");
const QLatin1String doubleTag("$double");

QJsonObject tagged(QLatin1String tag, const QString& payload)
{
    return QJsonObject{{tag, payload}};
}

QString nonFiniteText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("nan");
    return value > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
}

std::optional<double> nonFiniteFromText(const QString& text)
{
    if (text == QLatin1String("nan"))
        return std::numeric_limits<double>::quiet_NaN();
    if (text == QLatin1String("inf"))
        return std::numeric_limits<double>::infinity();
    if (text == QLatin1String("-inf"))
        return -std::numeric_limits<double>::infinity();
    return std::nullopt;
}

std::optional<QJsonValue> encodeValue(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return QJsonValue(QJsonValue::Null);
    case QMetaType::Bool:
        return QJsonValue(value.toBool());
    case QMetaType::QString:
        return QJsonValue(value.toString());
    case QMetaType::Double:
    case QMetaType::Float: {
        const double number = value.toDouble();
        if (std::isfinite(number))
            return QJsonValue(number);
        return tagged(doubleTag, nonFiniteText(number));
    }
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return tagged(integerTag, QString::number(value.toLongLong()));
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return tagged(integerTag, QString::number(value.toULongLong()));
    case QMetaType::QByteArray:
        return tagged(bytesTag, QString::fromLatin1(value.toByteArray().toBase64()));
    case QMetaType::QStringList:
        return QJsonArray::fromStringList(value.toStringList());
    case QMetaType::QJsonValue:
        return value.value<QJsonValue>();
    default:
        return std::nullopt;
    }
}

// Shapes this version does not know come from a newer one; they travel as the raw JSON
// value, a type no reader of the store accepts, so they are written back as they were.
QVariant keptAsIs(const QJsonValue& value)
{
    return QVariant::fromValue(value);
}

// No value when a known tag carries a payload that cannot be read.
std::optional<QVariant> decodeTagged(const QJsonObject& object)
{
    if (object.size() != 1 || !object.begin().value().isString())
        return keptAsIs(object);
    const QString tag = object.begin().key();
    const QString payload = object.begin().value().toString();

    if (tag == integerTag) {
        bool ok = false;
        const qlonglong signedValue = payload.toLongLong(&ok);
        if (ok)
            return QVariant(signedValue);
        const qulonglong unsignedValue = payload.toULongLong(&ok);
        if (ok)
            return QVariant(unsignedValue);
        return std::nullopt;
    }
    if (tag == bytesTag) {
        auto decoded = QByteArray::fromBase64Encoding(payload.toLatin1(),
                                                      QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return std::nullopt;
        return QVariant(*decoded);
    }
    if (tag == doubleTag) {
        if (auto number = nonFiniteFromText(payload))
            return QVariant(*number);
        return std::nullopt;
    }
    return keptAsIs(object);
}

std::optional<QVariant> decodeValue(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Null:
        return QVariant();
    case QJsonValue::Bool:
        return QVariant(value.toBool());
    case QJsonValue::Double:
        return QVariant(value.toDouble());
    case QJsonValue::String:
        return QVariant(value.toString());
    case QJsonValue::Array: {
        QStringList strings;
        for (const QJsonValue element : value.toArray()) {
            if (!element.isString())
                return keptAsIs(value);
            strings.append(element.toString());
        }
        return QVariant(strings);
    }
    case QJsonValue::Object:
        return decodeTagged(value.toObject());
    case QJsonValue::Undefined:
        break;
    }
    return std::nullopt;
}

QString filePathOf(const QIODevice& device)
{
    if (const auto* file = qobject_cast<const QFileDevice*>(&device))
        return file->fileName();
    return {};
}

bool keepCorruptCopy(const QString& filePath, const QByteArray& bytes)
{
    QSaveFile copy(corruptCopyPath(filePath));
    return copy.open(QIODevice::WriteOnly) && copy.write(bytes) == bytes.size() && copy.commit();
}

// Corrupt files whose copy could not be written. QSettings replaces a file it could not
// read on its next save, so write() must refuse for these until a copy exists.
class UncopiedFiles {
public:
    void insert(const QString& path)
    {
        QMutexLocker lock(&m_mutex);
        m_paths.insert(path);
    }
    void remove(const QString& path)
    {
        QMutexLocker lock(&m_mutex);
        m_paths.remove(path);
    }
    bool contains(const QString& path)
    {
        QMutexLocker lock(&m_mutex);
        return m_paths.contains(path);
    }

private:
    QMutex m_mutex;
    QSet<QString> m_paths;
};

UncopiedFiles& uncopiedFiles()
{
    static UncopiedFiles files;
    return files;
}

// The file on disk still holds what read() saw: QSettings re-reads before it saves
// whenever the file changed in between.
bool copyBeforeOverwrite(const QString& filePath)
{
    QFile current(filePath);
    if (!current.exists()) {
        uncopiedFiles().remove(filePath);
        return true;
    }
    if (!current.open(QIODevice::ReadOnly) || !keepCorruptCopy(filePath, current.readAll()))
        return false;
    uncopiedFiles().remove(filePath);
    qCInfo(lcApp) << "Kept a copy of the unreadable settings file at" << corruptCopyPath(filePath);
    return true;
}

} // namespace

QString corruptCopyPath(const QString& filePath)
{
    return filePath + QLatin1String(".corrupt");
}

std::optional<QSettings::SettingsMap> decode(const QByteArray& bytes)
{
    // Editors on some systems prepend a byte order mark, which the JSON parser rejects.
    const QByteArray utf8Bom("\xEF\xBB\xBF");
    const QByteArray text = bytes.startsWith(utf8Bom) ? bytes.mid(utf8Bom.size()) : bytes;

    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;

    QSettings::SettingsMap map;
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        // Qt's reader drops a byte order mark that opens a string without escapes and keeps
        // it in one with escapes, and writes a lone surrogate as another character, so such
        // keys would change name at the next save and load. None of them is ours.
        QString key = it.key();
        while (key.startsWith(QChar(0xFEFF)))
            key.remove(0, 1);
        // One damaged value must not cost the user every other setting.
        if (auto value = decodeValue(it.value()); value && key.isValidUtf16())
            map.insert(key, *value);
        else
            qCWarning(lcApp, "読めない設定値を無視 key=%s", qUtf8Printable(it.key()));
    }
    return map;
}

QByteArray encode(const QSettings::SettingsMap& map)
{
    QJsonObject object;
    for (auto it = map.begin(); it != map.end(); ++it) {
        if (auto value = encodeValue(it.value()))
            object.insert(it.key(), *value);
        else
            qCWarning(lcApp) << "Not saving setting" << it.key() << "of unsupported type"
                             << it.value().metaType().name();
    }
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

bool read(QIODevice& device, QSettings::SettingsMap& map)
{
    const QByteArray bytes = device.readAll();
    const QString filePath = filePathOf(device);

    if (auto decoded = decode(bytes)) {
        map = std::move(*decoded);
        uncopiedFiles().remove(filePath);
        return true;
    }

    map.clear();
    if (filePath.isEmpty()) {
        qCWarning(lcApp) << "Settings are not valid JSON; using defaults";
    } else if (keepCorruptCopy(filePath, bytes)) {
        uncopiedFiles().remove(filePath);
        qCWarning(lcApp) << "Settings file" << filePath
                         << "is not valid; using defaults. Its contents were kept at"
                         << corruptCopyPath(filePath);
    } else {
        uncopiedFiles().insert(filePath);
        qCWarning(lcApp) << "Settings file" << filePath
                         << "is not valid and no copy could be written to"
                         << corruptCopyPath(filePath) << "; using defaults without saving";
    }
    // Success with an empty map, not failure: QSettings would otherwise keep FormatError
    // as its status for good, hiding any later access error, and it saves over the file
    // either way.
    return true;
}

bool write(QIODevice& device, const QSettings::SettingsMap& map)
{
    const QString filePath = filePathOf(device);
    if (!filePath.isEmpty() && uncopiedFiles().contains(filePath) &&
        !copyBeforeOverwrite(filePath)) {
        qCWarning(lcApp) << "Not saving settings over the unreadable file" << filePath
                         << "because no copy of it could be kept";
        return false;
    }
    const QByteArray bytes = encode(map);
    return device.write(bytes) == bytes.size();
}

} // namespace JsonSettingsFormat
