#include "map/RadarMapCoordinator.h"

#include "map/MapColors.h"
#include "mapwidget/MapAnnotation.h"
#include "mapwidget/MapWidget.h"
#include "mapwidget/ShapeRenderer.h"
#include "mapwidget/TileOverlayRenderer.h"
#include "platform/Appearance.h"
#include "platform/async/Sleep.h"
#include "tiles/RadarTileLoader.h"
#include "tiles/TileMath.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr TileMath::ZoomRange kZoomRange{4, 10};
constexpr double kRegionDebounceSeconds = 0.6;
constexpr double kRecentreMetres = 500;
constexpr double kDefaultRadarAlpha = 0.75;

// What the map shows, by the size its scene was last given (a hidden widget has a geometry
// before the map has been laid out at it).
TileMath::Viewport tileViewport(const MapWidget& map)
{
    return {map.scene().viewport().size().width(), map.region()};
}

} // namespace

RadarMapCoordinator::RadarMapCoordinator(const RadarMapView& first, RadarTileLoader* loader,
                                         PrefectureData prefectures, QObject* parent)
    : QObject(parent)
    , m_style(first.style)
    , m_selectedTyphoonID(first.selectedTyphoonID)
    , m_prefectures(std::move(prefectures))
    , m_supervisor(loader ? *loader : RadarTileLoader::shared(), {[this](bool loading) {
                       if (m_callbacks.onTileLoadingChange)
                           m_callbacks.onTileLoadingChange(loading);
                   }})
    , m_thunderTiles(loader ? *loader : RadarTileLoader::shared(), HazardTileLayer::kThunderZ)
    , m_tornadoTiles(loader ? *loader : RadarTileLoader::shared(), HazardTileLayer::kTornadoZ)
{
    m_callbacks.onRegionSettled = first.onRegionSettled;
    m_callbacks.onTyphoonSelect = first.onTyphoonSelect;
    m_callbacks.onClearSelection = first.onClearSelection;
    m_callbacks.onTileLoadingChange = first.onTileLoadingChange;
}

RadarMapCoordinator::~RadarMapCoordinator()
{
    if (m_map) {
        m_map->disconnect(this);
        // The map keeps drawing what it holds; it must stop asking this delegate.
        m_map->setDelegate(nullptr);
    }
    // The supervisor and the nowcast layers, destroyed next, take their overlays off the map.
}

double RadarMapCoordinator::opacityFactor(int zoom)
{
    return std::max(0.45, 1.0 - 0.07 * std::max(0, zoom - 6));
}

// ---------------------------------------------------------------------------------------
// Creation and updates

void RadarMapCoordinator::attach(MapWidget* map, const RadarMapView& view)
{
    m_map = map;
    m_supervisor.setMap(map);
    m_thunderTiles.setMap(map);
    m_tornadoTiles.setMap(map);
    m_style = view.style;
    map->setDelegate(this);
    connect(map, &MapWidget::regionChanged, this, &RadarMapCoordinator::regionDidChange);
    connect(map, &MapWidget::annotationSelected, this, &RadarMapCoordinator::didSelect);
    connect(map, &MapWidget::tapped, this, &RadarMapCoordinator::handleMapTap);
    // A theme switch may come while no pane update is due for minutes (paused, live).
    connect(&Appearance::instance(), &Appearance::darkChanged, this,
            [this] { followAppearance(); });

    m_appliedLocationID = view.location.id;
    addPin(view.location);
    // Without a size the map keeps the region until it has one.
    setRegionQuietly(view.initialCamera ? view.initialCamera->region() : view.defaultRegion());
    notePlacement();
    update(view);
}

void RadarMapCoordinator::setRegionQuietly(const MapRegion& region)
{
    m_isRestoringRegion = true;
    m_map->setRegion(region, false);
    m_isRestoringRegion = false;
}

