#include "tiles/TileMath.h"

#include <algorithm>
#include <cmath>

namespace TileMath {

namespace {

constexpr double kMaxLatitude = 85.05112878;

int clampTile(double value, int n)
{
    if (!(value >= 0)) // also NaN
        return 0;
    return int(std::min(value, double(n - 1)));
}

int tileCount(int zoom)
{
    return 1 << std::clamp(zoom, 0, 30);
}

// Position in tile units at a zoom with `n` tiles a side (the integer part is the tile).
double tileUnitsX(double longitude, int n)
{
    return (longitude + 180.0) / 360.0 * n;
}

double tileUnitsY(double latitude, int n)
{
    const double lat = std::clamp(latitude, -kMaxLatitude, kMaxLatitude);
    const double r = lat * M_PI / 180.0;
    return n * (1.0 - std::log(std::tan(r) + 1.0 / std::cos(r)) / M_PI) / 2.0;
}

// The pixel of `units` inside tile `tile`, kept inside the tile when clamping moved the tile.
int pixelIn(double units, int tile)
{
    const double pixel = std::floor((units - tile) * kTileSide);
    if (!(pixel >= 0)) // also NaN
        return 0;
    return int(std::min(pixel, double(kTileSide - 1)));
}

} // namespace

int tileX(double longitude, int zoom)
{
    const int n = tileCount(zoom);
    return clampTile(std::floor(tileUnitsX(longitude, n)), n);
}

int tileY(double latitude, int zoom)
{
    const int n = tileCount(zoom);
    return clampTile(std::floor(tileUnitsY(latitude, n)), n);
}

TilePixel tilePixel(GeoCoordinate place, int zoom)
{
    const int n = tileCount(zoom);
    const double ux = tileUnitsX(place.longitude, n);
    const double uy = tileUnitsY(place.latitude, n);
    const int x = clampTile(std::floor(ux), n);
    const int y = clampTile(std::floor(uy), n);
    return {{std::clamp(zoom, 0, 30), x, y}, pixelIn(ux, x), pixelIn(uy, y)};
}

int zoomLevel(const Viewport& view, ZoomRange range)
{
    const double w = std::max(view.widthPoints, 1.0);
    const double d = std::max(view.region.longitudeDelta, 0.0001);
    const double z = std::log2(w / 256.0 * 360.0 / d);
    if (!std::isfinite(z))
        return range.lower;
    int level = std::clamp(int(std::round(z)), range.lower, range.upper);
    if (level % 2 != 0)
        level = std::min(level + 1, range.upper);
    return level;
}

QSet<QString> tileKeys(const MapRect& rect, int zoom)
{
    QSet<QString> keys;
    if (!std::isfinite(rect.x) || !std::isfinite(rect.y) || !std::isfinite(rect.width) ||
        !std::isfinite(rect.height) || rect.width < 0 || rect.height < 0)
        return keys;
    const int n = tileCount(zoom);
    const double s = kMapWorldWidth / n;
    const int firstX = clampTile(std::floor(rect.x / s), n);
    const int lastX = clampTile(std::floor((rect.x + rect.width) / s), n);
    const int firstY = clampTile(std::floor(rect.y / s), n);
    const int lastY = clampTile(std::floor((rect.y + rect.height) / s), n);
    for (int x = firstX; x <= lastX; ++x) {
        for (int y = firstY; y <= lastY; ++y)
            keys.insert(TileId{zoom, x, y}.key());
    }
    return keys;
}

QList<TilePath> visibleTiles(const Viewport& view, ZoomRange range, int margin, int limit)
{
    const int z = zoomLevel(view, range);
    const int n = tileCount(z);
    const MapRegion& r = view.region;
    const int x0 = tileX(r.center.longitude - r.longitudeDelta / 2, z) - margin;
    const int x1 = tileX(r.center.longitude + r.longitudeDelta / 2, z) + margin;
    const int y0 = tileY(r.center.latitude + r.latitudeDelta / 2, z) - margin;
    const int y1 = tileY(r.center.latitude - r.latitudeDelta / 2, z) + margin;

    int cap = limit;
    if (z >= 8 && z <= 10)
        cap = std::min(limit, 60);
    else if (z >= 11 && z <= 14)
        cap = std::min(limit, 40);

    QList<TilePath> tiles;
    if (cap <= 0)
        return tiles;
    for (int x = x0; x <= std::max(x1, x0); ++x) {
        if (x < 0 || x >= n)
            continue;
        for (int y = y0; y <= std::max(y1, y0); ++y) {
            if (y < 0 || y >= n)
                continue;
            tiles.append(TilePath{{z, x, y}, 1.0});
            if (tiles.size() >= cap)
                return tiles;
        }
    }
    return tiles;
}

} // namespace TileMath
