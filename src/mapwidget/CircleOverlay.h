#pragma once

#include "mapwidget/ShapeOverlay.h"

// A circle on the ground: a centre and a radius in metres, drawn round in the Mercator
// plane with the scale of its centre's latitude.
class CircleOverlay : public ShapeOverlay {
public:
    CircleOverlay(const GeoCoordinate& center, double radiusMetres);

    GeoCoordinate center() const { return m_center; }
    double radius() const { return m_radius; }
    MapRect boundingMapRect() const override { return m_bounds; }
    void addToPath(QPainterPath& path, const ShapeProjection& projection) const override;
    bool isClosed() const override { return true; }

private:
    GeoCoordinate m_center;
    double m_radius;
    MapPoint m_mapCenter;
    double m_mapRadius;
    MapRect m_bounds;
};
