#include "weather/OpenMeteoResponse.h"

#include "platform/JsonReader.h"
#include "platform/Logging.h"

namespace {

// Reads one member of "daily" or "hourly": an array whose elements are each null or read by
// `element`, which returns nothing for a value of the wrong type.
template <typename T, typename ReadElement>
QList<std::optional<T>> nullableArray(json::ObjectReader& object, const char* key,
                                      JsonDecodeStatus& status, ReadElement element)
{
    const QJsonArray values = object.array(QLatin1String(key));
    QList<std::optional<T>> result;
    result.reserve(values.size());
    for (qsizetype i = 0; i < values.size() && status.ok(); ++i) {
        const QJsonValue value = values.at(i);
        if (value.isNull()) {
            result.append(std::nullopt);
            continue;
        }
        std::optional<T> read = element(value);
        if (!read)
            status.fail(QStringLiteral("%1[%2]: wrong type").arg(QLatin1String(key)).arg(i));
        result.append(std::move(read));
    }
    return result;
}

QList<std::optional<double>> numbers(json::ObjectReader& object, const char* key,
                                     JsonDecodeStatus& status)
{
    return nullableArray<double>(object, key, status,
                                 [](const QJsonValue& v) -> std::optional<double> {
                                     if (v.isDouble())
                                         return v.toDouble();
                                     return std::nullopt;
                                 });
}

QList<std::optional<qint64>> integers(json::ObjectReader& object, const char* key,
                                      JsonDecodeStatus& status)
{
    return nullableArray<qint64>(object, key, status,
                                 [](const QJsonValue& v) { return json::integralValue(v); });
}

QList<std::optional<QString>> strings(json::ObjectReader& object, const char* key,
                                      JsonDecodeStatus& status)
{
    return nullableArray<QString>(object, key, status,
                                  [](const QJsonValue& v) -> std::optional<QString> {
                                      if (v.isString())
                                          return v.toString();
                                      return std::nullopt;
                                  });
}

OpenMeteoResponse::Current readCurrent(const QJsonValue& value, JsonDecodeStatus& status)
{
    json::ObjectReader object(value, status, QStringLiteral("current"));
    OpenMeteoResponse::Current current;
    current.time = object.string(QLatin1String("time"));
    current.temperature2m = object.number(QLatin1String("temperature_2m"));
    current.apparentTemperature = object.number(QLatin1String("apparent_temperature"));
    current.relativeHumidity2m = object.number(QLatin1String("relative_humidity_2m"));
    current.dewPoint2m = object.number(QLatin1String("dew_point_2m"));
    current.weatherCode = object.integer(QLatin1String("weather_code"));
    current.windSpeed10m = object.number(QLatin1String("wind_speed_10m"));
    current.windDirection10m = object.number(QLatin1String("wind_direction_10m"));
    current.surfacePressure = object.number(QLatin1String("surface_pressure"));
    current.precipitation = object.number(QLatin1String("precipitation"));
    current.isDay = object.integer(QLatin1String("is_day"));
    return current;
}

OpenMeteoResponse::Daily readDaily(const QJsonValue& value, JsonDecodeStatus& status)
{
    json::ObjectReader object(value, status, QStringLiteral("daily"));
    OpenMeteoResponse::Daily daily;
    daily.time = object.stringArray(QLatin1String("time"));
    daily.weatherCode = integers(object, "weather_code", status);
    daily.temperature2mMax = numbers(object, "temperature_2m_max", status);
    daily.temperature2mMin = numbers(object, "temperature_2m_min", status);
    daily.precipitationProbabilityMax = integers(object, "precipitation_probability_max", status);
    daily.windSpeed10mMax = numbers(object, "wind_speed_10m_max", status);
    daily.windDirection10mDominant = numbers(object, "wind_direction_10m_dominant", status);
    daily.sunrise = strings(object, "sunrise", status);
    daily.sunset = strings(object, "sunset", status);
    daily.daylightDuration = numbers(object, "daylight_duration", status);
    return daily;
}

OpenMeteoResponse::Hourly readHourly(const QJsonValue& value, JsonDecodeStatus& status)
{
    json::ObjectReader object(value, status, QStringLiteral("hourly"));
    OpenMeteoResponse::Hourly hourly;
    hourly.time = object.stringArray(QLatin1String("time"));
    hourly.weatherCode = integers(object, "weather_code", status);
    hourly.temperature2m = numbers(object, "temperature_2m", status);
    hourly.precipitationProbability = integers(object, "precipitation_probability", status);
    hourly.isDay = integers(object, "is_day", status);
    return hourly;
}

} // namespace

Expected<OpenMeteoResponse> OpenMeteoResponse::decode(const QByteArray& json)
{
    JsonDecodeStatus status;
    json::ObjectReader root(json::rootObject(json::parse(json, status), status), status,
                            QStringLiteral("forecast"));
    OpenMeteoResponse response;
    response.current = readCurrent(root.object(QLatin1String("current")), status);
    response.daily = readDaily(root.object(QLatin1String("daily")), status);
    response.hourly = readHourly(root.object(QLatin1String("hourly")), status);
    if (!status.ok()) {
        qCDebug(lcWeather, "予報の形式違い 詳細=%s", qUtf8Printable(status.error()));
        return status.failure();
    }
    return response;
}
