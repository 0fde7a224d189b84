#include "mapwidget/ShapeOverlay.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>

MapRect ShapeOverlay::boundsOf(const QList<MapPoint>& points)
{
    if (points.isEmpty())
        return {};
    double left = points.first().x;
    double right = left;
    double top = points.first().y;
    double bottom = top;
    for (const MapPoint& p : points) {
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    return {left, top, right - left, bottom - top};
}

void ShapeOverlay::addPolyline(QPainterPath& path, const QList<MapPoint>& points,
                               const MapRect& bounds, const ShapeProjection& projection)
{
    if (points.size() < 2 || !MapProjection::intersects(bounds, projection.clip))
        return;
    const MapRect& clip = projection.clip;
    const auto segmentVisible = [&](const MapPoint& a, const MapPoint& b) {
        return std::max(a.x, b.x) >= clip.x && std::min(a.x, b.x) <= clip.x + clip.width &&
               std::max(a.y, b.y) >= clip.y && std::min(a.y, b.y) <= clip.y + clip.height;
    };
    const double tolerance2 = projection.tolerance * projection.tolerance;

    bool drawing = false;
    QPointF last;
    for (qsizetype i = 1; i < points.size(); ++i) {
        if (!segmentVisible(points[i - 1], points[i])) {
            drawing = false;
            continue;
        }
        const QPointF to = projection.map(points[i]);
        if (!drawing) {
            last = projection.map(points[i - 1]);
            path.moveTo(last);
            drawing = true;
        }
        const QPointF d = to - last;
        const bool lastOfRun = i + 1 == points.size() || !segmentVisible(points[i], points[i + 1]);
        if (d.x() * d.x() + d.y() * d.y() >= tolerance2 || lastOfRun) {
            path.lineTo(to);
            last = to;
        }
    }
}
