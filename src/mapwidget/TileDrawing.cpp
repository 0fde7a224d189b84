#include "mapwidget/TileDrawing.h"

#include "mapwidget/MapViewport.h"

#include <QPainter>

namespace TileDrawing {

void drawTilePart(QPainter& painter, const MapViewport& viewport, const TileId& drawn,
                  const QImage& image, const TileId& imageTile, bool smooth)
{
    const QRect target = viewport.deviceRect(drawn.mapRect());
    if (target.isEmpty() || image.isNull())
        return;
    const int levels = drawn.z - imageTile.z;
    const bool scaled = levels > 0 || target.size() != image.size();
    if (painter.testRenderHint(QPainter::SmoothPixmapTransform) != (scaled && smooth))
        painter.setRenderHint(QPainter::SmoothPixmapTransform, scaled && smooth);
    if (levels <= 0) {
        painter.drawImage(target, image);
        return;
    }
    const double partWidth = double(image.width()) / (1 << levels);
    const double partHeight = double(image.height()) / (1 << levels);
    const QRectF source((drawn.x - (imageTile.x << levels)) * partWidth,
                        (drawn.y - (imageTile.y << levels)) * partHeight, partWidth, partHeight);
    painter.drawImage(QRectF(target), image, source);
}

} // namespace TileDrawing
