#include "mapwidget/PolylineOverlay.h"

PolylineOverlay::PolylineOverlay(const QList<GeoCoordinate>& coordinates)
    : m_coordinates(coordinates)
{
    m_points.reserve(coordinates.size());
    for (const GeoCoordinate& c : coordinates)
        m_points.append(MapProjection::toMapPoint(c));
    m_bounds = boundsOf(m_points);
}

void PolylineOverlay::addToPath(QPainterPath& path, const ShapeProjection& projection) const
{
    addPolyline(path, m_points, m_bounds, projection);
}
