#pragma once

#include <QByteArray>
#include <QImage>

#include <array>
#include <optional>

// Image work on radar tiles: pure functions, safe on any thread. Callers run them off the
// GUI thread.
namespace TileImages {

// The largest tile side read. The agency's tiles are 256 pixels; a larger picture is not
// one of theirs, and decoding it could cost seconds and hundreds of megabytes.
inline constexpr int kMaxTileSide = 1024;

// A tile's picture: PNG only (whatever the bytes look like to Qt's other image readers) and
// at most kMaxTileSide on a side, judged from the header before anything is decoded. Null
// otherwise.
QImage decode(const QByteArray& bytes);

// A tile without precipitation, told from its bytes alone: the agency's transparent RGBA
// placeholder is small, and byte 25 (the PNG colour type) is 6. Rain tiles are palette
// PNGs (colour type 3), however small.
bool isEmptyTile(const QByteArray& bytes);

// What a tile looks like for the map: the agency's own bytes, or a picture made from them.
struct DisplayTile {
    QByteArray encoded; // set when the agency's bytes are shown as they are
    QImage image;       // set when the tile was composed or cut out
    bool empty = false; // no precipitation at all

    bool hasContent() const { return !encoded.isEmpty() || !image.isNull(); }
};

// Four tiles of the next zoom (top-left, top-right, bottom-left, bottom-right) on one
// canvas of `side` pixels (512 keeps every source pixel). Nothing if any is missing; the
// first one's bytes if all are empty.
std::optional<DisplayTile> compose(const std::array<std::optional<QByteArray>, 4>& quadrants,
                                   int side = 512);

// The square of a zoom-10 tile that a deeper zoom shows: `scale` parts per side, at column
// subX and row subY, enlarged (smoothly) to `side` pixels when `side` is larger. Empty
// tiles stay as they are; a tile too small to divide is returned unchanged; undecodable
// bytes give nothing.
std::optional<DisplayTile> crop(const QByteArray& bytes, int scale, int subX, int subY,
                                int side = 0);
// The same with the bytes (not empty) already decoded.
std::optional<DisplayTile> cropPicture(const QImage& image, const QByteArray& bytes, int scale,
                                       int subX, int subY, int side);

// The side in pixels of a derived tile drawn at a device-pixel ratio: the size it covers on
// screen, so the map blits it instead of scaling it at every repaint.
int displaySide(double contentScale);

} // namespace TileImages
