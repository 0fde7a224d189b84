#include "mapwidget/MultiPolylineOverlay.h"

MultiPolylineOverlay::MultiPolylineOverlay(const QList<QList<GeoCoordinate>>& lines)
{
    m_lines.reserve(lines.size());
    bool first = true;
    for (const QList<GeoCoordinate>& coordinates : lines) {
        Line line;
        line.points.reserve(coordinates.size());
        for (const GeoCoordinate& c : coordinates)
            line.points.append(MapProjection::toMapPoint(c));
        if (line.points.isEmpty())
            continue;
        line.bounds = boundsOf(line.points);
        m_bounds = first ? line.bounds : MapProjection::united(m_bounds, line.bounds);
        first = false;
        m_lines.append(std::move(line));
    }
}

void MultiPolylineOverlay::addToPath(QPainterPath& path, const ShapeProjection& projection) const
{
    if (!MapProjection::intersects(m_bounds, projection.clip))
        return;
    for (const Line& line : m_lines)
        addPolyline(path, line.points, line.bounds, projection);
}
