#include "mapwidget/TileCover.h"

#include "mapwidget/MapViewport.h"

#include <algorithm>
#include <cmath>

namespace TileCover {

namespace {

int roundedLevel(double level, int minimumZ, int maximumZ)
{
    if (!std::isfinite(level))
        return minimumZ;
    // A little bias towards the finer level: a tile shown up to 1.3× enlarged looks
    // softer than one shown at 0.7×.
    const int z = int(std::floor(level + 0.6));
    return std::clamp(z, minimumZ, maximumZ);
}

} // namespace

int levelForDevice(const MapViewport& viewport, int minimumZ, int maximumZ)
{
    return roundedLevel(viewport.zoom() + std::log2(viewport.devicePixelRatio()), minimumZ,
                        maximumZ);
}

int levelForPoints(const MapViewport& viewport, int minimumZ, int maximumZ)
{
    return roundedLevel(viewport.zoom(), minimumZ, maximumZ);
}

QList<TileId> covering(const MapRect& rect, int z)
{
    QList<TileId> tiles;
    if (z < 0 || z >= 30 || !(rect.width >= 0) || !(rect.height >= 0))
        return tiles;
    const int n = 1 << z;
    const double size = kMapWorldWidth / n;
    const auto index = [&](double v) { return std::clamp(int(std::floor(v / size)), 0, n - 1); };
    // Right and bottom edges are exclusive, so a view exactly one tile wide needs one tile.
    const double right = rect.x + rect.width;
    const double bottom = rect.y + rect.height;
    if (right <= 0 || bottom <= 0 || rect.x >= kMapWorldWidth || rect.y >= kMapWorldWidth)
        return tiles;
    const int x0 = index(rect.x);
    const int y0 = index(rect.y);
    const int x1 = index(std::nextafter(right, rect.x));
    const int y1 = index(std::nextafter(bottom, rect.y));

    tiles.reserve((x1 - x0 + 1) * (y1 - y0 + 1));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            tiles.append({z, x, y});

    const double cx = (rect.x + right) / 2;
    const double cy = (rect.y + bottom) / 2;
    const auto distance = [&](const TileId& t) {
        const double dx = (t.x + 0.5) * size - cx;
        const double dy = (t.y + 0.5) * size - cy;
        return dx * dx + dy * dy;
    };
    std::stable_sort(tiles.begin(), tiles.end(),
                     [&](const TileId& a, const TileId& b) { return distance(a) < distance(b); });
    return tiles;
}

} // namespace TileCover
