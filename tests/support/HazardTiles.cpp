#include "HazardTiles.h"

#include <QBuffer>
#include <QImage>

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

QByteArray tile(const QList<QColor>& colours, int level)
{
    QImage image(256, 256, QImage::Format_Indexed8);
    QList<QRgb> table{qRgba(0, 0, 0, 0)};
    for (const QColor& colour : colours)
        table.append(colour.rgba());
    image.setColorTable(table);
    image.fill(0);
    for (int y = 64; y < 192; ++y)
        for (int x = 64; x < 192; ++x)
            image.setPixel(x, y, uint(level));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace HazardTiles
