// The overlay's watch: installing it and swapping frames, checking that the map asks for
// tiles after each change and that every visible tile arrived, rebuilding the overlay when
// not (with throttles), and publishing whether tiles are loading.

#include "map/RadarOverlaySupervisor.h"

#include "mapwidget/GuiThreadRelay.h"
#include "mapwidget/MapWidget.h"
#include "mapwidget/TileOverlayRenderer.h"
#include "platform/Clock.h"
#include "platform/Logging.h"
#include "platform/async/Sleep.h"
#include "tiles/RadarTileLoader.h"
#include "tiles/TileMath.h"

namespace {

constexpr double kCoverageCheckSeconds = 8;
constexpr double kCoverageAfterVisibleSeconds = 3;
constexpr double kFirstRequestSeconds = 3;
constexpr double kStallWatchSeconds = 3;
constexpr double kFirstRequestThrottleSeconds = 10;
constexpr double kCoverageThrottleSeconds = 30;
constexpr double kCoverageInset = 0.02;

} // namespace

RadarOverlaySupervisor::RadarOverlaySupervisor(RadarTileLoader& loader, Callbacks callbacks,
                                               QObject* parent)
    : QObject(parent)
    , m_loader(loader)
    , m_callbacks(std::move(callbacks))
    , m_relay(GuiThreadRelay::create(this))
{}

RadarOverlaySupervisor::~RadarOverlaySupervisor()
{
    m_relay->detach();
    QObject::disconnect(m_occlusionObserver);
    if (m_overlay)
        m_overlay->teardown();
    if (m_map && m_overlay)
        m_map->removeOverlay(m_overlay);
}

void RadarOverlaySupervisor::setMap(MapWidget* map)
{
    m_map = map;
}

std::shared_ptr<TileOverlayRenderer>
RadarOverlaySupervisor::rendererFor(const std::shared_ptr<MapOverlay>& overlay)
{
    // Other layers draw radar tile overlays too (the nowcasts over the rain).
    if (!m_overlay || overlay != m_overlay)
        return nullptr;
    m_renderer = std::make_shared<TileOverlayRenderer>(m_overlay);
    return m_renderer;
}

void RadarOverlaySupervisor::checkCoverageLater()
{
    scheduleCoverageCheck(kCoverageCheckSeconds);
}

bool RadarOverlaySupervisor::showFrame(const std::optional<RadarFrame>& frame)
{
    if (!m_map)
        return false;
    if (!m_overlay) {
        if (!frame)
            return false;
        auto overlay = RadarTileOverlay::create(&m_loader);
        overlay->setFrame(frame);
        // Both arrive on any thread; the relay drops them once this supervisor is gone.
        std::weak_ptr<GuiThreadRelay> relay = m_relay;
        const RadarTileOverlay* key = overlay.get();
        overlay->setOnLoadFailure([relay, this, key](RadarTileOverlay::Recovery recovery) {
            if (auto strong = relay.lock())
                strong->post([this, key, recovery] {
                    if (m_overlay.get() == key)
                        onOverlayLoadFailure(recovery);
                });
        });
        overlay->setOnBusyChange([relay, this] {
            if (auto strong = relay.lock())
                strong->post([this] { publishTileLoading(); });
        });
        m_overlay = overlay;
        m_map->addOverlay(overlay, MapZ::AboveRoads);
        m_hasReloadedAfterFirstDelivery = false;
        scheduleCoverageCheck(kCoverageCheckSeconds);
        scheduleFirstRequestCheck();
        return true;
    }
    if (m_overlay->frame() == frame)
        return false;
    m_overlay->setFrame(frame);
    m_overlay->resetDeliveries();
    if (m_renderer)
        m_renderer->reloadData();
    scheduleCoverageCheck(kCoverageCheckSeconds);
    watchForStalledReload();
    return false;
}

void RadarOverlaySupervisor::onOverlayLoadFailure(RadarTileOverlay::Recovery recovery)
{
    if (recovery == RadarTileOverlay::Recovery::Rebuild) {
        rebuild();
        return;
    }
    reloadTiles();
}

void RadarOverlaySupervisor::reloadTiles()
{
    if (m_overlay)
        m_overlay->resetDeliveries();
    if (m_renderer)
        m_renderer->reloadData();
    scheduleCoverageCheck(kCoverageCheckSeconds);
}

void RadarOverlaySupervisor::publishTileLoading()
{
    const bool busy = m_overlay && m_overlay->isBusy();
    if (m_publishedTileLoading == busy)
        return;
    m_publishedTileLoading = busy;
    if (m_callbacks.onTileLoadingChange)
        m_callbacks.onTileLoadingChange(busy);
}

void RadarOverlaySupervisor::rebuild()
{
    if (!m_map || !m_overlay)
        return;
    ++m_rebuildCount;
    const std::optional<RadarFrame> frame = m_overlay->frame();
    m_overlay->teardown();
    m_map->removeOverlay(m_overlay);
    m_overlay.reset();
    m_renderer.reset();
    m_loader.resetSession(false);
    showFrame(frame);
    qCInfo(lcRadar, "タイルオーバーレイを作り直した");
    publishTileLoading();
}

bool RadarOverlaySupervisor::isViewVisible() const
{
    return m_map && m_map->isMapVisible() && m_map->width() > 1 && m_map->height() > 1;
}

