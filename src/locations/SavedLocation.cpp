#include "locations/SavedLocation.h"

#include "platform/JsonReader.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>

namespace {

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

} // namespace

SavedLocation SavedLocation::create(QString name, std::optional<QString> subtitle, double latitude,
                                    double longitude)
{
    return SavedLocation{QUuid::createUuid(), std::move(name), std::move(subtitle), latitude,
                         longitude};
}

const SavedLocation& SavedLocation::tokyo()
{
    static const SavedLocation location =
        create(QStringLiteral("東京"), QStringLiteral("東京都"), 35.6812, 139.7671);
    return location;
}

QJsonObject SavedLocation::toJson() const
{
    QJsonObject object{{QLatin1String("id"), uuidText(id)},
                       {QLatin1String("name"), name},
                       {QLatin1String("latitude"), latitude},
                       {QLatin1String("longitude"), longitude}};
    if (subtitle)
        object.insert(QLatin1String("subtitle"), *subtitle);
    return object;
}

std::optional<SavedLocation> SavedLocation::fromJson(const QJsonValue& value)
{
    JsonDecodeStatus status;
    json::ObjectReader reader(value, status, QStringLiteral("location"));
    const QString idText = reader.string(QLatin1String("id"));
    SavedLocation location;
    location.name = reader.string(QLatin1String("name"));
    location.subtitle = reader.optionalString(QLatin1String("subtitle"));
    location.latitude = reader.number(QLatin1String("latitude"));
    location.longitude = reader.number(QLatin1String("longitude"));
    if (!status.ok())
        return std::nullopt;
    const std::optional<QUuid> id = parseUuidText(idText);
    if (!id)
        return std::nullopt;
    location.id = *id;
    return location;
}

size_t qHash(const SavedLocation& location, size_t seed)
{
    return qHashMulti(seed, location.id, location.name, location.subtitle.has_value(),
                      location.subtitle.value_or(QString()), location.latitude, location.longitude);
}

QDebug operator<<(QDebug debug, const SavedLocation& location)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "SavedLocation(" << uuidText(location.id) << ", " << location.name;
    if (location.subtitle)
        debug << " / " << *location.subtitle;
    debug << ", " << location.latitude << ", " << location.longitude << ')';
    return debug;
}

QString uuidText(const QUuid& id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> parseUuidText(const QString& text)
{
    if (text.size() != 36)
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool hyphenPlace = i == 8 || i == 13 || i == 18 || i == 23;
        if (hyphenPlace ? text.at(i) != u'-' : !isHexDigit(text.at(i)))
            return std::nullopt;
    }
    return QUuid::fromString(text);
}

std::optional<QByteArray> encodeSavedLocations(const SavedLocations& locations)
{
    QJsonArray array;
    for (const SavedLocation& location : locations) {
        // JSON has no spelling for these; Qt would write null and the whole list would fail
        // to decode at the next start.
        if (!std::isfinite(location.latitude) || !std::isfinite(location.longitude))
            return std::nullopt;
        array.append(location.toJson());
    }
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

std::optional<SavedLocations> decodeSavedLocations(const QByteArray& bytes)
{
    JsonDecodeStatus status;
    const QJsonArray array = json::rootArray(json::parse(bytes, status), status);
    if (!status.ok())
        return std::nullopt;
    SavedLocations locations;
    locations.reserve(array.size());
    for (const QJsonValue& value : array) {
        std::optional<SavedLocation> location = SavedLocation::fromJson(value);
        if (!location)
            return std::nullopt;
        locations.append(std::move(*location));
    }
    return locations;
}
