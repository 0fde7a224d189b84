#include "mapwidget/MapProjection.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace MapProjection {

namespace {

constexpr double kPi = std::numbers::pi;

double radians(double degrees)
{
    return degrees * kPi / 180.0;
}

double degrees(double radians)
{
    return radians * 180.0 / kPi;
}

} // namespace

MapPoint toMapPoint(const GeoCoordinate& coordinate)
{
    const double latitude = std::clamp(coordinate.latitude, -kMaxLatitude, kMaxLatitude);
    const double x = (coordinate.longitude + 180.0) / 360.0 * kMapWorldWidth;
    const double y = (1.0 - std::asinh(std::tan(radians(latitude))) / kPi) / 2.0 * kMapWorldWidth;
    return {x, y};
}

GeoCoordinate toCoordinate(const MapPoint& point)
{
    const double longitude = point.x / kMapWorldWidth * 360.0 - 180.0;
    const double latitude =
        degrees(std::atan(std::sinh(kPi * (1.0 - 2.0 * point.y / kMapWorldWidth))));
    return {latitude, longitude};
}

double metresPerMapPoint(double latitude)
{
    const double clamped = std::clamp(latitude, -kMaxLatitude, kMaxLatitude);
    return std::cos(radians(clamped)) * 2.0 * kPi * kEarthRadius / kMapWorldWidth;
}

MapRect mapRect(const MapRegion& region)
{
    const MapPoint topLeft = toMapPoint({region.center.latitude + region.latitudeDelta / 2,
                                         region.center.longitude - region.longitudeDelta / 2});
    const MapPoint bottomRight = toMapPoint({region.center.latitude - region.latitudeDelta / 2,
                                             region.center.longitude + region.longitudeDelta / 2});
    return {topLeft.x, topLeft.y, bottomRight.x - topLeft.x, bottomRight.y - topLeft.y};
}

bool contains(const MapRect& rect, const MapPoint& point)
{
    return point.x >= rect.x && point.x <= rect.x + rect.width && point.y >= rect.y &&
           point.y <= rect.y + rect.height;
}

bool intersects(const MapRect& a, const MapRect& b)
{
    return a.x <= b.x + b.width && b.x <= a.x + a.width && a.y <= b.y + b.height &&
           b.y <= a.y + a.height;
}

MapRect united(const MapRect& a, const MapRect& b)
{
    const double left = std::min(a.x, b.x);
    const double top = std::min(a.y, b.y);
    const double right = std::max(a.x + a.width, b.x + b.width);
    const double bottom = std::max(a.y + a.height, b.y + b.height);
    return {left, top, right - left, bottom - top};
}

} // namespace MapProjection
