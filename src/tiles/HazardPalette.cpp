#include "tiles/HazardPalette.h"

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

} // namespace HazardPalette
