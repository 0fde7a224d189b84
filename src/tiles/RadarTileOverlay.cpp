#include "tiles/RadarTileOverlay.h"

#include "platform/Clock.h"
#include "platform/async/Sleep.h"
#include "tiles/RadarTileLoader.h"

#include <QMutexLocker>
#include <QPointer>
#include <QThread>

#include <atomic>

namespace {

constexpr int kMaxDeliveredKeys = 4096;
constexpr double kRetryNoticeSeconds = 5;

quint64 nextRequestId()
{
    static std::atomic<quint64> counter{0};
    return ++counter;
}

// Calls the map's callback exactly once: with the answer, or with a cancellation when the
// request ends any other way (its task torn down with the loader, say).
class ResultOnce {
public:
    explicit ResultOnce(TileOverlay::ResultCallback callback)
        : m_callback(std::move(callback))
    {}
    ResultOnce(const ResultOnce&) = delete;
    ResultOnce& operator=(const ResultOnce&) = delete;
    ~ResultOnce() { deliver(TileResult::failure(TileResult::Error::Cancelled)); }

    void deliver(TileResult result)
    {
        if (auto callback = std::exchange(m_callback, {}))
            callback(std::move(result));
    }

private:
    TileOverlay::ResultCallback m_callback;
};

TileResult toResult(const TileImages::DisplayTile& tile)
{
    return tile.image.isNull() ? TileResult::fromEncoded(tile.encoded, tile.empty)
                               : TileResult::fromImage(tile.image);
}

} // namespace

// One tile request. Spawned and cancelled on the GUI thread only, in that order, because
// both travel through the same event queue.
struct RadarTileOverlay::Request {
    async::TaskHandle task;
    bool cancelled = false;
};

std::shared_ptr<RadarTileOverlay> RadarTileOverlay::create(RadarTileLoader* loader)
{
    return std::shared_ptr<RadarTileOverlay>(
        new RadarTileOverlay(loader ? loader : &RadarTileLoader::shared()));
}

RadarTileOverlay::RadarTileOverlay(RadarTileLoader* loader)
    : m_loader(loader)
{}

RadarTileOverlay::~RadarTileOverlay() = default;

std::optional<RadarFrame> RadarTileOverlay::frame() const
{
    QMutexLocker locker(&m_frameLock);
    return m_frame;
}

void RadarTileOverlay::setFrame(std::optional<RadarFrame> frame)
{
    QMutexLocker locker(&m_frameLock);
    m_frame = std::move(frame);
}

void RadarTileOverlay::setOnLoadFailure(std::function<void(Recovery)> callback)
{
    QMutexLocker locker(&m_failureLock);
    m_onLoadFailure = std::move(callback);
}

void RadarTileOverlay::setOnBusyChange(std::function<void()> callback)
{
    QMutexLocker locker(&m_failureLock);
    m_onBusyChange = std::move(callback);
}

int RadarTileOverlay::inFlightCount() const
{
    QMutexLocker locker(&m_taskLock);
    return int(m_inFlight.size());
}

bool RadarTileOverlay::isBusy() const
{
    const int running = inFlightCount();
    QMutexLocker locker(&m_failureLock);
    return running > 0 || m_retryScheduled || m_failedRetryRounds > 0;
}

std::optional<QDateTime> RadarTileOverlay::lastRequestAt() const
{
    QMutexLocker locker(&m_failureLock);
    return m_lastRequestAt;
}

std::optional<QDateTime> RadarTileOverlay::lastSuccessAt() const
{
    QMutexLocker locker(&m_failureLock);
    return m_lastSuccessAt;
}

std::optional<int> RadarTileOverlay::lastRequestedZ() const
{
    QMutexLocker locker(&m_failureLock);
    return m_lastRequestedZ;
}

QSet<QString> RadarTileOverlay::deliveredKeys() const
{
    QMutexLocker locker(&m_failureLock);
    return m_deliveredKeys;
}

void RadarTileOverlay::resetDeliveries()
{
    QMutexLocker locker(&m_failureLock);
    m_deliveredKeys.clear();
}

void RadarTileOverlay::reportBusyChange()
{
    const bool busy = isBusy();
    std::function<void()> callback;
    {
        QMutexLocker locker(&m_failureLock);
        if (busy == m_reportedBusy)
            return;
        m_reportedBusy = busy;
        callback = m_onBusyChange;
    }
    if (callback)
        callback();
}

void RadarTileOverlay::cancelRequest(const std::shared_ptr<Request>& request)
{
    async::detail::post([request] {
        request->cancelled = true;
        request->task.cancel();
    });
}

