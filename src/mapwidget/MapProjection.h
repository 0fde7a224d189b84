#pragma once

#include "geo/GeoTypes.h"

// A point in projected map points (see MapRect): Web-Mercator over a world kMapWorldWidth
// points wide, x east from −180°, y south from +85.05°.
struct MapPoint {
    double x = 0;
    double y = 0;

    friend bool operator==(const MapPoint&, const MapPoint&) = default;
};

// Spherical Mercator, the projection of every web map tile. Pure functions, any thread.
namespace MapProjection {

inline constexpr double kMaxLatitude = 85.051128779806589;
inline constexpr double kEarthRadius = 6378137.0; // the sphere of Web-Mercator, in metres

MapPoint toMapPoint(const GeoCoordinate& coordinate); // latitude clamped to ±kMaxLatitude
GeoCoordinate toCoordinate(const MapPoint& point);

// Metres on the ground per map point near `latitude` (the Mercator scale there).
double metresPerMapPoint(double latitude);

// The rectangle a region spans: longitudes from centre ± delta/2, latitudes likewise
// (clamped to the projection's range).
MapRect mapRect(const MapRegion& region);

bool contains(const MapRect& rect, const MapPoint& point);
bool intersects(const MapRect& a, const MapRect& b);
MapRect united(const MapRect& a, const MapRect& b);

} // namespace MapProjection

inline QDebug operator<<(QDebug debug, const MapPoint& p)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "MapPoint(" << p.x << ", " << p.y << ')';
    return debug;
}

inline QDebug operator<<(QDebug debug, const MapRect& r)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "MapRect(" << r.x << ", " << r.y << ' ' << r.width << 'x' << r.height << ')';
    return debug;
}
