#include "HazardTiles.h"

#include <QBuffer>
#include <QImage>
#include <QPointF>

#include <cmath>

namespace HazardTiles {

const QList<QColor>& thunderColours()
{
    static const QList<QColor> colours{QColor(255, 230, 80), QColor(255, 153, 0),
                                       QColor(255, 40, 0), QColor(200, 0, 200)};
    return colours;
}

const QList<QColor>& tornadoColours()
{
    static const QList<QColor> colours{QColor(150, 100, 230), QColor(90, 0, 160)};
    return colours;
}

namespace {

QImage blank(const QList<QColor>& colours)
{
    QImage image(256, 256, QImage::Format_Indexed8);
    QList<QRgb> table{qRgba(0, 0, 0, 0)};
    for (const QColor& colour : colours)
        table.append(colour.rgba());
    image.setColorTable(table);
    image.fill(0);
    return image;
}

QByteArray encoded(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

std::optional<QByteArray> storm(const QList<QColor>& colours, double latitude, double longitude,
                                double radius, int z, int x, int y)
{
    // The centre in pixels of this zoom's world, and the radius at this zoom.
    const double world = 256.0 * std::pow(2.0, z);
    const double phi = latitude * M_PI / 180;
    const QPointF centre((longitude + 180) / 360 * world,
                         (1 - std::asinh(std::tan(phi)) / M_PI) / 2 * world);
    const double scaled = radius * std::pow(2.0, z - 8);
    const QPointF local = centre - QPointF(256.0 * x, 256.0 * y);
    if (local.x() < -scaled || local.y() < -scaled || local.x() > 256 + scaled ||
        local.y() > 256 + scaled)
        return std::nullopt;
    QImage image = blank(colours);
    const int levels = int(colours.size());
    for (int row = 0; row < 256; ++row) {
        for (int column = 0; column < 256; ++column) {
            const double d = std::hypot(column + 0.5 - local.x(), row + 0.5 - local.y());
            if (d < scaled)
                image.setPixel(column, row, uint(levels - int(d / scaled * levels)));
        }
    }
    return encoded(image);
}

QByteArray tile(const QList<QColor>& colours, int level)
{
    QImage image = blank(colours);
    for (int y = 64; y < 192; ++y)
        for (int x = 64; x < 192; ++x)
            image.setPixel(x, y, uint(level));
    return encoded(image);
}

} // namespace HazardTiles
