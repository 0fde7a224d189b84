#pragma once

#include "map/LightningLayer.h"
#include "map/PrefectureLayer.h"
#include "map/RadarMapView.h"
#include "map/RangeCircleLayer.h"
#include "map/TyphoonLayer.h"
#include "mapwidget/MapDelegate.h"
#include "mapwidget/MapWidget.h"
#include "platform/async/Task.h"
#include "platform/async/TaskScope.h"
#include "tiles/RadarTileOverlay.h"

#include <QDateTime>
#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>

class GuiThreadRelay;
class RadarTileLoader;
class TileOverlayRenderer;

// Keeps one map in step with the RadarMapView values its pane hands over, and is the map's
// delegate: it picks renderers and annotation views, reports settled regions, and turns
// taps and marker selections into the pane's callbacks.
//
// update() works through a fixed order (pending region, location, typhoon selection, radar
// overlay, radar opacity, typhoons, lightning, appearance, prefectures, range rings, the
// rebuild and redraw tokens, callbacks) and compares each input with what it last applied,
// so nothing is added again unless its signature, switch, token or appearance changed.
//
// It also supervises the radar overlay (RadarMapSupervision.cpp): the map sometimes stops
// asking for tiles after a frame change, while its window is hidden or after network
// trouble, so the coordinator checks that requests follow each change and that every
// visible tile arrived, and rebuilds the overlay when they did not, with throttles so that
// rebuilds do not repeat in a loop. Everything runs on the GUI thread.
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
    void applyPrefectures(bool showBorders, bool showLabels, bool forceFront);
    void applyRangeCircles(bool show, const GeoCoordinate& center, bool force);

    // Radar overlay supervision. True only when a new overlay was created.
    bool installTileOverlayIfNeeded(const std::optional<RadarFrame>& frame);
    void rebuildTileOverlay();
    void scheduleCoverageCheck(double afterSeconds);
    void checkCoverage();

    // MapDelegate.
    std::shared_ptr<MapOverlayRenderer>
    rendererFor(const std::shared_ptr<MapOverlay>& overlay) override;
    std::shared_ptr<MapAnnotationView>
    viewFor(MapScene& map, const std::shared_ptr<MapAnnotation>& annotation) override;

    // State, for the pane and for tests.
    MapWidget* map() const { return m_map; }
    const std::shared_ptr<RadarTileOverlay>& overlay() const { return m_overlay; }
    const std::shared_ptr<TileOverlayRenderer>& renderer() const { return m_renderer; }
    double appliedOpacity() const { return m_appliedOpacity; }
    // The map shows the region it was placed on, or one the user moved it to since.
    bool isRegionPlaced() const { return m_regionPlaced; }
    bool isDarkMap() const { return m_isDarkMap; }
    std::optional<bool> publishedTileLoading() const { return m_publishedTileLoading; }
    std::optional<QDateTime> stallWatchSince() const { return m_stallWatchSince; }
    bool hasReloadedAfterFirstDelivery() const { return m_hasReloadedAfterFirstDelivery; }
    bool isWaitingForVisibility() const { return bool(m_occlusionObserver); }
    const std::shared_ptr<MapAnnotation>& pin() const { return m_pin; }
    const TyphoonLayer& typhoonLayer() const { return m_typhoons; }
    const LightningLayer& lightningLayer() const { return m_lightning; }
    const PrefectureLayer& prefectureLayer() const { return m_prefectures; }
    const RangeCircleLayer& rangeCircleLayer() const { return m_rangeCircles; }
    // How many times each layer was rebuilt; a layer left alone keeps its count.
    int typhoonApplyCount() const { return m_typhoonApplyCount; }
    int lightningApplyCount() const { return m_lightningApplyCount; }
    int rebuildCount() const { return m_rebuildCount; }

    // The radar's share of the user's opacity at an agency zoom: full up to zoom 6, 7 %
    // less per level above it, never below 45 %.
    static double opacityFactor(int zoom);

private:
    // Map events.
    void regionDidChange(bool animated);
    void didSelect(const std::shared_ptr<MapAnnotation>& annotation);
    void handleMapTap();
    async::Task<void> settleRegion(RadarMapView::RegionReport report);
    void notePlacement();
    // Redraws the themed layers when the appearance changed; true if it did.
    bool followAppearance();

    // Supervision (RadarMapSupervision.cpp).
    void onOverlayLoadFailure(RadarTileOverlay::Recovery recovery);
    void reloadRadarTiles();
    void publishTileLoading();
    void scheduleFirstRequestCheck();
    void watchForStalledReload();
    void checkCoverageWhenVisible();
    void windowOcclusionChanged();
    void reloadOnceAfterFirstDelivery();
    bool isViewVisible() const;
    bool throttlePassed(double seconds) const;
    async::Task<void> coverageCheckAfter(double seconds);
    async::Task<void> firstRequestCheck();
    async::Task<void> stallWatch(QDateTime since);

    void setRegionQuietly(const MapRegion& region);

    QPointer<MapWidget> m_map;
    RadarTileLoader* m_loader;
    std::shared_ptr<GuiThreadRelay> m_relay;
    RadarMapView::Style m_style = RadarMapView::Style::Detail;

    std::shared_ptr<RadarTileOverlay> m_overlay;
    std::shared_ptr<TileOverlayRenderer> m_renderer;
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
    std::optional<bool> m_publishedTileLoading;
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

    std::optional<QDateTime> m_lastCoverageRebuildAt; // none: the most distant past
    bool m_hasReloadedAfterFirstDelivery = false;
    std::optional<QDateTime> m_stallWatchSince;
    QMetaObject::Connection m_occlusionObserver;

    int m_typhoonApplyCount = 0;
    int m_lightningApplyCount = 0;
    int m_rebuildCount = 0;

    async::TaskHandle m_prefetchDebounce;
    async::TaskHandle m_firstRequestCheckTask;
    async::TaskHandle m_coverageCheckTask;
    async::TaskHandle m_stallWatchTask;
    async::TaskScope m_tasks; // last: destroyed first, so no task outlives the members
};
