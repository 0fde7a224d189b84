#include "map/TyphoonLayer.h"

#include "map/MapColors.h"
#include "mapwidget/MapScene.h"
#include "mapwidget/MarkerAnnotationView.h"
#include "mapwidget/ShapeRenderer.h"
#include "platform/Icons.h"

const QString TyphoonLayer::kMarkerReuseIdentifier = QStringLiteral("TyphoonMarker");

TyphoonSignature TyphoonLayer::signature(const TyphoonInfos& typhoons)
{
    TyphoonSignature result;
    for (const TyphoonInfo& typhoon : typhoons)
        result.insert(typhoon.id, typhoon.issue);
    return result;
}

void TyphoonLayer::apply(MapScene& map, const TyphoonInfos& typhoons)
{
    if (!m_overlays.isEmpty())
        map.removeOverlays(m_overlays);
    if (!m_annotations.isEmpty())
        map.removeAnnotations({m_annotations.cbegin(), m_annotations.cend()});
    m_overlays.clear();
    m_annotations.clear();

    const auto add = [&](std::shared_ptr<MapOverlay> overlay) {
        map.addOverlay(overlay, MapZ::AboveLabels);
        m_overlays.append(std::move(overlay));
    };
    for (const TyphoonInfo& typhoon : typhoons) {
        if (typhoon.pastTrack.size() >= 2)
            add(std::make_shared<TyphoonTrackOverlay>(typhoon.pastTrack, false));

        QList<GeoCoordinate> forecast;
        if (typhoon.currentPoint)
            forecast.append(*typhoon.currentPoint);
        for (const TyphoonInfo::ForecastPoint& point : typhoon.forecastPoints)
            forecast.append(point.point);
        if (forecast.size() >= 2)
            add(std::make_shared<TyphoonTrackOverlay>(forecast, true));

        for (const TyphoonInfo::ForecastPoint& point : typhoon.forecastPoints) {
            if (point.probabilityRadiusMeters)
                add(std::make_shared<TyphoonProbabilityCircleOverlay>(
                    point.point, *point.probabilityRadiusMeters));
        }
        if (typhoon.galeWarningArea)
            add(std::make_shared<TyphoonGaleWarningOverlay>(typhoon.galeWarningArea->center,
                                                            typhoon.galeWarningArea->radiusMeters));
        if (typhoon.currentPoint) {
            auto marker = std::make_shared<TyphoonAnnotation>(
                typhoon.id, *typhoon.currentPoint, typhoon.displayName(), typhoon.categoryText,
                typhoon.isTyphoon);
            map.addAnnotation(marker);
            m_annotations.append(marker);
        }
    }
    m_appliedSignature = signature(typhoons);
}

bool TyphoonLayer::configureRenderer(ShapeRenderer& renderer, const MapOverlay& overlay, bool dark)
{
    using namespace MapColors;
    if (const auto* track = dynamic_cast<const TyphoonTrackOverlay*>(&overlay)) {
        if (track->isForecast()) {
            renderer.setStrokeColor(systemOrange());
            renderer.setLineWidth(2.5);
            renderer.setLineDashPattern({6, 4});
        } else {
            renderer.setStrokeColor(accent(dark));
            renderer.setLineWidth(3.0);
            renderer.setLineDashPattern({});
        }
        return true;
    }
    if (dynamic_cast<const TyphoonProbabilityCircleOverlay*>(&overlay)) {
        renderer.setStrokeColor(withAlpha(systemOrange(), 0.6));
        renderer.setFillColor(withAlpha(systemOrange(), 0.12));
        renderer.setLineWidth(1.0);
        renderer.setLineDashPattern({});
        return true;
    }
    if (dynamic_cast<const TyphoonGaleWarningOverlay*>(&overlay)) {
        renderer.setStrokeColor(withAlpha(systemYellow(), 0.5));
        renderer.setFillColor(withAlpha(systemYellow(), 0.08));
        renderer.setLineWidth(1.0);
        renderer.setLineDashPattern({3, 3});
        return true;
    }
    return false;
}

std::shared_ptr<MapAnnotationView> TyphoonLayer::markerView(MapScene& map,
                                                            const TyphoonAnnotation& annotation)
{
    auto view = std::dynamic_pointer_cast<MarkerAnnotationView>(
        map.dequeueReusableView(kMarkerReuseIdentifier));
    if (!view) {
        view = std::make_shared<MarkerAnnotationView>(kMarkerReuseIdentifier);
        // Only the glyph's shape counts; draw it large once so it stays sharp at 2×.
        static const QImage glyph =
            Icons::image(QStringLiteral("hurricane"), QSizeF(64, 64), 1.0, Qt::white);
        view->setGlyphImage(glyph);
    }
    view->setMarkerTintColor(annotation.isTyphoon() ? MapColors::systemRed()
                                                    : MapColors::systemGray());
    view->setCanShowCallout(true);
    view->setDisplayPriority(MapAnnotationView::kPriorityRequired);
    return view;
}
