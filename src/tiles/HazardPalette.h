#pragma once

#include "geo/GeoTypes.h"
#include "geo/TileId.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QPoint>

// The thunder and tornado nowcast tiles are palette PNGs whose index 0 is transparent and
// whose index N paints level N. Reading the levels' colours from a served tile keeps the
// legend in step with whatever the agency draws; reading an index tells a place's level.
// Pure functions, safe on any thread.
namespace HazardPalette {

// The level colours of a tile, lowest level first (the opaque entries of its palette in
// index order); empty for a tile without a palette, such as the empty placeholder.
QList<QColor> levelColours(const QByteArray& png);

// The level shown at `pixel` of a decoded palette tile: 0 where nothing is drawn, outside
// the picture or in a picture without a palette.
int levelAt(const QImage& tile, QPoint pixel);

// The tile of zoom `z` holding `place`, and the place's pixel in it (Web Mercator, 256
// pixels a tile).
struct PlacePixel {
    TileId tile;
    QPoint pixel;
};
PlacePixel placePixel(const GeoCoordinate& place, int z);

// The level at `place` on its served tile of zoom `z` (the PNG bytes of
// placePixel(place, z).tile): what an outlook for the place needs to say
// "雷の可能性（活動度N）". 0 for an empty tile or bytes that do not decode.
int levelAtPlace(const QByteArray& png, const GeoCoordinate& place, int z);

} // namespace HazardPalette
