#include "app/AppWatchdogs.h"

#include "platform/Clock.h"
#include "platform/Logging.h"
#include "platform/PropertyHelpers.h"
#include "platform/SystemEvents.h"
#include "platform/async/Sleep.h"
#include "radar/RadarPlayer.h"
#include "radar/RadarTimeline.h"
#include "tiles/RadarTileLoader.h"

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

AppWatchdogs::AppWatchdogs(Radar radar, Machine machine, QObject* parent)
    : QObject(parent)
    , m_radar(std::move(radar))
    , m_machine(std::move(machine))
    , m_lastRadarActivityAt(Clock::current().now())
    , m_lastStuckRebuildAt(QDate(1, 1, 1), QTime(0, 0), Qt::UTC) // the distant past
{
    if (m_machine.makeNetworkMonitor)
        m_networkMonitor = m_machine.makeNetworkMonitor();
}

AppWatchdogs::~AppWatchdogs()
{
    // The observers go first, so no event reaches a half-destroyed object; the task scope
    // (last member) then ends every loop.
    m_wakeObserver.reset();
    m_networkMonitor.reset();
}

void AppWatchdogs::startFreshnessWatchdog()
{
    m_freshnessTask.cancel();
    m_freshnessTask = m_tasks.spawn(freshnessLoop());
}

async::Task<void> AppWatchdogs::freshnessLoop()
{
    for (;;) {
        co_await async::sleepSeconds(kFreshnessIntervalSeconds);
        if (async::isCancelled())
            co_return;
        co_await checkFreshness();
    }
}

async::Task<void> AppWatchdogs::checkFreshness()
{
    const QDateTime now = Clock::current().now();
    QDateTime latestObservation;
    const RadarFrames& frames = m_radar.timeline->frames();
    for (auto it = frames.crbegin(); it != frames.crend(); ++it) {
        if (it->kind == RadarFrame::Kind::Observation) {
            latestObservation = it->date;
            break;
        }
    }
    const bool listStale = exceedsStalenessLimit(m_radar.timeline->lastUpdated(), now);
    const bool framesStale = exceedsStalenessLimit(latestObservation, now);
    if (!listStale && !framesStale) {
        setStaleRounds(0);
        co_return;
    }
    setStaleRounds(m_staleRounds + 1);
    qCInfo(lcApp, "レーダーの鮮度低下を検知 回数=%d 一覧=%s コマ=%s", m_staleRounds,
           boolText(listStale), boolText(framesStale));
    if (m_staleRounds >= kStaleRoundsBeforeReset) {
        m_radar.timeline->resetSession();
        m_radar.tileLoader->resetSession(true);
    }
    auto reload = m_radar.reloadAndRedraw();
    co_await reload;
}

void AppWatchdogs::startStuckRenderWatchdog()
{
    m_stuckRenderTask.cancel();
    m_stuckRenderTask = m_tasks.spawn(stuckRenderLoop());
}

async::Task<void> AppWatchdogs::stuckRenderLoop()
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

bool AppWatchdogs::isRadarIdle() const
{
    for (const RadarPlayer* player : m_radar.players) {
        if (player->isPlaying())
            return false;
    }
    return m_lastRadarActivityAt.msecsTo(Clock::current().now()) >= kIdleSeconds * 1000;
}

async::Task<void> AppWatchdogs::checkStuckRender()
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
    m_radar.rebuild();
}

async::Task<double> AppWatchdogs::measureProcessCPU(double windowSeconds)
{
    const auto cpuSeconds =
        m_machine.processCpuSeconds ? m_machine.processCpuSeconds : &ProcessCpu::seconds;
    const double firstReading = cpuSeconds();
    const QDateTime startedAt = Clock::current().now();
    co_await async::sleepSeconds(windowSeconds);
    const double elapsed = double(startedAt.msecsTo(Clock::current().now())) / 1000.0;
    if (elapsed <= 0)
        co_return 0.0;
    co_return (cpuSeconds() - firstReading) / elapsed;
}

void AppWatchdogs::startRecoveryObservers()
{
    if (m_wakeObserver)
        return; // installed by an earlier start()
    m_wakeObserver =
        m_machine.makeWakeMonitor ? m_machine.makeWakeMonitor() : std::make_unique<WakeMonitor>();
    connect(m_wakeObserver.get(), &WakeMonitor::woke, this,
            [this] { recoverRadar(QStringLiteral("スリープ復帰")); });
    if (!m_wakeObserver->isAvailable())
        qCInfo(lcApp, "スリープ復帰の通知なし（システムバスを利用できません）");

    if (!m_networkMonitor)
        m_networkMonitor = std::make_unique<NetworkMonitor>();
    // Queued: a report is acted on from the event loop, never inside whoever delivered it.
    connect(m_networkMonitor.get(), &NetworkMonitor::pathChanged, this,
            &AppWatchdogs::onNetworkPath, Qt::QueuedConnection);
    if (!m_networkMonitor->start())
        qCInfo(lcApp, "ネットワーク状態の通知なし（到達性を調べる仕組みがありません）");
}

void AppWatchdogs::onNetworkPath(bool satisfied)
{
    if (satisfied && !m_wasNetworkSatisfied) {
        m_wasNetworkSatisfied = true;
        recoverRadar(QStringLiteral("ネットワーク復帰"));
    } else if (!satisfied && m_wasNetworkSatisfied) {
        m_wasNetworkSatisfied = false;
    }
}

void AppWatchdogs::recoverRadar(const QString& reason)
{
    qCInfo(lcApp, "レーダーを立て直す 理由=%s", qUtf8Printable(reason));
    m_radar.timeline->resetSession();
    m_radar.tileLoader->resetSession(true);
    setStaleRounds(0);
    m_tasks.spawn(m_radar.reloadAndRedraw());
}

void AppWatchdogs::noteRadarActivity()
{
    m_lastRadarActivityAt = Clock::current().now();
}

void AppWatchdogs::setStaleRounds(int rounds)
{
    if (assignIfChanged(m_staleRounds, rounds))
        Q_EMIT staleRoundsChanged();
}
