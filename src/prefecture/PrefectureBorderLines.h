#pragma once

#include "geo/GeoTypes.h"
#include "platform/Expected.h"

#include <QByteArray>
#include <QList>

// One border line: coordinates in drawing order.
using BorderLine = QList<GeoCoordinate>;

// The lines of a border GeoJSON feature collection: every part of every feature, in file
// order. Geometries must be "LineString" (one part) or "MultiLineString" (one part per
// inner array); any other type fails the whole file, described as
// "未対応のジオメトリ種別: <type>". Positions are [longitude, latitude, …] and need at
// least the two numbers.
Expected<QList<BorderLine>> decodePrefectureBorderLines(const QByteArray& json);
