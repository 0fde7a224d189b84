#pragma once

#include "platform/Expected.h"

#include <QByteArray>
#include <QList>
#include <QString>

// One feature of a lightning (LIDEN) GeoJSON file, reduced to what is read.
struct LidenFeature {
    QList<double> coordinates; // GeoJSON order: longitude, latitude, then anything
    QString id;
    QString obstimeJST;
    qint64 type = 0; // 4 is cloud-to-ground; 0 and 1 are cloud discharges

    friend bool operator==(const LidenFeature&, const LidenFeature&) = default;
};

// The features of a whole file. Every feature needs geometry.coordinates (numbers) and
// properties id, obstimeJST (strings) and type (integer); one bad feature fails the file.
// Other members are ignored.
Expected<QList<LidenFeature>> decodeLidenFeatures(const QByteArray& json);
