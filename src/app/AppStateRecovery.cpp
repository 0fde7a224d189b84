// The controller's self-repair: freshness and stuck-render watchdogs, recovery after wake
// from sleep and when the network returns.
#include "app/AppState.h"
#include "platform/Clock.h"
#include "platform/Logging.h"
#include "platform/PropertyHelpers.h"
#include "platform/SystemEvents.h"
#include "platform/async/Sleep.h"
#include "radar/RadarPlayer.h"
#include "radar/RadarTimeline.h"
#include "tiles/RadarTileLoader.h"

#include <QPointer>

#include <cmath>

namespace {

constexpr double kFreshnessIntervalSeconds = 30;
constexpr qint64 kStalenessLimitSeconds = 960;
constexpr int kStaleRoundsBeforeReset = 2;
constexpr double kStuckRenderIntervalSeconds = 15;
constexpr qint64 kIdleSeconds = 10;
constexpr qint64 kMinimumSecondsBetweenRebuilds = 60;
constexpr double kCpuWindowSeconds = 3;
constexpr double kCpuThreshold = 0.15;

bool exceedsStalenessLimit(const QDateTime& since, const QDateTime& now)
{
    return !since.isValid() || since.msecsTo(now) > kStalenessLimitSeconds * 1000;
}

const char* boolText(bool value)
{
    return value ? "true" : "false";
}

} // namespace

void AppState::startFreshnessWatchdog()
{
    m_watchdogTask.cancel();
    m_watchdogTask = m_tasks.spawn(freshnessLoop());
}

async::Task<void> AppState::freshnessLoop()
{
    for (;;) {
        co_await async::sleepSeconds(kFreshnessIntervalSeconds);
        if (async::isCancelled())
            co_return;
        co_await checkFreshness();
    }
}

async::Task<void> AppState::checkFreshness()
{
    const QDateTime now = Clock::current().now();
    QDateTime latestObservation;
    const RadarFrames& frames = m_timeline->frames();
    for (auto it = frames.crbegin(); it != frames.crend(); ++it) {
        if (it->kind == RadarFrame::Kind::Observation) {
            latestObservation = it->date;
            break;
        }
    }
    const bool listStale = exceedsStalenessLimit(m_timeline->lastUpdated(), now);
    const bool framesStale = exceedsStalenessLimit(latestObservation, now);
    if (!listStale && !framesStale) {
        setStaleRounds(0);
        co_return;
    }
    setStaleRounds(m_staleRounds + 1);
    qCInfo(lcApp, "レーダーの鮮度低下を検知 回数=%d 一覧=%s コマ=%s", m_staleRounds,
           boolText(listStale), boolText(framesStale));
    if (m_staleRounds >= kStaleRoundsBeforeReset) {
        m_timeline->resetSession();
        tileLoader().resetSession(true);
    }
    co_await reloadSyncAndRedraw();
}

void AppState::startStuckRenderWatchdog()
{
    m_stuckRenderWatchdogTask.cancel();
    m_stuckRenderWatchdogTask = m_tasks.spawn(stuckRenderLoop());
}

async::Task<void> AppState::stuckRenderLoop()
{
    for (;;) {
        if (async::isCancelled())
            co_return;
        co_await async::sleepSeconds(kStuckRenderIntervalSeconds);
        if (async::isCancelled())
            co_return;
        co_await checkStuckRender();
    }
}

bool AppState::isRadarIdle() const
{
    if (m_detailPlayer->isPlaying() || m_overviewPlayer->isPlaying())
        return false;
    return m_lastRadarActivityAt.msecsTo(Clock::current().now()) >= kIdleSeconds * 1000;
}

async::Task<void> AppState::checkStuckRender()
{
    if (!isRadarIdle())
        co_return;
    const QDateTime now = Clock::current().now();
    if (m_lastStuckRebuildAt.msecsTo(now) < kMinimumSecondsBetweenRebuilds * 1000)
        co_return;
    const double cpu = co_await measureProcessCPU(kCpuWindowSeconds);
    if (async::isCancelled())
        co_return;
    if (!isRadarIdle() || cpu < kCpuThreshold)
        co_return;
    m_lastStuckRebuildAt = Clock::current().now();
    qCInfo(lcApp, "地図が止まっているのに CPU %lld%% のため雨雲を作り直す",
           static_cast<long long>(std::trunc(cpu * 100)));
    raiseRebuildToken();
}

async::Task<double> AppState::measureProcessCPU(double windowSeconds)
{
    const auto cpuSeconds =
        m_environment.processCpuSeconds ? m_environment.processCpuSeconds : &ProcessCpu::seconds;
    const double firstReading = cpuSeconds();
    const QDateTime startedAt = Clock::current().now();
    co_await async::sleepSeconds(windowSeconds);
    const double elapsed = double(startedAt.msecsTo(Clock::current().now())) / 1000.0;
    if (elapsed <= 0)
        co_return 0.0;
    co_return (cpuSeconds() - firstReading) / elapsed;
}

void AppState::startRecoveryObservers()
{
    if (m_wakeObserver)
        return; // installed by an earlier start()
    QPointer<AppState> self(this);
    m_wakeObserver = m_environment.makeWakeMonitor ? m_environment.makeWakeMonitor()
                                                   : std::make_unique<WakeMonitor>();
    connect(m_wakeObserver.get(), &WakeMonitor::woke, this,
            [this] { recoverRadar(QStringLiteral("スリープ復帰")); });
    if (!m_wakeObserver->isAvailable())
        qCInfo(lcApp, "スリープ復帰の通知なし（システムバスを利用できません）");

    if (!m_networkMonitor)
        m_networkMonitor = std::make_unique<NetworkMonitor>();
    // Queued: a report is acted on from the event loop, never inside whoever delivered it.
    connect(m_networkMonitor.get(), &NetworkMonitor::pathChanged, this, &AppState::onNetworkPath,
            Qt::QueuedConnection);
    if (!m_networkMonitor->start())
        qCInfo(lcApp, "ネットワーク状態の通知なし（到達性を調べる仕組みがありません）");
}

void AppState::onNetworkPath(bool satisfied)
{
    if (satisfied && !m_wasNetworkSatisfied) {
        m_wasNetworkSatisfied = true;
        recoverRadar(QStringLiteral("ネットワーク復帰"));
    } else if (!satisfied && m_wasNetworkSatisfied) {
        m_wasNetworkSatisfied = false;
    }
}

void AppState::recoverRadar(const QString& reason)
{
    qCInfo(lcApp, "レーダーを立て直す 理由=%s", qUtf8Printable(reason));
    m_timeline->resetSession();
    tileLoader().resetSession(true);
    setStaleRounds(0);
    m_tasks.spawn(reloadSyncAndRedraw());
}

async::Task<void> AppState::reloadSyncAndRedraw()
{
    co_await reloadAndSync();
    if (async::isCancelled())
        co_return;
    raiseRedrawToken();
}

void AppState::raiseRedrawToken()
{
    ++m_radarRedrawToken;
    Q_EMIT radarRedrawTokenChanged();
}

void AppState::raiseRebuildToken()
{
    ++m_radarRebuildToken;
    Q_EMIT radarRebuildTokenChanged();
}

void AppState::setStaleRounds(int rounds)
{
    if (assignIfChanged(m_staleRounds, rounds))
        Q_EMIT staleRoundsChanged();
}
