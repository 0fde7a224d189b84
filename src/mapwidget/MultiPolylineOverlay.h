#pragma once

#include "mapwidget/ShapeOverlay.h"

// Many lines drawn as one overlay with one renderer (border lines, say): one stroke call
// instead of hundreds.
class MultiPolylineOverlay : public ShapeOverlay {
public:
    explicit MultiPolylineOverlay(const QList<QList<GeoCoordinate>>& lines);

    MapRect boundingMapRect() const override { return m_bounds; }
    void addToPath(QPainterPath& path, const ShapeProjection& projection) const override;

private:
    struct Line {
        QList<MapPoint> points;
        MapRect bounds;
    };
    QList<Line> m_lines;
    MapRect m_bounds;
};
