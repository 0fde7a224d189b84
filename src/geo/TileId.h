#pragma once

#include "geo/GeoTypes.h"

#include <QDebug>
#include <QHashFunctions>
#include <QString>

// One tile of the Web-Mercator pyramid, without the scale a request carries (TilePath):
// zoom z splits the world into 2^z × 2^z tiles, x counted east from −180°, y south from
// +85.05°.
struct TileId {
    int z = 0;
    int x = 0;
    int y = 0;

    // The tile `levels` zoom levels up that contains this one.
    TileId ancestor(int levels) const { return {z - levels, x >> levels, y >> levels}; }
    bool isValid() const
    {
        return z >= 0 && z < 30 && x >= 0 && y >= 0 && x < (1 << z) && y < (1 << z);
    }
    // "z/x/y", the form the overlay's delivery records are compared in.
    QString key() const { return QStringLiteral("%1/%2/%3").arg(z).arg(x).arg(y); }
    MapRect mapRect() const
    {
        const double size = kMapWorldWidth / double(1 << z);
        return {x * size, y * size, size, size};
    }

    friend bool operator==(const TileId&, const TileId&) = default;
};

inline size_t qHash(const TileId& id, size_t seed = 0)
{
    return qHashMulti(seed, id.z, id.x, id.y);
}

inline QDebug operator<<(QDebug debug, const TileId& id)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "TileId(" << id.z << '/' << id.x << '/' << id.y << ')';
    return debug;
}
