#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>

// Thunder and tornado tiles made up for tests: palette PNGs like the agency's, index 0
// transparent and index N the colour of level N, with known colours.
namespace HazardTiles {

// Level colours the made-up tiles carry, lowest level first.
const QList<QColor>& thunderColours(); // four levels
const QList<QColor>& tornadoColours(); // two levels

// A 256-pixel palette PNG of `colours`: transparent but for a square of `level` (1-based)
// covering the tile's centre quarter (from pixel 64 to 191 each way).
QByteArray tile(const QList<QColor>& colours, int level);

} // namespace HazardTiles
