#pragma once

#include "FakeClock.h"
#include "FakeHttpServer.h"
#include "LogCapture.h"
#include "app/AppSettings.h"
#include "app/AppState.h"
#include "locations/LocationStore.h"
#include "locations/PositionSource.h"
#include "platform/SystemEvents.h"
#include "tiles/RadarTileLoader.h"

#include <QSettings>
#include <QTemporaryDir>

#include <deque>
#include <memory>

// A controller over a temporary preferences file, a fake agency server, a manual clock and
// machine events the test fires by hand.
class AppStateHarness {
public:
    struct Options {
        bool serveLists = true;
        std::function<void(AppSettings&)> configure;
    };
    using PositionSourceFactory = std::function<std::unique_ptr<PositionSource>()>;

    // Without a position source factory the machine has no location service.
    explicit AppStateHarness(Options options, PositionSourceFactory positionSource = {});
    AppStateHarness()
        : AppStateHarness(Options{})
    {}
    ~AppStateHarness();

    void serveAgencyLists();
    // A new controller and tile loader over the same preferences, tile cache and saved
    // copies, as the next start of the program (the old ones are gone first).
    void relaunch();
    QString savedCopiesDirectory() const { return directory.filePath(QStringLiteral("lastgood")); }
    // Waits (real time, for the network) until the timeline holds frames.
    bool waitForFrames();
    int requests(const QString& path) const { return server.requestCount(path); }
    int listRequests() const;
    int tileRequests() const;
    // Whether a request is for the rain outlook's own tile (the selected place's at zoom 10).
    bool isOutlookTile(const QString& path) const;
    // Tile requests other than the rain outlook's.
    int mapTileRequests() const;
    // Runs one stuck-render check whose 3-second measurement passes on the manual clock;
    // `during` runs while it measures.
    void runStuckRenderCheck(const std::function<void()>& during = {});

    FakeClock clock;
    FakeHttpServer server;
    QTemporaryDir directory;
    std::unique_ptr<QSettings> preferences;
    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<LocationStore> locations;
    std::unique_ptr<RadarTileLoader> loader;
    LogCapture log{QStringLiteral("jp.shiguren.Shiguren.app")};

    // Machine events.
    int wakeMonitorsMade = 0;
    int networkMonitorsMade = 0;
    WakeMonitor* wake = nullptr; // the last made
    NetworkMonitor* network = nullptr;
    std::deque<double> cpuReadings; // each CPU reading takes the next value
    int cpuReads = 0;

    std::unique_ptr<AppState> state;

private:
    void makeState();

    PositionSourceFactory m_positionSource;
};
