#pragma once

#include "weather/OpenMeteoResponse.h"
#include "weather/WeatherCode.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// What the forecast views show for one place, in °C, %, km/h, hPa, mm and degrees.

struct CurrentConditions {
    double temperature = 0;
    double apparentTemperature = 0;
    double humidity = 0;
    double dewPoint = 0;
    WeatherCode code;
    double windSpeed = 0;
    double windDirection = 0; // where the wind comes from
    double pressure = 0;
    double precipitation = 0;
    bool isDay = false;
    std::optional<QDateTime> sunrise; // today's
    std::optional<QDateTime> sunset;
    double daylightDuration = 0; // seconds; 0 when unknown

    friend bool operator==(const CurrentConditions&, const CurrentConditions&) = default;
};

struct HourlyForecast {
    QString id; // the hour's local time as the API wrote it, "2025-08-29T15:00"
    QDateTime date;
    WeatherCode code;
    double temperature = 0;
    std::optional<qint64> precipitationProbability;
    bool isDay = false;

    friend bool operator==(const HourlyForecast&, const HourlyForecast&) = default;
};

struct DailyForecast {
    QString id;     // the day as the API wrote it, "2025-08-29"
    QDateTime date; // 00:00 of that day in Japan
    WeatherCode code;
    double high = 0;
    double low = 0;
    std::optional<qint64> precipitationProbability;
    double windSpeed = 0;
    double windDirection = 0;

    friend bool operator==(const DailyForecast&, const DailyForecast&) = default;
};

struct WeatherSnapshot {
    CurrentConditions current;
    QList<DailyForecast> daily;   // every usable day the answer carries, in date order
    QList<HourlyForecast> hourly; // from the next full hour on, at most 24

    friend bool operator==(const WeatherSnapshot&, const WeatherSnapshot&) = default;
};

// The snapshot of one answer as seen now (Clock::current()). Days and hours whose time does
// not parse or whose essential values are null are left out; never fails.
WeatherSnapshot makeSnapshot(const OpenMeteoResponse& response);