void RadarMapCoordinator::update(const RadarMapView& view)
{
    if (!m_map)
        return;
    m_style = view.style;
    followLocation(view);
    followTyphoonSelection(view.selectedTyphoonID, view.typhoons);
    m_supervisor.showFrame(view.frame);
    m_thunderTiles.show(view.thunderFrame);
    m_tornadoTiles.show(view.tornadoFrame);
    followRadarOpacity(view.opacity);
    followTyphoons(view.typhoons);
    followLightning(view.lightningStrikes);
    followAppearance();
    applyPrefectures(view.showPrefectureBorders, view.showPrefectureLabels, false);
    followRangeCircles(view.showRangeCircles, view.location.coordinate());
    followRebuildToken(view.rebuildToken);
    followRedrawToken(view.forceRedrawToken);
    takeCallbacks(view);
}

// A new place: centre on it at the style's span.
void RadarMapCoordinator::followLocation(const RadarMapView& view)
{
    if (view.location.id == m_appliedLocationID)
        return;
    m_appliedLocationID = view.location.id;
    m_map->setRegion(view.defaultRegion(), true);
    addPin(view.location);
}

// A new typhoon selection: bring its centre into the middle, keeping the zoom.
void RadarMapCoordinator::followTyphoonSelection(const std::optional<QString>& id,
                                                 const TyphoonInfos& typhoons)
{
    if (id == m_selectedTyphoonID)
        return;
    m_selectedTyphoonID = id;
    if (!id)
        return;
    const auto typhoon = std::find_if(typhoons.cbegin(), typhoons.cend(),
                                      [&](const TyphoonInfo& t) { return t.id == *id; });
    if (typhoon == typhoons.cend() || !typhoon->currentPoint ||
        MapWidget::distance(m_map->centerCoordinate(), *typhoon->currentPoint) <= kRecentreMetres)
        return;
    m_isRestoringRegion = true;
    m_map->setCenterCoordinate(*typhoon->currentPoint, true);
    m_isRestoringRegion = false;
}

// The radar grows lighter as the map zooms in.
void RadarMapCoordinator::followRadarOpacity(double userOpacity)
{
    const int zoom = TileMath::zoomLevel(tileViewport(*m_map), kZoomRange);
    const double opacity = opacityFactor(zoom) * userOpacity;
    if (std::abs(opacity - m_appliedOpacity) <= 0.001)
        return;
    m_appliedOpacity = opacity;
    if (const auto& renderer = m_supervisor.renderer()) {
        renderer->setAlpha(opacity);
        renderer->setNeedsDisplay();
    }
}

void RadarMapCoordinator::followTyphoons(const TyphoonInfos& typhoons)
{
    if (TyphoonLayer::signature(typhoons) != m_typhoons.appliedSignature())
        applyTyphoons(typhoons);
}

void RadarMapCoordinator::followLightning(const LightningStrikes& strikes)
{
    if (LightningLayer::signature(strikes) != m_lightning.appliedSignature())
        applyLightning(strikes);
}

void RadarMapCoordinator::followRangeCircles(bool show, const GeoCoordinate& center)
{
    applyRangeCircles(show, center, false);
    m_rangeShow = show;
    m_rangeCenter = center;
}

void RadarMapCoordinator::followRebuildToken(qint64 token)
{
    if (token == m_appliedRebuildToken)
        return;
    m_appliedRebuildToken = token;
    m_supervisor.rebuild();
}

void RadarMapCoordinator::followRedrawToken(qint64 token)
{
    if (token == m_appliedForceRedrawToken)
        return;
    m_appliedForceRedrawToken = token;
    m_supervisor.reloadTiles();
    m_thunderTiles.reloadTiles();
    m_tornadoTiles.reloadTiles();
    if (m_rangeShow && m_rangeCenter)
        applyRangeCircles(true, *m_rangeCenter, true);
}

// A pane may hand over new callbacks with any value, so all four follow.
void RadarMapCoordinator::takeCallbacks(const RadarMapView& view)
{
    m_callbacks.onRegionSettled = view.onRegionSettled;
    m_callbacks.onTileLoadingChange = view.onTileLoadingChange;
    m_callbacks.onTyphoonSelect = view.onTyphoonSelect;
    m_callbacks.onClearSelection = view.onClearSelection;
}

