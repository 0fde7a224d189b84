#pragma once

#include "geo/TileId.h"
#include "radar/RadarFrame.h"

#include <QStringList>
#include <QUrl>

// Where the agency serves one radar tile of a frame. Addresses exist for even zooms up
// to the product's deepest zoom only; other zooms are derived from those
// (RadarTilePictures).
namespace TileAddress {

// The deepest zoom the agency serves a product's tiles at: 10 for rain; 8 for the thunder
// and tornado nowcasts. Those are computed on 1 km and 10 km grids, so a zoom-8 pixel
// (about 0.5 km over Japan) already shows every cell, and the agency's own map stops
// asking for them there. No address deeper than this is ever asked for: the agency's CDN
// keeps a 404 for a guessed address.
int deepestZoom(RadarProduct product);
// Whether the agency serves a tile of `product` at zoom `z` (an even zoom, not deeper than
// deepestZoom).
bool isServedZoom(RadarProduct product, int z);

// Member segments to try for a product, in order.
QStringList candidateMembers(RadarProduct product);

// https://<agency host>/bosai/jmatile/data/<dir>/<basetime>/<member>/<validtime>/surf/
// <element>/<z>/<x>/<y>.png
QUrl tileUrl(const RadarFrame& frame, const QString& member, const TileId& tile);

// Key of the remembered member: "analysis/20250101000000".
QString memberKey(const RadarFrame& frame);

} // namespace TileAddress
