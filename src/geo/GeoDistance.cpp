#include "geo/GeoDistance.h"

#include <GeographicLib/Geodesic.hpp>
#include <cmath>
#include <limits>

double geoDistance(const GeoCoordinate& a, const GeoCoordinate& b)
{
    // GeographicLib answers NaN for latitudes beyond ±90°; so does this.
    if (!std::isfinite(a.latitude) || !std::isfinite(a.longitude) || !std::isfinite(b.latitude) ||
        !std::isfinite(b.longitude))
        return std::numeric_limits<double>::quiet_NaN();
    double metres = 0;
    GeographicLib::Geodesic::WGS84().Inverse(a.latitude, a.longitude, b.latitude, b.longitude,
                                             metres);
    return metres;
}
