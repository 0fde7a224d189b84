#pragma once

#include "mapwidget/ShapeOverlay.h"

// A line through coordinates, in order (straight in the Mercator plane between them).
class PolylineOverlay : public ShapeOverlay {
public:
    explicit PolylineOverlay(const QList<GeoCoordinate>& coordinates);

    const QList<GeoCoordinate>& coordinates() const { return m_coordinates; }
    MapRect boundingMapRect() const override { return m_bounds; }
    void addToPath(QPainterPath& path, const ShapeProjection& projection) const override;

private:
    QList<GeoCoordinate> m_coordinates;
    QList<MapPoint> m_points;
    MapRect m_bounds;
};
