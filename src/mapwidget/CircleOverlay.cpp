#include "mapwidget/CircleOverlay.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>

CircleOverlay::CircleOverlay(const GeoCoordinate& center, double radiusMetres)
    : m_center(center)
    , m_radius(std::isfinite(radiusMetres) ? std::max(radiusMetres, 0.0) : 0.0)
    , m_mapCenter(MapProjection::toMapPoint(center))
    , m_mapRadius(m_radius / MapProjection::metresPerMapPoint(center.latitude))
    , m_bounds{m_mapCenter.x - m_mapRadius, m_mapCenter.y - m_mapRadius, 2 * m_mapRadius,
               2 * m_mapRadius}
{}

void CircleOverlay::addToPath(QPainterPath& path, const ShapeProjection& projection) const
{
    if (m_mapRadius <= 0 || !MapProjection::intersects(m_bounds, projection.clip))
        return;
    const double r = m_mapRadius * projection.scale;
    path.addEllipse(projection.map(m_mapCenter), r, r);
}
