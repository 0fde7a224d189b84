#pragma once

#include "geo/GeoTypes.h"
#include "geo/TilePath.h"

#include <QList>
#include <QSet>
#include <QString>

// Pure functions from a map viewport to tile coordinates and keys. Thread-safe.
namespace TileMath {

struct ZoomRange {
    int lower = 4;
    int upper = 10;
};

// What the functions need of a map view: its width in points and the region it shows.
struct Viewport {
    double widthPoints = 0;
    MapRegion region;
};

int tileX(double longitude, int zoom);
int tileY(double latitude, int zoom);

inline constexpr int kTileSide = 256;

// A point's tile at a zoom and the pixel inside that 256-pixel tile (0–255 each way, x east,
// y south), by the same projection and clamping as tileX and tileY.
struct TilePixel {
    TileId tile;
    int x = 0;
    int y = 0;

    friend bool operator==(const TilePixel&, const TilePixel&) = default;
};
TilePixel tilePixel(GeoCoordinate place, int zoom);

// The agency zoom for a view: rounded, clamped, and raised to the next even level (the
// agency serves even levels only) unless that passes the upper bound.
int zoomLevel(const Viewport& view, ZoomRange range);

// "z/x/y" keys of every tile touching the rectangle (map points).
QSet<QString> tileKeys(const MapRect& rect, int zoom);

// Tiles covering the view plus `margin` tiles around it, column by column from the west,
// capped (60 at zooms 8–10, 40 at 11–14) so the eastern columns drop first.
QList<TilePath> visibleTiles(const Viewport& view, ZoomRange range, int margin, int limit);

} // namespace TileMath
