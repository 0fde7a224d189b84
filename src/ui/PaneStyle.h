#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

// Fonts and colours of the small views over and under the radar maps. Every measure of these
// views is in device-independent pixels, text sizes included, so a label keeps its
// proportion to the swatch, track or thumb it stands next to.
namespace PaneStyle {

// Noto Sans CJK JP at `pixelSize`. Its digits all have the same advance, so clock times and
// ages do not jitter from one frame to the next.
QFont font(int pixelSize, QFont::Weight weight = QFont::Normal);
// For labels of figures only (scale steps, clock times): `font` when its digits share one
// advance, otherwise the system's fixed-pitch face at the same size and weight, so the figures
// keep their places on a system that lacks the Japanese face.
QFont tabularDigits(const QFont& font);

bool isDark(const QPalette& palette);
QColor primaryText(const QPalette& palette);
// Captions and secondary values: the text colour, faded so it recedes on any background.
QColor secondaryText(const QPalette& palette);
QColor accent(const QPalette& palette);
QColor orange(const QPalette& palette);
QColor red(const QPalette& palette);

// `color` with its opacity multiplied by `opacity`.
QColor faded(QColor color, qreal opacity);

} // namespace PaneStyle
