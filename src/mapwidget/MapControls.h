#pragma once

#include <QRectF>
#include <QSizeF>

class QPainter;

// The zoom buttons (+ over −) drawn in the map's bottom-right corner, in points.
namespace MapControls {

enum class Button { None, ZoomIn, ZoomOut };

QRectF buttonRect(const QSizeF& viewSize, Button button);
Button buttonAt(const QSizeF& viewSize, const QPointF& point);
void paint(QPainter& painter, const QSizeF& viewSize, bool dark, Button pressed);

} // namespace MapControls