bool RadarOverlaySupervisor::throttlePassed(double seconds) const
{
    return !m_lastCoverageRebuildAt ||
           secondsBetween(*m_lastCoverageRebuildAt, Clock::current().now()) >= seconds;
}

// ---------------------------------------------------------------------------------------
// First request after an install

void RadarOverlaySupervisor::scheduleFirstRequestCheck()
{
    m_firstRequestCheckTask.cancel();
    m_firstRequestCheckTask = m_tasks.spawn(firstRequestCheck());
}

async::Task<void> RadarOverlaySupervisor::firstRequestCheck()
{
    co_await async::sleepSeconds(kFirstRequestSeconds);
    if (async::isCancelled() || !m_overlay)
        co_return;
    if (m_overlay->lastRequestAt())
        co_return;
    if (!isViewVisible()) {
        checkCoverageWhenVisible();
        co_return;
    }
    if (!throttlePassed(kFirstRequestThrottleSeconds))
        co_return;
    m_lastCoverageRebuildAt = Clock::current().now();
    qCInfo(lcRadar, "足したオーバーレイにタイル要求が来ないため作り直す");
    rebuild();
}

// ---------------------------------------------------------------------------------------
// Stall watch after a frame change

void RadarOverlaySupervisor::watchForStalledReload()
{
    if (m_stallWatchSince)
        return;
    const QDateTime since = Clock::current().now();
    m_stallWatchSince = since;
    m_stallWatchTask = m_tasks.spawn(stallWatch(since));
}

async::Task<void> RadarOverlaySupervisor::stallWatch(QDateTime since)
{
    co_await async::sleepSeconds(kStallWatchSeconds);
    m_stallWatchSince.reset();
    if (async::isCancelled() || !m_overlay || !m_map || !m_map->isMapVisible())
        co_return;
    const std::optional<QDateTime> lastRequest = m_overlay->lastRequestAt();
    if (lastRequest && *lastRequest >= since)
        co_return;
    qCInfo(lcRadar, "コマ差し替え後にタイル要求が来ないため作り直す");
    rebuild();
}

// ---------------------------------------------------------------------------------------
// Coverage

void RadarOverlaySupervisor::scheduleCoverageCheck(double afterSeconds)
{
    m_coverageCheckTask.cancel();
    m_coverageCheckTask = m_tasks.spawn(coverageCheckAfter(afterSeconds));
}

async::Task<void> RadarOverlaySupervisor::coverageCheckAfter(double seconds)
{
    co_await async::sleepSeconds(seconds);
    if (async::isCancelled())
        co_return;
    checkCoverage();
}

void RadarOverlaySupervisor::checkCoverage()
{
    if (!m_map || !m_overlay)
        return;
    if (!isViewVisible()) {
        checkCoverageWhenVisible();
        return;
    }
    if (m_overlay->inFlightCount() > 0) {
        scheduleCoverageCheck(kCoverageCheckSeconds);
        return;
    }
    const std::optional<int> z = m_overlay->lastRequestedZ();
    qsizetype missing = 1;
    if (z) {
        if (*z < m_overlay->minimumZ() || *z > m_overlay->maximumZ())
            return;
        MapRect rect = m_map->visibleMapRect();
        rect.x += rect.width * kCoverageInset;
        rect.y += rect.height * kCoverageInset;
        rect.width -= 2 * rect.width * kCoverageInset;
        rect.height -= 2 * rect.height * kCoverageInset;
        const QSet<QString> needed = TileMath::tileKeys(rect, *z);
        const QSet<QString> delivered = m_overlay->deliveredKeys();
        missing = 0;
        for (const QString& key : needed)
            missing += !delivered.contains(key);
        qCDebug(lcRadar, "タイル点検 z=%ld 必要=%ld 欠け=%ld", long(*z), long(needed.size()),
                long(missing));
        if (missing == 0) {
            reloadOnceAfterFirstDelivery();
            return;
        }
    }
    if (throttlePassed(kCoverageThrottleSeconds)) {
        m_lastCoverageRebuildAt = Clock::current().now();
        qCInfo(lcRadar, "見えている範囲のタイルが %ld 枚届いていないため作り直す", long(missing));
        rebuild();
    } else {
        scheduleCoverageCheck(kCoverageCheckSeconds);
    }
}

void RadarOverlaySupervisor::reloadOnceAfterFirstDelivery()
{
    if (m_hasReloadedAfterFirstDelivery)
        return;
    m_hasReloadedAfterFirstDelivery = true;
    qCDebug(lcRadar, "全タイルが届いたので一度だけ取り直させる");
    reloadTiles();
}

// ---------------------------------------------------------------------------------------
// Waiting for the window to show

void RadarOverlaySupervisor::checkCoverageWhenVisible()
{
    if (m_occlusionObserver || !m_map || !m_map->window())
        return;
    m_occlusionObserver = connect(m_map, &MapWidget::visibilityChanged, this,
                                  &RadarOverlaySupervisor::windowOcclusionChanged);
}

void RadarOverlaySupervisor::windowOcclusionChanged()
{
    if (!isViewVisible())
        return;
    QObject::disconnect(m_occlusionObserver);
    m_occlusionObserver = {};
    scheduleCoverageCheck(kCoverageAfterVisibleSeconds);
}
