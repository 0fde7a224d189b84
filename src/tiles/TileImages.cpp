#include "tiles/TileImages.h"

#include "tiles/PaletteResampler.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace TileImages {

bool isEmptyTile(const QByteArray& bytes)
{
    return bytes.size() >= 26 && bytes.size() <= 400 && quint8(bytes.at(25)) == 6;
}

QImage decode(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setAutoDetectImageFormat(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxTileSide || size.height() > kMaxTileSide)
        return {};
    return reader.read();
}

int displaySide(double contentScale)
{
    return std::clamp(int(std::lround(256 * contentScale)), 256, 512);
}

std::optional<DisplayTile> compose(const std::array<std::optional<QByteArray>, 4>& quadrants,
                                   int side)
{
    for (const auto& quadrant : quadrants) {
        if (!quadrant)
            return std::nullopt;
    }
    const bool allEmpty = std::all_of(quadrants.begin(), quadrants.end(),
                                      [](const auto& q) { return isEmptyTile(*q); });
    if (allEmpty)
        return DisplayTile{*quadrants[0], {}, true};

    QImage canvas(side, side, QImage::Format_ARGB32_Premultiplied);
    if (canvas.isNull())
        return std::nullopt;
    canvas.fill(Qt::transparent);
    const int half = side / 2;
    for (int i = 0; i < 4; ++i) {
        // An empty quadrant is transparent already; skip its decode.
        if (isEmptyTile(*quadrants[i]))
            continue;
        const QImage image = decode(*quadrants[i]);
        if (image.isNull())
            continue; // stays transparent
        const QRect target((i % 2) * half, (i / 2) * half, half, half);
        const bool palette = PaletteResampler::handles(image);
        if (palette && image.size() == 2 * target.size()) {
            PaletteResampler::halveInto(image, canvas, target.topLeft());
        } else if (palette && image.size() == target.size()) {
            PaletteResampler::copyInto(image, canvas, target.topLeft());
        } else {
            QPainter painter(&canvas);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(target, image);
        }
    }
    return DisplayTile{{}, canvas, false};
}

std::optional<DisplayTile> crop(const QByteArray& bytes, int scale, int subX, int subY, int side)
{
    if (isEmptyTile(bytes))
        return DisplayTile{bytes, {}, true};
    return cropPicture(decode(bytes), bytes, scale, subX, subY, side);
}

std::optional<DisplayTile> cropPicture(const QImage& image, const QByteArray& bytes, int scale,
                                       int subX, int subY, int side)
{
    if (image.isNull())
        return std::nullopt;
    if (scale < 1)
        return DisplayTile{bytes, {}, false};
    const int w = image.width() / scale;
    if (w < 1 || image.height() / scale != w)
        return DisplayTile{bytes, {}, false};
    const QRect square(subX * w, subY * w, w, w);
    if (!image.rect().contains(square))
        return std::nullopt;
    if (side > w && side % w == 0 && PaletteResampler::handles(image))
        return DisplayTile{{}, PaletteResampler::enlarge(image, square, side / w), false};
    QImage cut = image.copy(square).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (side > w)
        cut = cut.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return DisplayTile{{}, cut, false};
}

} // namespace TileImages
