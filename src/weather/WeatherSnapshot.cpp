#include "weather/WeatherSnapshot.h"

#include "platform/AgencyTime.h"
#include "platform/Clock.h"
#include "platform/JapanTime.h"

namespace {

constexpr qsizetype kMaxHours = 24;
// Hourly times, sunrise and sunset.
constexpr QStringView kHourShape = u"yyyy-MM-ddTHH:mm";

// Element i of a parallel array; one shorter than "time" reads as null past its end.
template <typename T>
std::optional<T> at(const QList<std::optional<T>>& list, qsizetype i)
{
    return i < list.size() ? list.at(i) : std::nullopt;
}

std::optional<QDateTime> firstTime(const QList<std::optional<QString>>& times,
                                   const QTimeZone& zone)
{
    const std::optional<QString> text = at(times, 0);
    return text ? AgencyTime::parse(*text, kHourShape, zone) : std::nullopt;
}

CurrentConditions currentConditions(const OpenMeteoResponse& response, const QTimeZone& zone)
{
    const OpenMeteoResponse::Current& c = response.current;
    CurrentConditions current;
    current.temperature = c.temperature2m;
    current.apparentTemperature = c.apparentTemperature;
    current.humidity = c.relativeHumidity2m;
    current.dewPoint = c.dewPoint2m;
    current.code = WeatherCode{c.weatherCode};
    current.windSpeed = c.windSpeed10m;
    current.windDirection = c.windDirection10m;
    current.pressure = c.surfacePressure;
    current.precipitation = c.precipitation;
    current.isDay = c.isDay == 1;
    current.sunrise = firstTime(response.daily.sunrise, zone);
    current.sunset = firstTime(response.daily.sunset, zone);
    current.daylightDuration = at(response.daily.daylightDuration, 0).value_or(0.0);
    return current;
}

QList<DailyForecast> dailyForecasts(const OpenMeteoResponse::Daily& daily, const QTimeZone& zone)
{
    QList<DailyForecast> days;
    for (qsizetype i = 0; i < daily.time.size(); ++i) {
        const std::optional<QDateTime> date =
            AgencyTime::parse(daily.time.at(i), u"yyyy-MM-dd", zone);
        const std::optional<qint64> code = at(daily.weatherCode, i);
        const std::optional<double> high = at(daily.temperature2mMax, i);
        const std::optional<double> low = at(daily.temperature2mMin, i);
        const std::optional<double> windSpeed = at(daily.windSpeed10mMax, i);
        const std::optional<double> windDirection = at(daily.windDirection10mDominant, i);
        if (!date || !code || !high || !low || !windSpeed || !windDirection)
            continue;
        days.append(DailyForecast{daily.time.at(i), *date, WeatherCode{*code}, *high, *low,
                                  at(daily.precipitationProbabilityMax, i), *windSpeed,
                                  *windDirection});
    }
    return days;
}

QList<HourlyForecast> hourlyForecasts(const OpenMeteoResponse::Hourly& hourly,
                                      const QTimeZone& zone, const QDateTime& now)
{
    QList<HourlyForecast> hours;
    for (qsizetype i = 0; i < hourly.time.size() && hours.size() < kMaxHours; ++i) {
        const std::optional<QDateTime> date =
            AgencyTime::parse(hourly.time.at(i), kHourShape, zone);
        if (!date || *date < now)
            continue;
        const std::optional<qint64> code = at(hourly.weatherCode, i);
        const std::optional<double> temperature = at(hourly.temperature2m, i);
        if (!code || !temperature)
            continue;
        hours.append(HourlyForecast{hourly.time.at(i), *date, WeatherCode{*code}, *temperature,
                                    at(hourly.precipitationProbability, i),
                                    at(hourly.isDay, i) == 1});
    }
    return hours;
}

} // namespace

WeatherSnapshot makeSnapshot(const OpenMeteoResponse& response)
{
    const QTimeZone zone = JapanTime::zone();
    const QDateTime now = Clock::current().now();
    return WeatherSnapshot{currentConditions(response, zone), dailyForecasts(response.daily, zone),
                           hourlyForecasts(response.hourly, zone, now)};
}
