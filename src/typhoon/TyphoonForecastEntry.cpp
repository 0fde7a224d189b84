#include "typhoon/TyphoonForecastEntry.h"

#include "platform/ErrorText.h"
#include "platform/JsonReader.h"

namespace {

using Position = TyphoonForecastEntry::Position;

Position numbers(const QJsonArray& array, JsonDecodeStatus& status)
{
    Position result;
    result.reserve(array.size());
    for (qsizetype i = 0; i < array.size(); ++i)
        result.append(json::numberAt(array, i, status));
    return result;
}

QList<Position> positions(const std::optional<QJsonArray>& array, JsonDecodeStatus& status)
{
    QList<Position> result;
    if (!array)
        return result;
    result.reserve(array->size());
    for (const QJsonValue& value : *array) {
        if (!value.isArray()) {
            status.fail(QStringLiteral("track: a position is not an array"));
            return {};
        }
        result.append(numbers(value.toArray(), status));
    }
    return result;
}

TyphoonForecastEntry decodeForecastEntry(const QJsonValue& value, JsonDecodeStatus& status,
                                         const QString& where)
{
    json::ObjectReader part(value, status, where);
    TyphoonForecastEntry entry;
    entry.advancedHours = part.optionalInteger(QLatin1String("advancedHours"));
    if (const auto validTime = part.optionalObject(QLatin1String("validtime"))) {
        json::ObjectReader reader(*validTime, status, where + QStringLiteral(".validtime"));
        entry.validTimeJst = reader.string(QLatin1String("JST"));
    }
    if (const auto track = part.optionalObject(QLatin1String("track"))) {
        json::ObjectReader reader(*track, status, where + QStringLiteral(".track"));
        entry.trackPreTyphoon =
            positions(reader.optionalArray(QLatin1String("preTyphoon")), status);
        entry.trackTyphoon = positions(reader.optionalArray(QLatin1String("typhoon")), status);
    }
    if (const auto center = part.optionalArray(QLatin1String("center")))
        entry.center = numbers(*center, status);
    if (const auto gale = part.optionalObject(QLatin1String("galeWarningArea"))) {
        json::ObjectReader reader(*gale, status, where + QStringLiteral(".galeWarningArea"));
        TyphoonForecastEntry::RawCircle circle;
        circle.center = numbers(reader.array(QLatin1String("center")), status);
        circle.radius = reader.number(QLatin1String("radius"));
        entry.galeWarningArea = circle;
    }
    if (const auto circle = part.optionalObject(QLatin1String("probabilityCircle"))) {
        json::ObjectReader reader(*circle, status, where + QStringLiteral(".probabilityCircle"));
        entry.probabilityRadius = reader.number(QLatin1String("radius"));
    }
    return entry;
}

} // namespace

Expected<QList<TyphoonForecastEntry>> decodeTyphoonForecast(const QByteArray& json)
{
    return json::decodeRows<TyphoonForecastEntry>(json, decodeForecastEntry);
}
