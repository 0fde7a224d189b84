#pragma once

#include "geo/TileId.h"

#include <QList>

class MapViewport;

// Which tiles a view needs: pure functions, any thread.
namespace TileCover {

// The tile level whose pixels come closest to the view's device pixels, within
// [minimumZ, maximumZ].
int levelForDevice(const MapViewport& viewport, int minimumZ, int maximumZ);
// The tile level whose points come closest to the view's logical points (overlays that
// scale their tiles by the content scale factor), within [minimumZ, maximumZ].
int levelForPoints(const MapViewport& viewport, int minimumZ, int maximumZ);

// Every tile at level z that meets `rect`, nearest the rectangle's centre first (ties in
// row-major order, so the order is stable).
QList<TileId> covering(const MapRect& rect, int z);

} // namespace TileCover
