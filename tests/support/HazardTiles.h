#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>

#include <optional>

// Thunder and tornado tiles made up for tests: palette PNGs like the agency's, index 0
// transparent and index N the colour of level N, with known colours.
namespace HazardTiles {

// Level colours the made-up tiles carry, lowest level first.
const QList<QColor>& thunderColours(); // four levels
const QList<QColor>& tornadoColours(); // two levels

// A 256-pixel palette PNG of `colours`: transparent but for a square of `level` (1-based)
// covering the tile's centre quarter (from pixel 64 to 191 each way).
QByteArray tile(const QList<QColor>& colours, int level);

// The tile `z`/`x`/`y` (z up to 8) of a storm around `latitude`, `longitude`: rings of rising
// level towards the centre, `radius` pixels of zoom 8 wide in all. Nothing (no value) when
// the storm does not reach the tile.
std::optional<QByteArray> storm(const QList<QColor>& colours, double latitude, double longitude,
                                double radius, int z, int x, int y);

} // namespace HazardTiles
