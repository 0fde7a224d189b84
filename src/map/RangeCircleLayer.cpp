#include "map/RangeCircleLayer.h"

#include "map/MapColors.h"
#include "map/MapFonts.h"
#include "mapwidget/MapScene.h"
#include "mapwidget/ShapeRenderer.h"

#include <cmath>

const QString RangeLabelAnnotationView::kReuseIdentifier = QStringLiteral("RangeLabel");

RangeLabelAnnotationView::RangeLabelAnnotationView()
    : TextAnnotationView(kReuseIdentifier)
{
    setCanShowCallout(false);
    setDisplayPriority(kPriorityDefaultLow);
    setCollisionMode(CollisionMode::Rectangle);
    setFont(MapFonts::labelFont(24.75, QFont::DemiBold));
    setTextColor(MapColors::systemRed());
    setHalo(Qt::transparent, 0);
}

void RangeLabelAnnotationView::configure(const QString& text)
{
    setText(text);
}

QString RangeCircleLayer::labelText(double metres)
{
    if (metres >= 1000) {
        const double km = metres / 1000;
        if (km >= 10)
            return QString::asprintf("%.0f", km) + QStringLiteral("km");
        return QString::asprintf("%.1f", km).remove(QStringLiteral(".0")) + QStringLiteral("km");
    }
    return QString::number(qint64(metres)) + QStringLiteral("m");
}

std::optional<double> RangeCircleLayer::metresPerPoint(const MapRegion& region, const QSizeF& size,
                                                       double latitude)
{
    if (!(size.width() > 0 && size.height() > 0 && region.latitudeDelta > 0 &&
          region.longitudeDelta > 0))
        return std::nullopt;
    const double metresPerDegreeLongitude =
        std::cos(latitude * M_PI / 180.0) * kMetresPerDegreeLatitude;
    if (!(metresPerDegreeLongitude > 0))
        return std::nullopt;
    return ((region.latitudeDelta * kMetresPerDegreeLatitude) / size.height() +
            (metresPerDegreeLongitude * region.longitudeDelta) / size.width()) *
           0.5;
}

void RangeCircleLayer::configureRenderer(ShapeRenderer& renderer)
{
    renderer.setStrokeColor(MapColors::withAlpha(MapColors::systemRed(), 0.6));
    renderer.setFillColor(Qt::transparent);
    renderer.setLineWidth(2.5);
}

void RangeCircleLayer::removeAll(MapScene& map)
{
    if (!m_overlays.isEmpty())
        map.removeOverlays({m_overlays.cbegin(), m_overlays.cend()});
    if (!m_labels.isEmpty())
        map.removeAnnotations({m_labels.cbegin(), m_labels.cend()});
    m_overlays.clear();
    m_labels.clear();
}

void RangeCircleLayer::apply(MapScene& map, bool show, const GeoCoordinate& center, bool force)
{
    if (!show) {
        m_appliedCenter.reset();
        m_appliedMetresPerPoint.reset();
        removeAll(map);
        return;
    }
    const std::optional<double> mpp =
        metresPerPoint(map.region(), map.viewport().size(), center.latitude);
    if (!mpp)
        return;
    if (!force && !m_overlays.isEmpty() && m_appliedCenter == center && m_appliedMetresPerPoint &&
        std::abs(*m_appliedMetresPerPoint - *mpp) <= *m_appliedMetresPerPoint * kTolerance)
        return;

    removeAll(map);
    m_appliedCenter = center;
    m_appliedMetresPerPoint = mpp;
    const double metresPerDegreeLongitude =
        std::cos(center.latitude * M_PI / 180.0) * kMetresPerDegreeLatitude;
    for (double points : kRadiiPoints) {
        const double radius = *mpp * points;
        auto ring = std::make_shared<RangeCircleOverlay>(center, radius);
        map.addOverlay(ring, MapZ::AboveLabels);
        m_overlays.append(ring);
        auto label = std::make_shared<RangeLabelAnnotation>(
            GeoCoordinate{center.latitude, center.longitude + radius / metresPerDegreeLongitude},
            labelText(radius));
        map.addAnnotation(label);
        m_labels.append(label);
    }
}
