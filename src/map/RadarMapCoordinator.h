#pragma once

#include "map/HazardTileLayer.h"
#include "map/LightningLayer.h"
#include "map/PrefectureLayer.h"
#include "map/RadarMapView.h"
#include "map/RadarOverlaySupervisor.h"
#include "map/RangeCircleLayer.h"
#include "map/TyphoonLayer.h"
#include "mapwidget/MapDelegate.h"
#include "mapwidget/MapWidget.h"
#include "platform/async/Task.h"
#include "platform/async/TaskScope.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>

class RadarTileLoader;
class TileOverlayRenderer;

// Keeps one map in step with the RadarMapView values its pane hands over, and is the map's
// delegate: it picks renderers and annotation views, reports settled regions, and turns
// taps and marker selections into the pane's callbacks.
//
// update() works through a fixed order of steps (location, typhoon selection, radar frame,
// thunder and tornado frames, radar opacity, typhoons, lightning, appearance, prefectures, range
// rings, the rebuild and redraw tokens, callbacks) and compares each input with what it last
// applied, so nothing is added again unless its signature, switch, token or appearance changed.
//
// The radar overlay itself is kept drawing by its RadarOverlaySupervisor. Everything runs on
// the GUI thread.
class RadarMapCoordinator : public QObject, public MapDelegate {
    Q_OBJECT

public:
    // Takes the callbacks and the typhoon selection of the pane's first value. `loader`
    // serves the radar tiles (the shared loader by default).
    explicit RadarMapCoordinator(const RadarMapView& first, RadarTileLoader* loader = nullptr,
                                 PrefectureData prefectures = PrefectureData::builtIn(),
                                 QObject* parent = nullptr);
    ~RadarMapCoordinator() override;

    // Takes charge of a new map: becomes its delegate, listens to it, places it on its saved
    // or default region (kept by the map until it has a size) and draws everything that
    // needs no radar data, so the first paint already shows the place, borders and rings.
    void attach(MapWidget* map, const RadarMapView& view);
    // Brings the map in line with `view`.
    void update(const RadarMapView& view);

    // Layers.
    void addPin(const SavedLocation& location);
    void applyTyphoons(const TyphoonInfos& typhoons);
    void applyLightning(const LightningStrikes& strikes);
    void applyPrefectures(bool showBorders, bool showLabels, bool remake);
    void applyRangeCircles(bool show, const GeoCoordinate& center, bool force);

    // MapDelegate.
    std::shared_ptr<MapOverlayRenderer>
    rendererFor(const std::shared_ptr<MapOverlay>& overlay) override;
    std::shared_ptr<MapAnnotationView>
    viewFor(MapScene& map, const std::shared_ptr<MapAnnotation>& annotation) override;

    // State, for the pane and for tests.
    MapWidget* map() const { return m_map; }
    RadarOverlaySupervisor& supervisor() { return m_supervisor; }
    const std::shared_ptr<RadarTileOverlay>& overlay() const { return m_supervisor.overlay(); }
    const std::shared_ptr<TileOverlayRenderer>& renderer() const { return m_supervisor.renderer(); }
    // The map shows the region it was placed on, or one the user moved it to since.
    bool isRegionPlaced() const { return m_regionPlaced; }
    bool isDarkMap() const { return m_isDarkMap; }
    const std::shared_ptr<MapAnnotation>& pin() const { return m_pin; }
    const TyphoonLayer& typhoonLayer() const { return m_typhoons; }
    const LightningLayer& lightningLayer() const { return m_lightning; }
    const HazardTileLayer& thunderLayer() const { return m_thunderTiles; }
    const HazardTileLayer& tornadoLayer() const { return m_tornadoTiles; }
    const PrefectureLayer& prefectureLayer() const { return m_prefectures; }
    const RangeCircleLayer& rangeCircleLayer() const { return m_rangeCircles; }
    // How many times each layer was rebuilt; a layer left alone keeps its count.
    int typhoonApplyCount() const { return m_typhoonApplyCount; }
    int lightningApplyCount() const { return m_lightningApplyCount; }

    // The radar's share of the user's opacity at an agency zoom: full up to zoom 6, 7 %
    // less per level above it, never below 45 %.
    static double opacityFactor(int zoom);

private:
    // The steps of update(), in order.
    void followLocation(const RadarMapView& view);
    void followTyphoonSelection(const std::optional<QString>& id, const TyphoonInfos& typhoons);
    void followRadarOpacity(double userOpacity);
    // True when the layer was made again (and so now lies above the prefectures).
    void followTyphoons(const TyphoonInfos& typhoons);
    void followLightning(const LightningStrikes& strikes);
    void followRangeCircles(bool show, const GeoCoordinate& center);
    void followRebuildToken(qint64 token);
    void followRedrawToken(qint64 token);
    void takeCallbacks(const RadarMapView& view);

    // Map events.
    void regionDidChange(bool animated);
    void didSelect(const std::shared_ptr<MapAnnotation>& annotation);
    void handleMapTap();
    async::Task<void> settleRegion(RadarMapView::RegionReport report);
    void notePlacement();
    // Redraws the themed layers when the appearance changed; true if it did.
    bool followAppearance();

    void setRegionQuietly(const MapRegion& region);

    QPointer<MapWidget> m_map;
    RadarMapView::Style m_style = RadarMapView::Style::Detail;

    std::optional<QUuid> m_appliedLocationID;
    double m_appliedOpacity = -1.0;
    bool m_regionPlaced = false;
    QSizeF m_reportedViewportSize;
    RadarMapView::RegionReport m_settlingReport = RadarMapView::RegionReport::Placed;
    TyphoonInfos m_shownTyphoons;
    LightningStrikes m_shownStrikes;
    bool m_isRestoringRegion = false;
    std::optional<QString> m_selectedTyphoonID;
    RadarMapView m_callbacks; // only the four callbacks are used
    bool m_isDarkMap = false;
    qint64 m_appliedForceRedrawToken = 0;
    qint64 m_appliedRebuildToken = 0;
    std::shared_ptr<MapAnnotation> m_pin;

    TyphoonLayer m_typhoons;
    LightningLayer m_lightning;
    PrefectureLayer m_prefectures;
    RangeCircleLayer m_rangeCircles;
    bool m_rangeShow = false;
    std::optional<GeoCoordinate> m_rangeCenter;

    int m_typhoonApplyCount = 0;
    int m_lightningApplyCount = 0;

    // Go after the destructor has left the map and before the layers its callbacks use.
    RadarOverlaySupervisor m_supervisor;
    HazardTileLayer m_thunderTiles;
    HazardTileLayer m_tornadoTiles;

    async::TaskHandle m_prefetchDebounce;
    async::TaskScope m_tasks; // last: destroyed first, so no task outlives the members
};
