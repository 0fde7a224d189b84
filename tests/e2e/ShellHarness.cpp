#include "ShellHarness.h"

#include "ScenarioServer.h"
#include "app/AppState.h"
#include "platform/DataHosts.h"
#include "platform/Preferences.h"
#include "platform/SystemEvents.h"
#include "radar/RadarPlayer.h"
#include "radar/RadarTimeline.h"
#include "ui/ApplicationShell.h"
#include "ui/ContentView.h"
#include "ui/MainWindow.h"
#include "ui/RadarPaneView.h"

#include <QTest>

ShellHarness::ShellHarness(QString settingsPath)
    : m_settingsPath(std::move(settingsPath))
{
    m_serving = m_server.listen();
    ScenarioServer::serveAll(m_server, baseMap());
    DataHosts::pointAllAt(m_server.baseUrl());
}

ShellHarness::~ShellHarness()
{
    DataHosts::setCurrent(DataHosts::production());
}

FakeHttpServer::Handler ShellHarness::baseMap() const
{
    return [this](const RecordedRequest& request) -> std::optional<FakeResponse> {
        const TileId id = LandTiles::parsePath(request.path);
        if (id.z < 0)
            return std::nullopt;
        return FakeResponse::png(m_land.png(id));
    };
}

std::unique_ptr<ApplicationShell> ShellHarness::launch()
{
    AppStateEnvironment environment;
    environment.makeWakeMonitor = [] { return std::make_unique<WakeMonitor>(); };
    environment.makeNetworkMonitor = [this] {
        auto monitor = std::make_unique<NetworkMonitor>();
        m_network = monitor.get();
        return monitor;
    };
    environment.savedCopiesDirectory = m_savedCopies.path();
    auto shell = std::make_unique<ApplicationShell>(Preferences::openFile(m_settingsPath),
                                                    std::move(environment));
    shell->window().show();
    return shell;
}

bool ShellHarness::waitForRadar(ApplicationShell& shell)
{
    AppState& state = shell.app().state();
    return QTest::qWaitFor(
        [&] {
            return state.detailPlayer()->currentFrame() && state.overviewPlayer()->currentFrame();
        },
        8000);
}

bool ShellHarness::runClockUntil(const std::function<bool()>& done, double maxSeconds, double step)
{
    for (double elapsed = 0; elapsed < maxSeconds; elapsed += step) {
        if (done())
            return true;
        m_clock.advanceSeconds(step);
        QTest::qWait(15);
    }
    return done();
}

void ShellHarness::runClock(double seconds, double step)
{
    runClockUntil([] { return false; }, seconds, step);
}

bool ShellHarness::showEveryFrame(ApplicationShell& shell)
{
    AppState& state = shell.app().state();
    const ContentView* content = shell.window().content();
    state.pausePlayback();
    for (int index = 0; index < state.timeline()->frames().size(); ++index) {
        state.detailPlayer()->scrub(index);
        runClock(0.5); // the maps ask for the frame's tiles
        const bool drawn = runClockUntil(
            [&] {
                return !content->detailPane()->showsLoadingBadge() &&
                       !content->overviewPane()->showsLoadingBadge();
            },
            10, 0.25);
        if (!drawn)
            return false;
    }
    return true;
}
