#pragma once

#include <QByteArray>
#include <QImage>

// Turns tile bytes into images ready to blit. Decoding and conversion cost milliseconds per
// tile, so callers run these on worker threads; every function is thread-safe.
namespace TileDecoder {

// An encoded image (PNG, JPEG, …) in a format the painter blits fastest: RGB32 when it has
// no alpha, premultiplied ARGB32 otherwise. A null image when the bytes do not decode.
QImage decode(const QByteArray& bytes);
// The same conversion for an image that is already decoded.
QImage prepared(QImage image);
// Light turned dark: each pixel's luminance inverted, its hue and saturation kept, so a
// pale map becomes a dark one with light labels.
QImage invertedLuminance(const QImage& image);

} // namespace TileDecoder
