#pragma once

#include <QDebug>

// A point on the WGS 84 ellipsoid, in degrees.
struct GeoCoordinate {
    double latitude = 0;
    double longitude = 0;

    friend bool operator==(const GeoCoordinate&, const GeoCoordinate&) = default;
};

// What part of the world a map shows: centre plus latitude and longitude spans in degrees.
struct MapRegion {
    GeoCoordinate center;
    double latitudeDelta = 0;
    double longitudeDelta = 0;

    friend bool operator==(const MapRegion&, const MapRegion&) = default;
};

// A rectangle in projected map points: Web-Mercator over a world kMapWorldWidth points wide,
// x growing east from −180°, y growing south from +85.05°.
struct MapRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    friend bool operator==(const MapRect&, const MapRect&) = default;
};

inline constexpr double kMapWorldWidth = 268435456.0; // 2^28: 256-point tiles at zoom 20

inline QDebug operator<<(QDebug debug, const GeoCoordinate& c)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "GeoCoordinate(" << c.latitude << ", " << c.longitude << ')';
    return debug;
}

inline QDebug operator<<(QDebug debug, const MapRegion& r)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "MapRegion(" << r.center.latitude << ", " << r.center.longitude << " ±"
                    << r.latitudeDelta << '/' << r.longitudeDelta << ')';
    return debug;
}
