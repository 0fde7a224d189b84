#pragma once

#include "geo/GeoTypes.h"

// Metres between two coordinates along the WGS 84 ellipsoid (the geodesic, not the
// Mercator straight line). Any thread.
double geoDistance(const GeoCoordinate& a, const GeoCoordinate& b);