void RadarTileOverlay::loadTile(const TilePath& path, ResultCallback result)
{
    const std::optional<RadarFrame> current = frame();
    if (!current) {
        result(TileResult::failure(TileResult::Error::NotFound));
        return;
    }
    const quint64 id = nextRequestId();
    {
        QMutexLocker locker(&m_failureLock);
        m_lastRequestAt = Clock::current().now();
        m_lastRequestedZ = path.tile.z;
    }

    // A loop coming back to a frame finds its tiles in memory: answered on the spot, without
    // a task and two trips through the event queue per tile.
    if (QThread::currentThread() == m_loader->thread()) {
        if (auto ready = m_loader->pictures().displayTileInMemory(*current, path)) {
            replaceInFlight(path.tile, std::nullopt);
            result(toResult(*ready));
            noteSuccess();
            noteDelivered(path.tile);
            return;
        }
    }

    auto request = std::make_shared<Request>();
    replaceInFlight(path.tile, InFlight{id, request});

    std::weak_ptr<RadarTileOverlay> weak = weak_from_this();
    RadarTileLoader* loader = m_loader;
    auto once = std::make_shared<ResultOnce>(std::move(result));
    auto run = [](std::weak_ptr<RadarTileOverlay> overlay, RadarTileLoader* tiles,
                  RadarFrame tileFrame, TilePath tile, quint64 tileId,
                  std::shared_ptr<ResultOnce> answer) -> async::Task<void> {
        const auto display = co_await tiles->pictures().displayTile(tileFrame, tile);
        if (async::isCancelled()) {
            answer->deliver(TileResult::failure(TileResult::Error::Cancelled));
        } else if (display) {
            answer->deliver(toResult(*display));
            if (auto self = overlay.lock()) {
                self->noteSuccess();
                self->noteDelivered(tile.tile);
            }
        } else {
            answer->deliver(TileResult::failure(TileResult::Error::NotFound));
            if (auto self = overlay.lock())
                self->scheduleRetryIfNeeded();
        }
        if (auto self = overlay.lock())
            self->clearInFlightTask(tile.tile, tileId);
    };
    // The loader may be gone by the time the event loop gets here (a test's own loader, or
    // the end of the program); then there is nothing to ask, and the map hears so once.
    QPointer<RadarTileLoader> loaderAlive(loader);
    async::detail::post([=, frameCopy = *current] {
        if (request->cancelled) // torn down before it started
            return;
        if (!loaderAlive) {
            once->deliver(TileResult::failure(TileResult::Error::Cancelled));
            return;
        }
        request->task = loader->tasks().spawn(run(weak, loader, frameCopy, path, id, once));
    });
    reportBusyChange();
}

// A newer request for a tile supersedes the one in flight, which is cancelled.
void RadarTileOverlay::replaceInFlight(const TileId& tile, std::optional<InFlight> newer)
{
    std::shared_ptr<Request> superseded;
    {
        QMutexLocker locker(&m_taskLock);
        if (auto existing = m_inFlight.find(tile); existing != m_inFlight.end()) {
            superseded = existing->request;
            m_inFlight.erase(existing);
        }
        if (newer)
            m_inFlight.insert(tile, *newer);
    }
    if (superseded)
        cancelRequest(superseded);
}

void RadarTileOverlay::clearInFlightTask(const TileId& tile, quint64 id)
{
    {
        QMutexLocker locker(&m_taskLock);
        auto entry = m_inFlight.find(tile);
        if (entry != m_inFlight.end() && entry->id == id)
            m_inFlight.erase(entry);
    }
    reportBusyChange();
}

void RadarTileOverlay::noteSuccess()
{
    {
        QMutexLocker locker(&m_failureLock);
        m_lastSuccessAt = Clock::current().now();
        m_failedRetryRounds = 0;
    }
    reportBusyChange();
}

void RadarTileOverlay::noteDelivered(const TileId& tile)
{
    QMutexLocker locker(&m_failureLock);
    if (m_deliveredKeys.size() >= kMaxDeliveredKeys)
        m_deliveredKeys.clear();
    m_deliveredKeys.insert(tile.key());
}

void RadarTileOverlay::scheduleRetryIfNeeded()
{
    {
        QMutexLocker locker(&m_failureLock);
        if (m_retryScheduled)
            return;
        m_retryScheduled = true;
    }
    reportBusyChange();
    auto notice = [](std::weak_ptr<RadarTileOverlay> overlay) -> async::Task<void> {
        co_await async::sleepSeconds(kRetryNoticeSeconds); // an interrupted wait counts too
        auto self = overlay.lock();
        if (!self)
            co_return;
        std::function<void(Recovery)> callback;
        int rounds = 0;
        {
            QMutexLocker locker(&self->m_failureLock);
            self->m_retryScheduled = false;
            rounds = ++self->m_failedRetryRounds;
            callback = self->m_onLoadFailure;
        }
        self->reportBusyChange();
        if (callback)
            callback(rounds > 2 ? Recovery::Rebuild : Recovery::Reload);
    };
    m_loader->tasks().spawn(notice(weak_from_this()));
}

void RadarTileOverlay::teardown()
{
    {
        QMutexLocker locker(&m_failureLock);
        m_onLoadFailure = {};
    }
    {
        QMutexLocker locker(&m_failureLock);
        m_onBusyChange = {};
    }
    QHash<TileId, InFlight> taken;
    {
        QMutexLocker locker(&m_taskLock);
        taken = std::exchange(m_inFlight, {});
    }
    for (const InFlight& entry : std::as_const(taken))
        cancelRequest(entry.request);
}
