#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>

class QPainter;

// The bubble that shows a selected annotation's title and subtitle, its arrow pointing
// down at `anchor` (the top of the annotation's view). Drawn in points.
namespace CalloutBubble {

QRectF frame(const QPointF& anchor, const QString& title, const QString& subtitle);
void paint(QPainter& painter, const QPointF& anchor, const QString& title, const QString& subtitle,
           bool dark);

} // namespace CalloutBubble
