#pragma once

#include "mapwidget/TileOverlay.h"
#include "radar/RadarFrame.h"

#include <QDateTime>
#include <QHash>
#include <QMutex>
#include <QSet>

#include <functional>
#include <memory>
#include <optional>

class RadarTileLoader;

// The map overlay that draws one radar frame. The map asks for tiles on any thread; each
// request becomes a task on the GUI thread that asks the loader, hands the result back
// exactly once, and records what was delivered. Failed tiles lead, 5 s later, to a notice
// asking the owner to reload the overlay's tiles, and from the third notice without a
// success in between, to rebuild it.
//
// Three locks, never two held at once and never held across a call-out: the frame, the
// in-flight requests, and everything else.
class RadarTileOverlay : public TileOverlay, public std::enable_shared_from_this<RadarTileOverlay> {
public:
    enum class Recovery { Reload, Rebuild };

    // `loader` must outlive the overlay's requests; by default the shared loader.
    static std::shared_ptr<RadarTileOverlay> create(RadarTileLoader* loader = nullptr);
    ~RadarTileOverlay() override;

    void loadTile(const TilePath& path, ResultCallback result) override;
    int minimumZ() const override { return 4; }
    int maximumZ() const override { return 16; }

    std::optional<RadarFrame> frame() const;
    void setFrame(std::optional<RadarFrame> frame);
    void setOnLoadFailure(std::function<void(Recovery)> callback);
    void setOnBusyChange(std::function<void()> callback);

    bool isBusy() const;
    int inFlightCount() const;
    std::optional<QDateTime> lastRequestAt() const;
    std::optional<QDateTime> lastSuccessAt() const;
    std::optional<int> lastRequestedZ() const;
    QSet<QString> deliveredKeys() const;
    void resetDeliveries();
    // Drops the callbacks and cancels every request (each still gets its result).
    void teardown();

private:
    struct Request;
    struct InFlight {
        quint64 id = 0;
        std::shared_ptr<Request> request;
    };

    explicit RadarTileOverlay(RadarTileLoader* loader);
    void reportBusyChange();
    void noteSuccess();
    void noteDelivered(const TileId& tile);
    void scheduleRetryIfNeeded();
    void replaceInFlight(const TileId& tile, std::optional<InFlight> newer);
    void clearInFlightTask(const TileId& tile, quint64 id);
    static void cancelRequest(const std::shared_ptr<Request>& request);

    RadarTileLoader* m_loader;

    mutable QMutex m_frameLock;
    std::optional<RadarFrame> m_frame;

    mutable QMutex m_taskLock;
    QHash<TileId, InFlight> m_inFlight;

    mutable QMutex m_failureLock;
    std::function<void(Recovery)> m_onLoadFailure;
    bool m_retryScheduled = false;
    int m_failedRetryRounds = 0;
    std::optional<QDateTime> m_lastSuccessAt;
    std::optional<QDateTime> m_lastRequestAt;
    std::function<void()> m_onBusyChange;
    bool m_reportedBusy = false;
    QSet<QString> m_deliveredKeys;
    std::optional<int> m_lastRequestedZ;
};
