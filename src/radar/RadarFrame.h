#pragma once

#include "radar/RadarTypes.h"

#include <QDateTime>
#include <QDebug>
#include <QList>
#include <QMetaType>
#include <QString>

// One animation step of the agency's precipitation imagery. Built only by the timeline,
// and only from entries whose validtime parses, so `date` is always valid.
struct RadarFrame {
    enum class Kind { Observation, Forecast };

    RadarProduct product = RadarProduct::Nowcast;
    QString basetime;  // "yyyyMMddHHmmss", UTC, verbatim from the list
    QString validtime; // same form
    Kind kind = Kind::Observation;
    QDateTime date; // validtime as an instant

    // "nowcast/20250101000000/20250101003000". Not unique across kinds.
    QString id() const;

    bool isObservation() const { return kind == Kind::Observation; }
    bool isForecast() const { return kind == Kind::Forecast; }

    friend bool operator==(const RadarFrame& a, const RadarFrame& b)
    {
        return a.product == b.product && a.basetime == b.basetime && a.validtime == b.validtime &&
               a.kind == b.kind && a.date == b.date;
    }
};

size_t qHash(const RadarFrame& frame, size_t seed = 0);
QDebug operator<<(QDebug debug, const RadarFrame& frame);

using RadarFrames = QList<RadarFrame>;

Q_DECLARE_METATYPE(RadarFrame)
