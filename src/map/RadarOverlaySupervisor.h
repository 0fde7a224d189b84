#pragma once

#include "platform/async/Task.h"
#include "platform/async/TaskScope.h"
#include "radar/RadarFrame.h"
#include "tiles/RadarTileOverlay.h"

#include <QDateTime>
#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class GuiThreadRelay;
class MapOverlay;
class MapWidget;
class RadarTileLoader;
class TileOverlayRenderer;

// Keeps one map's radar overlay drawing. The map sometimes stops asking for tiles after a
// frame change, while its window is hidden or after network trouble, so this checks that
// requests follow each change and that every visible tile arrived, and rebuilds the overlay
// when they did not, with throttles so that rebuilds do not repeat in a loop. It tells its
// owner whether tiles are loading. Everything runs on the GUI thread.
class RadarOverlaySupervisor : public QObject {
    Q_OBJECT

public:
    struct Callbacks {
        std::function<void(bool loading)> onTileLoadingChange;
    };

    explicit RadarOverlaySupervisor(RadarTileLoader& loader, Callbacks callbacks,
                                    QObject* parent = nullptr);
    ~RadarOverlaySupervisor() override;

    void setMap(MapWidget* map);

    // Installs the overlay for `frame`, or moves the one there to it. True only when a new
    // overlay was created.
    bool showFrame(const std::optional<RadarFrame>& frame);
    // Tears the overlay down and makes it again on a fresh loader session.
    void rebuild();
    // The map fetches and draws the overlay's tiles again.
    void reloadTiles();
    // After the map moved or was resized: the new tiles must arrive too.
    void checkCoverageLater();
    void checkCoverage();

    // A renderer for its radar overlay, kept to reload it later; null for any other overlay.
    // The map's delegate hands it out.
    std::shared_ptr<TileOverlayRenderer> rendererFor(const std::shared_ptr<MapOverlay>& overlay);

    // State, for the coordinator and for tests.
    const std::shared_ptr<RadarTileOverlay>& overlay() const { return m_overlay; }
    const std::shared_ptr<TileOverlayRenderer>& renderer() const { return m_renderer; }
    std::optional<QDateTime> stallWatchSince() const { return m_stallWatchSince; }
    bool hasReloadedAfterFirstDelivery() const { return m_hasReloadedAfterFirstDelivery; }
    bool isWaitingForVisibility() const { return bool(m_occlusionObserver); }
    int rebuildCount() const { return m_rebuildCount; }

private:
    void onOverlayLoadFailure(RadarTileOverlay::Recovery recovery);
    void publishTileLoading();
    void scheduleCoverageCheck(double afterSeconds);
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

    RadarTileLoader& m_loader;
    Callbacks m_callbacks;
    QPointer<MapWidget> m_map;
    std::shared_ptr<GuiThreadRelay> m_relay;
    std::shared_ptr<RadarTileOverlay> m_overlay;
    std::shared_ptr<TileOverlayRenderer> m_renderer;
    std::optional<bool> m_publishedTileLoading;

    std::optional<QDateTime> m_lastCoverageRebuildAt; // none: the most distant past
    bool m_hasReloadedAfterFirstDelivery = false;
    std::optional<QDateTime> m_stallWatchSince;
    QMetaObject::Connection m_occlusionObserver;
    int m_rebuildCount = 0;

    async::TaskHandle m_firstRequestCheckTask;
    async::TaskHandle m_coverageCheckTask;
    async::TaskHandle m_stallWatchTask;
    async::TaskScope m_tasks; // last: destroyed first, so no task outlives the members
};
