#pragma once

#include "geo/GeoTypes.h"
#include "platform/Expected.h"

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>

// Where a prefecture's name is written on the map.
struct PrefectureLabel {
    qint64 id = 0; // unique; the JIS prefecture code in the shipped file
    QString name;
    double lat = 0;
    double lon = 0;

    GeoCoordinate coordinate() const { return GeoCoordinate{lat, lon}; }

    friend bool operator==(const PrefectureLabel&, const PrefectureLabel&) = default;
};

// A JSON array of labels, every member required with its type.
Expected<QList<PrefectureLabel>> decodePrefectureLabels(const QByteArray& json);

Q_DECLARE_METATYPE(PrefectureLabel)
