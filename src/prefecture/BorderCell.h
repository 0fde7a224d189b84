#pragma once

#include "geo/GeoTypes.h"

#include <QDebug>
#include <QHashFunctions>

#include <algorithm>
#include <cmath>
#include <limits>

// A 1-degree grid cell: longitude and latitude, each truncated toward zero (so -0.5 and
// 0.5 share cell 0). Border lines are grouped by cell so the map draws one overlay each.
struct BorderCell {
    int x = 0; // longitude
    int y = 0; // latitude

    static BorderCell containing(const GeoCoordinate& c)
    {
        return BorderCell{truncated(c.longitude), truncated(c.latitude)};
    }

    friend bool operator==(const BorderCell&, const BorderCell&) = default;

private:
    // Clamped first, so no value (however wild) makes the conversion undefined.
    static int truncated(double degrees)
    {
        constexpr double kLimit = 1.0e6;
        if (!std::isfinite(degrees))
            return 0;
        return static_cast<int>(std::trunc(std::clamp(degrees, -kLimit, kLimit)));
    }
};

inline size_t qHash(const BorderCell& cell, size_t seed = 0)
{
    return qHashMulti(seed, cell.x, cell.y);
}

inline QDebug operator<<(QDebug debug, const BorderCell& cell)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "BorderCell(" << cell.x << ", " << cell.y << ')';
    return debug;
}
