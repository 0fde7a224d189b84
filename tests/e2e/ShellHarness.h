#pragma once

#include "FakeClock.h"
#include "FakeHttpServer.h"
#include "LandTiles.h"

#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class ApplicationShell;
class NetworkMonitor;

// The whole program as a user runs it, built through the same entry as `main`, with only the
// data hosts pointed at a fake server that plays the scenario, the program's clock in the
// caller's hands and the machine's wake and network events too.
class ShellHarness {
public:
    explicit ShellHarness(QString settingsPath);
    ~ShellHarness();
    ShellHarness(const ShellHarness&) = delete;
    ShellHarness& operator=(const ShellHarness&) = delete;

    bool isServing() const { return m_serving; }
    FakeClock& clock() { return m_clock; }
    FakeHttpServer& server() { return m_server; }
    // The network monitor of the last shell launched.
    NetworkMonitor* network() const { return m_network; }
    // GSI base map tiles drawn from the sample land polygons.
    FakeHttpServer::Handler baseMap() const;

    // A shell over the harness's preferences and saved copies: a later launch is the next
    // start of the program.
    std::unique_ptr<ApplicationShell> launch();
    static bool waitForRadar(ApplicationShell& shell);

    // Lets the program's clock run in steps, giving the real event loop a moment after each
    // so that network answers and the map's tile threads keep up, until `done` holds.
    bool runClockUntil(const std::function<bool()>& done, double maxSeconds, double step = 1.0);
    void runClock(double seconds, double step = 0.25);
    // Pauses and scrubs through every frame, each until both panes have drawn its tiles, so
    // that every frame's tiles are fetched and kept.
    bool showEveryFrame(ApplicationShell& shell);

private:
    QString m_settingsPath;
    LandTiles m_land;
    FakeClock m_clock;
    FakeHttpServer m_server;
    bool m_serving = false;
    QTemporaryDir m_savedCopies; // every shell of one harness keeps its copies here
    NetworkMonitor* m_network = nullptr;
};
