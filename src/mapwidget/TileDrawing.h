#pragma once

#include "geo/TileId.h"

#include <QImage>

class MapViewport;
class QPainter;

namespace TileDrawing {

// Draws the part of `image` (the picture of `imageTile`) that covers `drawn`, which lies
// inside `imageTile` or is the same tile, onto whole device pixels. The painter works in
// device pixels of `viewport`. Smooth scaling is switched on only for pictures that are
// scaled (and `smooth` allows it): with it on, even a 1:1 blit leaves Qt's fast path and
// costs several times more.
void drawTilePart(QPainter& painter, const MapViewport& viewport, const TileId& drawn,
                  const QImage& image, const TileId& imageTile, bool smooth);

} // namespace TileDrawing
