#pragma once

#include "geo/GeoTypes.h"

#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QString>

#include <optional>

// One step of the outlook at a place: the rain band a radar frame shows there.
struct RainOutlookStep {
    enum class Kind { Observation, Nowcast, Forecast };

    QDateTime time; // the frame's valid time
    Kind kind = Kind::Observation;
    int band = 0; // RainBand: 0 no rain, 1–8 the legend's classes
    // False when the frame's tile could not be had: the step says nothing about rain.
    bool known = true;

    friend bool operator==(const RainOutlookStep&, const RainOutlookStep&) = default;
};

// Rain at one place: the last hour of observations, the next hour of nowcast at 5-minute
// steps and, when the forecast range is on, hourly forecasts to its horizon. Steps are by
// time ascending. A plain value, made off the GUI thread and handed over whole.
struct RainOutlook {
    QString placeName;
    GeoCoordinate place;
    QDateTime dataTime; // the newest observation's valid time; invalid: no observation
    QList<RainOutlookStep> steps;
    // The highest thunder activity (1–4) and tornado likelihood (1–2) at the place now or
    // within the hour; 0: none.
    int thunderLevel = 0;
    int tornadoLevel = 0;

    bool isEmpty() const { return steps.isEmpty(); }
    // The newest observation, the outlook's "now".
    std::optional<RainOutlookStep> current() const;
    // Known nowcast steps after the newest observation up to one hour past it.
    QList<RainOutlookStep> nextHour() const;

    friend bool operator==(const RainOutlook&, const RainOutlook&) = default;
};

Q_DECLARE_METATYPE(RainOutlook)
