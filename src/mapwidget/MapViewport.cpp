#include "mapwidget/MapViewport.h"

#include <algorithm>
#include <cmath>
#include <limits>

MapViewport::MapViewport(MapPoint center, double zoom, QSizeF size, qreal devicePixelRatio)
    : m_center(center)
    , m_zoom(std::clamp(zoom, kMinZoom, kMaxZoom))
    , m_size(size)
    , m_dpr(devicePixelRatio > 0 ? devicePixelRatio : 1.0)
{
    clampCenter();
}

void MapViewport::setCenter(MapPoint center)
{
    m_center = center;
    clampCenter();
}

void MapViewport::setZoom(double zoom)
{
    if (!std::isfinite(zoom))
        return;
    m_zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    clampCenter();
}

void MapViewport::setSize(QSizeF size)
{
    m_size = size;
    clampCenter();
}

void MapViewport::setDevicePixelRatio(qreal ratio)
{
    if (ratio > 0)
        m_dpr = ratio;
}

double MapViewport::scale() const
{
    return kTileSize * std::exp2(m_zoom) / kMapWorldWidth;
}

void MapViewport::clampCenter()
{
    if (!std::isfinite(m_center.x) || !std::isfinite(m_center.y))
        m_center = {kMapWorldWidth / 2, kMapWorldWidth / 2};
    // Nothing lies north or south of the world, so the view never shows past its edges
    // unless the whole world is shorter than the view. East and west only stop at the
    // antimeridian: the map does not wrap.
    const double halfHeight = m_size.height() / 2 / scale();
    if (2 * halfHeight >= kMapWorldWidth)
        m_center.y = kMapWorldWidth / 2;
    else
        m_center.y = std::clamp(m_center.y, halfHeight, kMapWorldWidth - halfHeight);
    m_center.x = std::clamp(m_center.x, 0.0, kMapWorldWidth);
}

MapRect MapViewport::visibleMapRect() const
{
    const double s = scale();
    const double width = m_size.width() / s;
    const double height = m_size.height() / s;
    return {m_center.x - width / 2, m_center.y - height / 2, width, height};
}

MapRegion MapViewport::region() const
{
    const MapRect visible = visibleMapRect();
    const GeoCoordinate center = centerCoordinate();
    const double north = MapProjection::toCoordinate({m_center.x, visible.y}).latitude;
    const double south =
        MapProjection::toCoordinate({m_center.x, visible.y + visible.height}).latitude;
    const double latitudeDelta = 2 * std::min(north - center.latitude, center.latitude - south);
    return {center, std::max(latitudeDelta, 0.0), visible.width * 360.0 / kMapWorldWidth};
}

QPoint MapViewport::deviceOrigin() const
{
    const double k = deviceScale();
    return {int(std::lround(m_center.x * k - m_size.width() * m_dpr / 2)),
            int(std::lround(m_center.y * k - m_size.height() * m_dpr / 2))};
}

QSize MapViewport::deviceSize() const
{
    return {int(std::lround(m_size.width() * m_dpr)), int(std::lround(m_size.height() * m_dpr))};
}

QPointF MapViewport::devicePoint(const MapPoint& point) const
{
    const double k = deviceScale();
    const QPoint origin = deviceOrigin();
    return {point.x * k - origin.x(), point.y * k - origin.y()};
}

QRect MapViewport::deviceRect(const MapRect& rect) const
{
    const double k = deviceScale();
    const QPoint origin = deviceOrigin();
    const auto left = std::llround(rect.x * k);
    const auto top = std::llround(rect.y * k);
    const auto right = std::llround((rect.x + rect.width) * k);
    const auto bottom = std::llround((rect.y + rect.height) * k);
    return QRect(QPoint(int(left - origin.x()), int(top - origin.y())),
                 QSize(int(right - left), int(bottom - top)));
}

QPointF MapViewport::pointForMapPoint(const MapPoint& point) const
{
    return devicePoint(point) / m_dpr;
}

MapPoint MapViewport::mapPointForPoint(const QPointF& point) const
{
    const double k = deviceScale();
    const QPoint origin = deviceOrigin();
    return {(point.x() * m_dpr + origin.x()) / k, (point.y() * m_dpr + origin.y()) / k};
}

QPointF MapViewport::pointForCoordinate(const GeoCoordinate& coordinate) const
{
    return pointForMapPoint(MapProjection::toMapPoint(coordinate));
}

GeoCoordinate MapViewport::coordinateForPoint(const QPointF& point) const
{
    return MapProjection::toCoordinate(mapPointForPoint(point));
}

MapViewport MapViewport::fitted(const MapRegion& region) const
{
    MapViewport result = *this;
    const GeoCoordinate center = region.center;
    const MapPoint c = MapProjection::toMapPoint(center);
    const double north =
        MapProjection::toMapPoint({center.latitude + region.latitudeDelta / 2, center.longitude}).y;
    const double south =
        MapProjection::toMapPoint({center.latitude - region.latitudeDelta / 2, center.longitude}).y;
    const double halfHeight = std::max(c.y - north, south - c.y);
    const double halfWidth = std::abs(region.longitudeDelta) / 2 * kMapWorldWidth / 360.0;

    if (!isEmpty() && (halfHeight > 0 || halfWidth > 0)) {
        double s = std::numeric_limits<double>::infinity();
        if (halfWidth > 0)
            s = std::min(s, m_size.width() / 2 / halfWidth);
        if (halfHeight > 0)
            s = std::min(s, m_size.height() / 2 / halfHeight);
        const double zoom = std::log2(s * kMapWorldWidth / kTileSize);
        if (std::isfinite(zoom))
            result.m_zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    }
    result.m_center = c;
    result.clampCenter();
    return result;
}

MapViewport MapViewport::pannedBy(const QPointF& delta) const
{
    MapViewport result = *this;
    const double s = scale();
    result.setCenter({m_center.x - delta.x() / s, m_center.y - delta.y() / s});
    return result;
}

MapViewport MapViewport::zoomedTo(double zoom, const QPointF& anchor) const
{
    MapViewport result = *this;
    const MapPoint fixed = mapPointForPoint(anchor);
    result.setZoom(zoom);
    const double s = result.scale();
    const QPointF fromCenter = anchor - QPointF(m_size.width() / 2, m_size.height() / 2);
    result.setCenter({fixed.x - fromCenter.x() / s, fixed.y - fromCenter.y() / s});
    return result;
}

QDebug operator<<(QDebug debug, const MapViewport& viewport)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "MapViewport(" << viewport.centerCoordinate() << " z" << viewport.zoom()
                    << ' ' << viewport.size() << " @" << viewport.devicePixelRatio() << ')';
    return debug;
}