// ---------------------------------------------------------------------------------------
// Layers

void RadarMapCoordinator::addPin(const SavedLocation& location)
{
    if (!m_map)
        return;
    if (m_pin)
        m_map->removeAnnotation(m_pin);
    m_pin = std::make_shared<MapAnnotation>(location.coordinate(), location.name);
    m_map->addAnnotation(m_pin);
}

void RadarMapCoordinator::applyTyphoons(const TyphoonInfos& typhoons)
{
    if (!m_map)
        return;
    ++m_typhoonApplyCount;
    m_shownTyphoons = typhoons;
    m_typhoons.apply(m_map->scene(), typhoons);
}

void RadarMapCoordinator::applyLightning(const LightningStrikes& strikes)
{
    if (!m_map)
        return;
    ++m_lightningApplyCount;
    m_shownStrikes = strikes;
    m_lightning.apply(m_map->scene(), strikes);
}

void RadarMapCoordinator::applyPrefectures(bool showBorders, bool showLabels, bool remake)
{
    if (m_map)
        m_prefectures.apply(m_map->scene(), showBorders, showLabels, remake);
}

void RadarMapCoordinator::applyRangeCircles(bool show, const GeoCoordinate& center, bool force)
{
    if (m_map)
        m_rangeCircles.apply(m_map->scene(), show, center, force);
}

bool RadarMapCoordinator::followAppearance()
{
    const bool dark = Appearance::instance().isDark();
    if (!m_map || dark == m_isDarkMap)
        return false;
    m_isDarkMap = dark;
    // Renderers and views take their colours when they are made, so every themed layer is
    // made again.
    applyTyphoons(m_shownTyphoons);
    applyLightning(m_shownStrikes);
    if (m_rangeShow && m_rangeCenter)
        applyRangeCircles(true, *m_rangeCenter, true);
    applyPrefectures(m_prefectures.appliedShowBorders(), m_prefectures.appliedShowLabels(), true);
    return true;
}

// ---------------------------------------------------------------------------------------
// Delegate

std::shared_ptr<MapOverlayRenderer>
RadarMapCoordinator::rendererFor(const std::shared_ptr<MapOverlay>& overlay)
{
    if (auto radar = m_supervisor.rendererFor(overlay)) {
        radar->setAlpha(m_appliedOpacity >= 0 ? m_appliedOpacity : kDefaultRadarAlpha);
        return radar;
    }
    for (HazardTileLayer* hazard : {&m_thunderTiles, &m_tornadoTiles}) {
        if (auto tiles = hazard->rendererFor(overlay))
            return tiles;
    }
    auto shape = std::dynamic_pointer_cast<ShapeOverlay>(overlay);
    if (!shape)
        return MapDelegate::rendererFor(overlay);
    auto renderer = std::make_shared<ShapeRenderer>(shape);
    if (auto border = std::dynamic_pointer_cast<PrefectureBorderOverlay>(overlay))
        PrefectureLayer::configureRenderer(*renderer, *border, m_isDarkMap);
    else if (std::dynamic_pointer_cast<RangeCircleOverlay>(overlay))
        RangeCircleLayer::configureRenderer(*renderer);
    else
        TyphoonLayer::configureRenderer(*renderer, *overlay, m_isDarkMap);
    return renderer;
}

namespace {

template <typename View>
std::shared_ptr<View> reusedOrNew(MapScene& map, const QString& identifier)
{
    // A pooled view of another class is dropped and a new one made.
    if (auto view = std::dynamic_pointer_cast<View>(map.dequeueReusableView(identifier)))
        return view;
    return std::make_shared<View>();
}

} // namespace

