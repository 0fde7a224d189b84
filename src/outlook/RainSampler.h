#pragma once

#include "geo/GeoTypes.h"
#include "tiles/TileMath.h"

#include <QByteArray>
#include <QImage>
#include <QRgb>

#include <optional>

// The rain band a radar tile shows at one place. Pure and safe on any thread: the outlook
// runs it on the thread pool, never on the GUI thread.
namespace RainSampler {

// The deepest zoom the agency serves for both radar products; finer tiles are only cut from
// these.
inline constexpr int kZoom = 10;

// Where a place is sampled: its zoom-10 tile and the pixel inside it.
TileMath::TilePixel pixelOf(GeoCoordinate place);

// The band of one legend colour. Transparent is no rain; a colour the legend does not have
// takes the nearest band by colour distance (each such colour is logged once).
int bandOfColor(QRgb color);

// The highest band over the 3×3 pixels around (x, y), the block clamped inside the image,
// so a place on the edge of a band does not flip between neighbouring frames. A palette
// image's colours are classified once, not per pixel.
int bandAround(const QImage& image, int x, int y);

// The band at a pixel of a tile's bytes; nothing when they are not a tile's picture
// (TileImages::decode).
std::optional<int> bandAt(const QByteArray& tileBytes, int x, int y);

} // namespace RainSampler
