#pragma once

#include "mapwidget/CircleOverlay.h"
#include "mapwidget/MapAnnotation.h"
#include "mapwidget/PolylineOverlay.h"
#include "typhoon/TyphoonInfo.h"

#include <QDateTime>
#include <QList>
#include <QMap>

#include <memory>

class MapAnnotationView;
class MapOverlay;
class MapScene;
class ShapeRenderer;

// A cyclone's past track (solid) or forecast track (dashed, from the current centre on).
class TyphoonTrackOverlay : public PolylineOverlay {
public:
    TyphoonTrackOverlay(const QList<GeoCoordinate>& points, bool isForecast)
        : PolylineOverlay(points)
        , m_isForecast(isForecast)
    {}
    bool isForecast() const { return m_isForecast; }

private:
    bool m_isForecast;
};

// Where a forecast centre will lie with 70 % probability.
class TyphoonProbabilityCircleOverlay : public CircleOverlay {
public:
    using CircleOverlay::CircleOverlay;
};

// The current gale area.
class TyphoonGaleWarningOverlay : public CircleOverlay {
public:
    using CircleOverlay::CircleOverlay;
};

// The marker at a cyclone's centre; selecting it selects the cyclone.
class TyphoonAnnotation : public MapAnnotation {
public:
    TyphoonAnnotation(QString typhoonID, const GeoCoordinate& coordinate, const QString& title,
                      const QString& subtitle, bool isTyphoon)
        : MapAnnotation(coordinate, title, subtitle)
        , m_typhoonID(std::move(typhoonID))
        , m_isTyphoon(isTyphoon)
    {}
    const QString& typhoonID() const { return m_typhoonID; }
    bool isTyphoon() const { return m_isTyphoon; }

private:
    QString m_typhoonID;
    bool m_isTyphoon;
};

// typhoon id → issue time: what the typhoon layers were last built from.
using TyphoonSignature = QMap<QString, QDateTime>;

// Tracks, probability circles, gale areas and centre markers of every active cyclone, in
// list order, so a later cyclone's shapes lie above an earlier one's and, within one
// cyclone, the gale area above the circles above the tracks.
class TyphoonLayer {
public:
    static const QString kMarkerReuseIdentifier; // "TyphoonMarker"

    void apply(MapScene& map, const TyphoonInfos& typhoons);

    static TyphoonSignature signature(const TyphoonInfos& typhoons);
    // Styles a renderer for one of this layer's overlays; false for any other overlay.
    static bool configureRenderer(ShapeRenderer& renderer, const MapOverlay& overlay, bool dark);
    // A red (typhoon) or grey balloon with the "hurricane" glyph, never hidden.
    static std::shared_ptr<MapAnnotationView> markerView(MapScene& map,
                                                         const TyphoonAnnotation& annotation);

    const QList<std::shared_ptr<MapOverlay>>& overlays() const { return m_overlays; }
    const QList<std::shared_ptr<TyphoonAnnotation>>& annotations() const { return m_annotations; }
    const TyphoonSignature& appliedSignature() const { return m_appliedSignature; }

private:
    QList<std::shared_ptr<MapOverlay>> m_overlays;
    QList<std::shared_ptr<TyphoonAnnotation>> m_annotations;
    TyphoonSignature m_appliedSignature;
};
