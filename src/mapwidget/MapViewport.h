#pragma once

#include "geo/GeoTypes.h"
#include "mapwidget/MapProjection.h"

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QSizeF>

// What part of the map plane a view of a given size shows: a centre in map points and a
// continuous zoom (at zoom z the world is 256 × 2^z points wide), north up. Screen
// positions are in the view's logical points; everything drawn is placed through the
// device-pixel mapping, whose origin is rounded to a whole device pixel so that tiles and
// cached layers land on whole pixels.
//
// A region is read back as the largest box centred on the view's centre that the view
// shows entirely; fitting a region makes that box cover it. So setRegion(region()) is a
// no-op, which keeps saved regions from creeping between sessions.
class MapViewport {
public:
    static constexpr double kMinZoom = 2.0;
    static constexpr double kMaxZoom = 19.0;
    static constexpr double kTileSize = 256.0;

    MapViewport() = default;
    MapViewport(MapPoint center, double zoom, QSizeF size, qreal devicePixelRatio = 1.0);

    MapPoint center() const { return m_center; }
    double zoom() const { return m_zoom; }
    QSizeF size() const { return m_size; }
    qreal devicePixelRatio() const { return m_dpr; }
    bool isEmpty() const { return m_size.width() < 1.0 || m_size.height() < 1.0; }

    void setCenter(MapPoint center);
    void setZoom(double zoom);
    void setSize(QSizeF size);
    void setDevicePixelRatio(qreal ratio);

    // Logical points per map point, and device pixels per map point.
    double scale() const;
    double deviceScale() const { return scale() * m_dpr; }

    MapRect visibleMapRect() const;
    MapRegion region() const;
    GeoCoordinate centerCoordinate() const { return MapProjection::toCoordinate(m_center); }

    // Device pixels: the map plane scaled by deviceScale(), shifted by deviceOrigin().
    QPoint deviceOrigin() const;
    QSize deviceSize() const;
    QPointF devicePoint(const MapPoint& point) const;
    // Map points [from, to) along one axis as whole device pixels, so neighbours share edges.
    QRect deviceRect(const MapRect& rect) const;

    QPointF pointForMapPoint(const MapPoint& point) const;
    MapPoint mapPointForPoint(const QPointF& point) const;
    QPointF pointForCoordinate(const GeoCoordinate& coordinate) const;
    GeoCoordinate coordinateForPoint(const QPointF& point) const;

    // This view moved so that it shows `region` entirely, centred on its centre. An empty
    // view or an empty region keeps the zoom.
    MapViewport fitted(const MapRegion& region) const;
    // Dragging the map by `delta` logical points.
    MapViewport pannedBy(const QPointF& delta) const;
    // Zooming with the map point under `anchor` kept in place.
    MapViewport zoomedTo(double zoom, const QPointF& anchor) const;

    friend bool operator==(const MapViewport&, const MapViewport&) = default;

private:
    void clampCenter();

    MapPoint m_center{kMapWorldWidth / 2, kMapWorldWidth / 2};
    double m_zoom = kMinZoom;
    QSizeF m_size;
    qreal m_dpr = 1.0;
};

QDebug operator<<(QDebug debug, const MapViewport& viewport);
