#pragma once

#include <QObject>

#include <memory>

// Wake from sleep. The system source listens for logind's PrepareForSleep(false) on the
// system bus; where there is no system bus it simply never reports. The base class is a
// source that never reports on its own, which tests drive by emitting `woke()`.
class WakeMonitor : public QObject {
    Q_OBJECT

public:
    explicit WakeMonitor(QObject* parent = nullptr);
    ~WakeMonitor() override;

    // Whether wake events can arrive at all on this machine.
    virtual bool isAvailable() const { return false; }

    static std::unique_ptr<WakeMonitor> createSystem();

Q_SIGNALS:
    void woke();
};

// Whether the network is usable. The system source follows QNetworkInformation's
// reachability once started; without a reachability backend it never reports. The base
// class never reports on its own; tests drive it by emitting `pathChanged()`.
class NetworkMonitor : public QObject {
    Q_OBJECT

public:
    explicit NetworkMonitor(QObject* parent = nullptr);
    ~NetworkMonitor() override;

    // Begins reporting; returns whether reports can arrive at all.
    virtual bool start() { return false; }

    static std::unique_ptr<NetworkMonitor> createSystem();

Q_SIGNALS:
    // Emitted on the GUI thread for every reachability report, usable or not.
    void pathChanged(bool satisfied);
};

namespace ProcessCpu {

// CPU time consumed so far by every thread of this process, in seconds.
double seconds();

} // namespace ProcessCpu
