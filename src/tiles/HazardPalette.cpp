#include "tiles/HazardPalette.h"

#include "tiles/TileImages.h"

#include <cmath>

namespace HazardPalette {

QList<QColor> levelColours(const QByteArray& png)
{
    const QImage image = QImage::fromData(png, "PNG");
    QList<QColor> colours;
    if (image.format() != QImage::Format_Indexed8)
        return colours;
    for (QRgb entry : image.colorTable()) {
        if (qAlpha(entry) > 0)
            colours.append(QColor::fromRgb(qRed(entry), qGreen(entry), qBlue(entry)));
    }
    return colours;
}

int levelAt(const QImage& tile, QPoint pixel)
{
    if (tile.format() != QImage::Format_Indexed8 || !tile.valid(pixel))
        return 0;
    const int index = tile.pixelIndex(pixel);
    // Transparent entries before it are no level; index N otherwise paints level N.
    int level = 0;
    const QList<QRgb> table = tile.colorTable();
    for (int i = 1; i <= index && i < table.size(); ++i)
        level += qAlpha(table[i]) > 0 ? 1 : 0;
    return index < table.size() && qAlpha(table[index]) > 0 ? level : 0;
}

PlacePixel placePixel(const GeoCoordinate& place, int z)
{
    const double tiles = std::ldexp(1.0, z);
    const double phi = place.latitude * M_PI / 180;
    const double x = (place.longitude + 180) / 360 * tiles;
    const double y = (1 - std::asinh(std::tan(phi)) / M_PI) / 2 * tiles;
    const TileId tile{z, int(std::floor(x)), int(std::floor(y))};
    return {tile, QPoint(int(std::floor((x - tile.x) * 256)), int(std::floor((y - tile.y) * 256)))};
}

int levelAtPlace(const QByteArray& png, const GeoCoordinate& place, int z)
{
    if (TileImages::isEmptyTile(png))
        return 0;
    const QImage image = QImage::fromData(png, "PNG");
    // A picture of another size is scaled to the tile's 256 pixels.
    const QPoint pixel = placePixel(place, z).pixel;
    if (image.width() <= 0 || image.height() <= 0)
        return 0;
    return levelAt(image,
                   QPoint(pixel.x() * image.width() / 256, pixel.y() * image.height() / 256));
}

} // namespace HazardPalette
