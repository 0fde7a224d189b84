#include "mapwidget/TileDecoder.h"

#include <algorithm>

namespace TileDecoder {

QImage decode(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return {};
    return prepared(QImage::fromData(bytes));
}

QImage prepared(QImage image)
{
    if (image.isNull())
        return image;
    const QImage::Format wanted =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (image.format() != wanted)
        image.convertTo(wanted);
    image.setDevicePixelRatio(1.0);
    return image;
}

QImage invertedLuminance(const QImage& source)
{
    QImage image = prepared(source);
    if (image.isNull())
        return image;
    image.detach();
    const bool opaque = image.format() == QImage::Format_RGB32;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            const int a = opaque ? 255 : qAlpha(pixel);
            if (a == 0)
                continue;
            const int r = qRed(pixel);
            const int g = qGreen(pixel);
            const int b = qBlue(pixel);
            // Rec. 601 luma in premultiplied terms; moving every channel by the same amount
            // mirrors the luma about the middle and leaves the colour differences alone.
            const int luma = (299 * r + 587 * g + 114 * b) / 1000;
            const int shift = a - 2 * luma;
            line[x] = qRgba(std::clamp(r + shift, 0, a), std::clamp(g + shift, 0, a),
                            std::clamp(b + shift, 0, a), a);
        }
    }
    return image;
}

} // namespace TileDecoder
