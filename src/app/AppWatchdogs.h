#pragma once

#include "platform/async/Task.h"
#include "platform/async/TaskScope.h"

#include <QDateTime>
#include <QList>
#include <QObject>

#include <functional>
#include <memory>

class NetworkMonitor;
class RadarPlayer;
class RadarTileLoader;
class RadarTimeline;
class WakeMonitor;

// Repairs the radar picture on its own: when the frames go stale, when the map stops
// drawing while the program burns CPU at rest, and when the machine wakes from sleep or the
// network comes back. Everything runs on the GUI thread.
class AppWatchdogs : public QObject {
    Q_OBJECT
    Q_PROPERTY(int staleRounds READ staleRounds NOTIFY staleRoundsChanged)

public:
    // What the watchdogs look at, and what they may do about it.
    struct Radar {
        RadarTimeline* timeline = nullptr;
        RadarTileLoader* tileLoader = nullptr;
        QList<const RadarPlayer*> players;
        // Loads the timeline again, feeds the players and has the maps redraw.
        std::function<async::Task<void>()> reloadAndRedraw;
        // Has the maps make their radar overlays again.
        std::function<void()> rebuild;
    };
    // The machine's events and CPU clock; a missing one is the system's own.
    struct Machine {
        std::function<std::unique_ptr<WakeMonitor>()> makeWakeMonitor;
        std::function<std::unique_ptr<NetworkMonitor>()> makeNetworkMonitor;
        std::function<double()> processCpuSeconds;
    };

    AppWatchdogs(Radar radar, Machine machine, QObject* parent = nullptr);
    ~AppWatchdogs() override;

    void startFreshnessWatchdog();
    void startStuckRenderWatchdog();
    void startRecoveryObservers();
    async::Task<void> checkFreshness();
    async::Task<void> checkStuckRender();
    void recoverRadar(const QString& reason);

    // A pause, a scrub or a move of the user's: the radar is not at rest.
    void noteRadarActivity();
    bool isRadarIdle() const;

    int staleRounds() const { return m_staleRounds; }
    bool hasFreshnessWatchdog() const { return m_freshnessTask.isActive(); }
    bool hasStuckRenderWatchdog() const { return m_stuckRenderTask.isActive(); }

Q_SIGNALS:
    void staleRoundsChanged();

private:
    async::Task<void> freshnessLoop();
    async::Task<void> stuckRenderLoop();
    async::Task<double> measureProcessCPU(double windowSeconds);
    void onNetworkPath(bool satisfied);
    void setStaleRounds(int rounds);

    Radar m_radar;
    Machine m_machine;
    QDateTime m_lastRadarActivityAt;
    QDateTime m_lastStuckRebuildAt;
    std::unique_ptr<WakeMonitor> m_wakeObserver;
    std::unique_ptr<NetworkMonitor> m_networkMonitor;
    bool m_wasNetworkSatisfied = true;
    int m_staleRounds = 0;

    async::TaskHandle m_freshnessTask;
    async::TaskHandle m_stuckRenderTask;
    async::TaskScope m_tasks; // last: destroyed first, so no task outlives the members
};
