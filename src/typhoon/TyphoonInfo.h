#pragma once

#include "geo/GeoTypes.h"
#include "typhoon/TyphoonForecastEntry.h"
#include "typhoon/TyphoonSpecEntry.h"
#include "typhoon/TyphoonTarget.h"

#include <QDateTime>
#include <QDebug>
#include <QList>
#include <QMetaType>
#include <QString>

#include <optional>

// One active cyclone as the map and the detail panel show it, combined from the list row
// and the cyclone's forecast and specifications documents. `id` is its identity.
struct TyphoonInfo {
    using Point = GeoCoordinate;

    struct Circle {
        Point center;
        double radiusMeters = 0;

        friend bool operator==(const Circle&, const Circle&) = default;
    };

    struct ForecastPoint {
        qint64 advancedHours = 0;
        Point point;
        std::optional<QDateTime> validTime;
        std::optional<double> probabilityRadiusMeters;

        friend bool operator==(const ForecastPoint&, const ForecastPoint&) = default;
    };

    QString id;            // the list's tropicalCyclone
    QString typhoonNumber; // as published
    QString category;      // the list's category code ("TD", "TS", "STS", "TY", "LOW")
    std::optional<QString> name;
    QString categoryText;
    bool isTyphoon = false;
    QDateTime issue; // distant past when the published text does not parse
    std::optional<Point> currentPoint;
    QList<Point> pastTrack;
    std::optional<Circle> galeWarningArea;
    QList<ForecastPoint> forecastPoints; // ascending hours
    std::optional<QString> location;
    std::optional<QString> course;
    std::optional<QString> speedKmh;
    std::optional<QString> pressureHpa;
    std::optional<QString> maxSustainedMs;
    std::optional<QString> maxGustMs;

    // Nothing when the forecast has no analysis entry (advancedHours 0).
    static std::optional<TyphoonInfo> make(const TyphoonTarget& target,
                                           const QList<TyphoonForecastEntry>& forecast,
                                           const QList<TyphoonSpecEntry>& specifications);

    // Tropical depressions and extratropical lows are not typhoons.
    // What an issue time that does not parse stands for: 0001-01-01 00:00:00 UTC, before any
    // real issue.
    static QDateTime distantPast();
    static bool isTyphoonCategory(const QString& code);

    // "台風10号 name": the published number, shortened to the number of the year when it
    // carries the year in front ("2409" reads 台風9号, as the agency writes it); without a
    // number the kind of cyclone.
    QString displayName() const;

    friend bool operator==(const TyphoonInfo&, const TyphoonInfo&) = default;
};

QDebug operator<<(QDebug debug, const TyphoonInfo& info);

using TyphoonInfos = QList<TyphoonInfo>;

Q_DECLARE_METATYPE(TyphoonInfo)