std::shared_ptr<MapAnnotationView>
RadarMapCoordinator::viewFor(MapScene& map, const std::shared_ptr<MapAnnotation>& annotation)
{
    if (auto typhoon = std::dynamic_pointer_cast<TyphoonAnnotation>(annotation))
        return TyphoonLayer::markerView(map, *typhoon);
    if (std::dynamic_pointer_cast<LightningAnnotation>(annotation))
        return reusedOrNew<LightningAnnotationView>(map, LightningAnnotationView::kReuseIdentifier);
    if (auto label = std::dynamic_pointer_cast<PrefectureLabelAnnotation>(annotation)) {
        auto view = reusedOrNew<PrefectureLabelAnnotationView>(
            map, PrefectureLabelAnnotationView::kReuseIdentifier);
        view->setDarkMap(m_isDarkMap);
        view->configure(label->name());
        return view;
    }
    if (std::dynamic_pointer_cast<RangeLabelAnnotation>(annotation)) {
        auto view =
            reusedOrNew<RangeLabelAnnotationView>(map, RangeLabelAnnotationView::kReuseIdentifier);
        view->configure(annotation->title());
        return view;
    }
    return MapDelegate::viewFor(map, annotation);
}

// ---------------------------------------------------------------------------------------
// Map events

void RadarMapCoordinator::regionDidChange(bool)
{
    if (m_isRestoringRegion)
        return;
    if (!m_regionPlaced) {
        notePlacement();
        return;
    }
    // A resize keeps the centre and the scale; a move within the same debounce still counts.
    const QSizeF size = m_map->scene().viewport().size();
    const bool resized = size != m_reportedViewportSize;
    m_reportedViewportSize = size;
    if (!resized || !m_prefetchDebounce.isActive() ||
        m_settlingReport != RadarMapView::RegionReport::Moved)
        m_settlingReport =
            resized ? RadarMapView::RegionReport::Resized : RadarMapView::RegionReport::Moved;
    m_prefetchDebounce.cancel();
    m_prefetchDebounce = m_tasks.spawn(settleRegion(m_settlingReport));
}

void RadarMapCoordinator::notePlacement()
{
    // Until the map has a size it shows the whole world around 0°, 0°: nobody's region, not
    // to be stored nor prefetched.
    if (m_regionPlaced || !m_map || m_map->scene().viewport().isEmpty() ||
        m_map->scene().hasPendingRegion())
        return;
    m_regionPlaced = true;
    m_reportedViewportSize = m_map->scene().viewport().size();
    if (m_rangeShow && m_rangeCenter)
        applyRangeCircles(true, *m_rangeCenter, false);
    m_prefetchDebounce.cancel();
    m_prefetchDebounce = m_tasks.spawn(settleRegion(RadarMapView::RegionReport::Placed));
}

async::Task<void> RadarMapCoordinator::settleRegion(RadarMapView::RegionReport report)
{
    co_await async::sleepSeconds(kRegionDebounceSeconds);
    if (async::isCancelled() || !m_map)
        co_return;
    const QList<TilePath> tiles = TileMath::visibleTiles(tileViewport(*m_map), kZoomRange, 1, 90);
    if (m_callbacks.onRegionSettled)
        m_callbacks.onRegionSettled(m_map->region(), tiles, report);
    if (!m_map)
        co_return;
    // A new overlay checks its own coverage; a move or resize needs a check of its own.
    if (report != RadarMapView::RegionReport::Placed)
        m_supervisor.checkCoverageLater();
    if (m_rangeShow && m_rangeCenter)
        applyRangeCircles(true, *m_rangeCenter, false);
}

void RadarMapCoordinator::didSelect(const std::shared_ptr<MapAnnotation>& annotation)
{
    if (auto typhoon = std::dynamic_pointer_cast<TyphoonAnnotation>(annotation)) {
        if (m_callbacks.onTyphoonSelect)
            m_callbacks.onTyphoonSelect(typhoon->typhoonID());
    }
}

void RadarMapCoordinator::handleMapTap()
{
    if (m_callbacks.onClearSelection)
        m_callbacks.onClearSelection();
}
