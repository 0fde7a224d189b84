#pragma once

#include "geo/TileId.h"
#include "radar/RadarFrame.h"

#include <QStringList>
#include <QUrl>

// Where the agency serves one radar tile of a frame. Addresses exist for even zooms up
// to 10 only; other zooms are derived from those (RadarTilePictures).
namespace TileAddress {

// Member segments to try for a product, in order.
QStringList candidateMembers(RadarProduct product);

// https://<agency host>/bosai/jmatile/data/<dir>/<basetime>/<member>/<validtime>/surf/
// <element>/<z>/<x>/<y>.png
QUrl tileUrl(const RadarFrame& frame, const QString& member, const TileId& tile);

// Key of the remembered member: "analysis/20250101000000".
QString memberKey(const RadarFrame& frame);

} // namespace TileAddress
