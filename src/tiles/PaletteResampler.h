#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

// Resizing of the agency's palette tiles straight from their colour indices into
// premultiplied pixels. Converting a whole tile to ARGB first and then scaling it costs
// about as much as decoding it; reading the indices once and looking colours up in a
// premultiplied table folds both into one pass. Runs of one index (most of a rain tile:
// clear sky, or the inside of a band) are copied without blending. Pure functions, safe on
// any thread.
namespace PaletteResampler {

// True for the pictures these functions read: 8-bit indexed, as Qt decodes palette PNGs.
bool handles(const QImage& source);

// `source` at half its size (each target pixel the mean of a 2 × 2 block), written into
// `target` (premultiplied ARGB) with its top-left corner at `at`.
void halveInto(const QImage& source, QImage& target, QPoint at);

// `source` at its own size into `target` at `at`.
void copyInto(const QImage& source, QImage& target, QPoint at);

// `square` of `source` enlarged `factor` times with bilinear interpolation between pixel
// centres (edges repeat the outermost pixels), as premultiplied ARGB.
QImage enlarge(const QImage& source, const QRect& square, int factor);

} // namespace PaletteResampler
