#pragma once

#include <QFont>

// The font of the map's text labels: the application's Japanese face at a size in points
// (one point is one logical pixel on the map).
namespace MapFonts {

QFont labelFont(double points, QFont::Weight weight);

} // namespace MapFonts
