#pragma once

#include "geo/TileId.h"

#include <QDebug>
#include <QHashFunctions>

// One tile as it is asked for: the tile and the device-pixel ratio its picture is wanted
// for, since a picture made for a 2× screen is not the one for 1×.
struct TilePath {
    TileId tile;
    double scale = 1.0;

    friend bool operator==(const TilePath&, const TilePath&) = default;
};

inline size_t qHash(const TilePath& path, size_t seed = 0)
{
    return qHashMulti(seed, path.tile, path.scale);
}

inline QDebug operator<<(QDebug debug, const TilePath& path)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "TilePath(" << path.tile.z << '/' << path.tile.x << '/' << path.tile.y
                    << " @" << path.scale << ')';
    return debug;
}
