#pragma once

#include "geo/TileId.h"

#include <QHashFunctions>
#include <QString>

// One tile of one radar frame at one picture size: what a picture made from agency tiles
// is kept under.
struct FrameTileKey {
    QString frame; // RadarFrame::id()
    TileId tile;
    int side = 0; // pixels; 0 for an agency tile as decoded

    friend bool operator==(const FrameTileKey&, const FrameTileKey&) = default;
};

inline size_t qHash(const FrameTileKey& key, size_t seed = 0)
{
    return qHashMulti(seed, key.frame, key.tile, key.side);
}
