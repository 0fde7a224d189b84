#pragma once

#include "platform/Expected.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The three members of the forecast API's answer that the program reads, as sent: local
// times in Asia/Tokyo, °C, km/h, mm, hPa. Decoding is strict: a missing member, a member of
// another type, or a null where one is not allowed fails the whole document. Inside the
// daily and hourly arrays every element but "time" may be null.
struct OpenMeteoResponse {
    struct Current {
        QString time;
        double temperature2m = 0;
        double apparentTemperature = 0;
        double relativeHumidity2m = 0;
        double dewPoint2m = 0;
        qint64 weatherCode = 0;
        double windSpeed10m = 0;
        double windDirection10m = 0;
        double surfacePressure = 0;
        double precipitation = 0;
        qint64 isDay = 0;

        friend bool operator==(const Current&, const Current&) = default;
    };

    // Parallel arrays, one element per day. The API sends them equally long; readers must
    // not assume it.
    struct Daily {
        QStringList time;
        QList<std::optional<qint64>> weatherCode;
        QList<std::optional<double>> temperature2mMax;
        QList<std::optional<double>> temperature2mMin;
        QList<std::optional<qint64>> precipitationProbabilityMax;
        QList<std::optional<double>> windSpeed10mMax;
        QList<std::optional<double>> windDirection10mDominant;
        QList<std::optional<QString>> sunrise;
        QList<std::optional<QString>> sunset;
        QList<std::optional<double>> daylightDuration;

        friend bool operator==(const Daily&, const Daily&) = default;
    };

    // Parallel arrays, one element per hour; the same caution applies.
    struct Hourly {
        QStringList time;
        QList<std::optional<qint64>> weatherCode;
        QList<std::optional<double>> temperature2m;
        QList<std::optional<qint64>> precipitationProbability;
        QList<std::optional<qint64>> isDay;

        friend bool operator==(const Hourly&, const Hourly&) = default;
    };

    Current current;
    Daily daily;
    Hourly hourly;

    // The failure's description is the user-facing one; the exact fault goes to the debug log.
    static Expected<OpenMeteoResponse> decode(const QByteArray& json);

    friend bool operator==(const OpenMeteoResponse&, const OpenMeteoResponse&) = default;
};
