#pragma once

#include <QColor>

// The few named colours the map layers are drawn in. They stand for the desktop's semantic
// colours (the same values in light and dark maps, so a layer reads the same on both), and
// the accent and text colours of the application's palettes.
namespace MapColors {

QColor systemRed();
QColor systemOrange();
QColor systemYellow();
QColor systemGray();
// The palette's highlight colour of the light or the dark appearance.
QColor accent(bool dark);
// The palette's text colour of the light or the dark appearance.
QColor primaryLabel(bool dark);
// `color` with its alpha replaced.
QColor withAlpha(QColor color, double alpha);

} // namespace MapColors
