#pragma once

#include "mapwidget/MapOverlay.h"
#include "mapwidget/MapProjection.h"

#include <QList>
#include <QPointF>

class QPainterPath;

// How a shape turns into device pixels: map point × scale − origin. Parts wholly outside
// `clip` (map points) may be left out, and points closer together than `tolerance` device
// pixels merged: both keep dashed, antialiased strokes of long lines affordable.
struct ShapeProjection {
    double scale = 1;
    QPointF origin;
    MapRect clip;
    double tolerance = 0.5;

    QPointF map(const MapPoint& p) const
    {
        return {p.x * scale - origin.x(), p.y * scale - origin.y()};
    }
};

// An overlay drawn as vector shapes (lines, circles) by a ShapeRenderer.
class ShapeOverlay : public MapOverlay {
public:
    virtual MapRect boundingMapRect() const = 0;
    virtual void addToPath(QPainterPath& path, const ShapeProjection& projection) const = 0;
    // Closed shapes take the renderer's fill.
    virtual bool isClosed() const { return false; }

protected:
    // A line through `points` (with `bounds` around them), cut where it leaves the clip.
    static void addPolyline(QPainterPath& path, const QList<MapPoint>& points,
                            const MapRect& bounds, const ShapeProjection& projection);
    static MapRect boundsOf(const QList<MapPoint>& points);
};
