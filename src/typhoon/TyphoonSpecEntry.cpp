#include "typhoon/TyphoonSpecEntry.h"

#include "platform/ErrorText.h"
#include "platform/JsonReader.h"

namespace {

// `m/s` of an optional wind value object.
std::optional<QString> windSpeed(json::ObjectReader& wind, QLatin1String key,
                                 JsonDecodeStatus& status, const QString& where)
{
    const auto value = wind.optionalObject(key);
    if (!value)
        return std::nullopt;
    json::ObjectReader reader(*value, status, where + u'.' + QString(key));
    return reader.optionalString(QLatin1String("m/s"));
}

TyphoonSpecEntry decodeSpecEntry(const QJsonValue& value, JsonDecodeStatus& status,
                                 const QString& where)
{
    json::ObjectReader part(value, status, where);
    TyphoonSpecEntry entry;
    entry.advancedHours = part.optionalInteger(QLatin1String("advancedHours"));
    if (const auto category = part.optionalObject(QLatin1String("category"))) {
        json::ObjectReader reader(*category, status, where + QStringLiteral(".category"));
        entry.categoryJp = reader.string(QLatin1String("jp"));
    }
    if (const auto name = part.optionalObject(QLatin1String("name"))) {
        json::ObjectReader reader(*name, status, where + QStringLiteral(".name"));
        entry.nameJp = reader.string(QLatin1String("jp"));
        (void)reader.string(QLatin1String("en")); // required, though only jp is shown
    }
    entry.location = part.optionalString(QLatin1String("location"));
    entry.course = part.optionalString(QLatin1String("course"));
    if (const auto speed = part.optionalObject(QLatin1String("speed"))) {
        json::ObjectReader reader(*speed, status, where + QStringLiteral(".speed"));
        entry.speedKmh = reader.optionalString(QLatin1String("km/h"));
    }
    entry.pressure = part.optionalString(QLatin1String("pressure"));
    if (const auto wind = part.optionalObject(QLatin1String("maximumWind"))) {
        const QString windWhere = where + QStringLiteral(".maximumWind");
        json::ObjectReader reader(*wind, status, windWhere);
        entry.sustainedMs = windSpeed(reader, QLatin1String("sustained"), status, windWhere);
        entry.gustMs = windSpeed(reader, QLatin1String("gust"), status, windWhere);
    }
    return entry;
}

} // namespace

Expected<QList<TyphoonSpecEntry>> decodeTyphoonSpecifications(const QByteArray& json)
{
    return json::decodeRows<TyphoonSpecEntry>(json, decodeSpecEntry);
}
