#pragma once

#include <QDebug>
#include <QHashFunctions>
#include <QString>

// One square of the Web-Mercator tiling: zoom z splits the world into 2^z × 2^z tiles,
// x counted east from −180°, y south from +85.05°. The content scale factor is the
// device-pixel ratio the tile is wanted for.
struct TilePath {
    int x = 0;
    int y = 0;
    int z = 0;
    double contentScaleFactor = 1.0;

    // "z/x/y", the form every tile bookkeeping of the program compares.
    QString key() const { return QStringLiteral("%1/%2/%3").arg(z).arg(x).arg(y); }

    friend bool operator==(const TilePath&, const TilePath&) = default;
};

inline size_t qHash(const TilePath& path, size_t seed = 0)
{
    return qHashMulti(seed, path.x, path.y, path.z, path.contentScaleFactor);
}

inline QDebug operator<<(QDebug debug, const TilePath& path)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "TilePath(" << path.z << '/' << path.x << '/' << path.y << " @"
                    << path.contentScaleFactor << ')';
    return debug;
}
