// Shiguren as the user runs it (the same entry code as `main`, offscreen, a 1440 × 900 main
// window), against the local scenario server, with the clock set to the scenario morning
// (timers run in real time):
//   - start-up: from building the program to the first radar frame painted on both maps;
//   - both panes animating at 4 and at 12 frames per second: the process's CPU in cores and
//     the GUI thread's longest stall;
//   - at rest (paused): the process's CPU;
//   - optionally, resident memory through a long animation.
// Two other runs start afresh, as a user's first minute would:
//   - --first-minute: animating at 12 fps from the start, the CPU from 15 s to 60 s after
//     start (the first loops, when every frame is new);
//   - --live: live mode, the CPU at rest once the first frame is painted.
//   - --flap-minutes N: animating at 12 fps while the network goes down and comes back every
//     few seconds (the server cuts every connection, reachability is reported), with the
//     open file descriptors and resident memory each minute.
// Run them under Xvfb (QT_QPA_PLATFORM=xcb) to include the window system's share.
//
//   bench_app [--seconds 60] [--soak-minutes 30] [--first-minute | --live | --flap-minutes 30]
#include "FakeClock.h"
#include "FakeHttpServer.h"
#include "LandTiles.h"
#include "ScenarioServer.h"
#include "app/AppSettings.h"
#include "app/AppState.h"
#include "map/RadarMapCoordinator.h"
#include "map/RadarMapHost.h"
#include "mapwidget/MapWidget.h"
#include "mapwidget/TileOverlayLayer.h"
#include "platform/AllocatorTuning.h"
#include "platform/DataHosts.h"
#include "platform/Preferences.h"
#include "platform/SystemEvents.h"
#include "radar/RadarPlayer.h"
#include "support/CpuTime.h"
#include "ui/ApplicationShell.h"
#include "ui/ContentView.h"
#include "ui/MainWindow.h"
#include "ui/RadarPaneView.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

double residentMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    }
    return 0;
}

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)
                   .size());
}

// The system clock, moved to the morning the scenario's data describes.
class ShiftedClock final : public Clock {
public:
    explicit ShiftedClock(const QDateTime& now)
        : m_offsetMs(m_system.now().msecsTo(now))
    {}
    QDateTime now() const override { return m_system.now().addMSecs(m_offsetMs); }
    TimerId schedule(std::chrono::milliseconds delay, std::function<void()> fire) override
    {
        return m_system.schedule(delay, std::move(fire));
    }
    void cancel(TimerId id) override { m_system.cancel(id); }

private:
    SystemClock m_system;
    qint64 m_offsetMs;
};

// The longest time the GUI thread did not get round to a 5 ms timer.
class StallMeter {
public:
    StallMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout,
                         [this] { m_longestMs = std::max(m_longestMs, m_since.restart() - 5); });
        m_timer.start();
        m_since.start();
    }
    void reset()
    {
        m_longestMs = 0;
        m_since.restart();
    }
    qint64 longestMs() const { return m_longestMs; }
    // Its 200 wake-ups a second would be most of what a resting program spends.
    void stop() { m_timer.stop(); }

private:
    QTimer m_timer;
    QElapsedTimer m_since;
    qint64 m_longestMs = 0;
};

void runFor(double seconds)
{
    QEventLoop loop;
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

bool runUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done()) {
        if (elapsed.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

bool paneComplete(RadarPaneView* pane)
{
    RadarMapHost* host = pane->mapHost();
    const auto layer = host->mapWidget().scene().tileLayer(host->coordinator().overlay().get());
    return layer && layer->isComplete() && !layer->visibleTiles().isEmpty();
}

struct Measurement {
    double cores = 0;
    qint64 longestStallMs = 0;
};

Measurement measureCpu(double seconds)
{
    const double cpu = processCpuSeconds();
    runFor(seconds);
    return {(processCpuSeconds() - cpu) / seconds, 0};
}

Measurement measure(StallMeter& stalls, double seconds)
{
    stalls.reset();
    Measurement measured = measureCpu(seconds);
    measured.longestStallMs = stalls.longestMs();
    return measured;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "*.info=false;*.debug=false");
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each figure as soon as it is known
    QApplication app(argc, argv);
    ApplicationShell::configureApplication();
    QStandardPaths::setTestModeEnabled(true); // the tile cache goes to a scratch folder

    QCommandLineParser options;
    options.addOption({QStringLiteral("seconds"), QStringLiteral("each CPU figure"),
                       QStringLiteral("s"), QStringLiteral("60")});
    options.addOption({QStringLiteral("soak-minutes"), QStringLiteral("memory run, 0: none"),
                       QStringLiteral("min"), QStringLiteral("0")});
    options.addOption({QStringLiteral("first-minute"), QStringLiteral("fresh start at 12 fps")});
    options.addOption({QStringLiteral("live"), QStringLiteral("fresh start in live mode")});
    options.addOption({QStringLiteral("flap-minutes"),
                       QStringLiteral("12 fps with the network flapping, 0: none"),
                       QStringLiteral("min"), QStringLiteral("0")});
    options.addOption({QStringLiteral("flap-seconds"), QStringLiteral("time between flaps"),
                       QStringLiteral("s"), QStringLiteral("4")});
    options.process(app);
    const double seconds = options.value(QStringLiteral("seconds")).toDouble();
    const int soakMinutes = options.value(QStringLiteral("soak-minutes")).toInt();
    const bool firstMinute = options.isSet(QStringLiteral("first-minute"));
    const bool live = options.isSet(QStringLiteral("live"));
    const double flapMinutes = options.value(QStringLiteral("flap-minutes")).toDouble();
    const double flapSeconds = options.value(QStringLiteral("flap-seconds")).toDouble();

    QTemporaryDir home;
    QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)).removeRecursively();
    LandTiles land;
    FakeHttpServer server;
    if (!server.listen())
        qFatal("no local server");
    ScenarioServer::serveAll(server, [&land](const RecordedRequest& request) {
        const TileId id = LandTiles::parsePath(request.path);
        return id.z < 0 ? std::nullopt : std::optional(FakeResponse::png(land.png(id)));
    });
    DataHosts::pointAllAt(server.baseUrl());
    ShiftedClock clock(FakeClock::scenarioNow());
    Clock::setCurrent(&clock);

    QElapsedTimer startUp;
    startUp.start();
    AppStateEnvironment environment;
    environment.makeWakeMonitor = [] { return std::make_unique<WakeMonitor>(); };
    NetworkMonitor* network = nullptr;
    environment.makeNetworkMonitor = [&network] {
        auto monitor = std::make_unique<NetworkMonitor>();
        network = monitor.get();
        return monitor;
    };
    auto preferences = Preferences::openFile(home.filePath(QStringLiteral("settings.json")));
    {
        AppSettings chosen(preferences.get());
        if (firstMinute)
            chosen.setFramesPerSecond(12);
        if (live)
            chosen.setPlaybackMode(RadarPlaybackMode::Live);
        if (flapMinutes > 0)
            chosen.setFramesPerSecond(12);
    }
    auto shell = std::make_unique<ApplicationShell>(std::move(preferences), std::move(environment));
    shell->window().resize(1440, 900);
    shell->window().show();
    ContentView* content = shell->window().content();
    if (firstMinute) {
        // The frame changes of the first loop, and whether both maps had drawn the frame
        // completely just before the next one was due (83 ms at 12 fps).
        int changes = 0;
        int complete = 0;
        RadarPlayer* player = shell->app().state().detailPlayer();
        QObject context;
        QObject::connect(player, &RadarPlayer::indexChanged, &context, [&] {
            if (++changes > player->frames().size())
                return;
            QTimer::singleShot(75, &context, [&, index = player->index()] {
                if (player->index() == index)
                    complete += paneComplete(content->detailPane()) &&
                                paneComplete(content->overviewPane());
            });
        });
        runFor(15);
        const Measurement first = measureCpu(45);
        const qsizetype loop = std::min<qsizetype>(changes, player->frames().size());
        std::printf("first minute at 12 fps: %.3f cores from 15 s to 60 s after start; first "
                    "loop: %d of %lld frames complete on both maps before the next\n",
                    first.cores, complete, qlonglong(loop));
        return 0;
    }
    if (live) {
        runUntil([&] { return paneComplete(content->detailPane()); }, 30'000);
        runFor(5);
        const Measurement resting = measureCpu(seconds);
        std::printf("live mode at rest for %.0f s: %.4f cores\n", seconds, resting.cores);
        return 0;
    }
    if (flapMinutes > 0) {
        runUntil([&] { return paneComplete(content->detailPane()); }, 30'000);
        bool down = false;
        QTimer flap;
        QObject::connect(&flap, &QTimer::timeout, [&] {
            down = !down;
            server.setDown(down);
            if (down)
                server.closeAllConnections();
            if (network)
                Q_EMIT network->pathChanged(!down);
        });
        flap.start(int(flapSeconds * 1000));
        const int descriptors = openDescriptors();
        std::printf("12 fps, the network flapping every %.0f s: open descriptors, resident "
                    "memory\n  0 min: %d, %.0f MiB\n",
                    flapSeconds, descriptors, residentMiB());
        const int steps = std::max(1, int(flapMinutes * 4));
        for (int step = 1; step <= steps; ++step) {
            runFor(15);
            if (step % 4 == 0 || step == steps)
                std::printf("  %.2g min: %d, %.0f MiB\n", step / 4.0, openDescriptors(),
                            residentMiB());
        }
        Clock::setCurrent(nullptr);
        // Connections come and go with the flapping; more than a few left over is a leak.
        const int leftOver = openDescriptors() - descriptors;
        if (leftOver > 12) {
            std::printf("%d more descriptors open than at the start\n", leftOver);
            return 1;
        }
        return 0;
    }
    const bool started = runUntil(
        [&] {
            return paneComplete(content->detailPane()) && paneComplete(content->overviewPane());
        },
        30'000);
    shell->window().repaint();
    std::printf("start-up to the first radar frame on both maps: %s\n",
                started ? qPrintable(QStringLiteral("%1 ms").arg(startUp.elapsed()))
                        : "not within 30 s");

    AppState& state = shell->app().state();
    AppSettings& settings = shell->app().settings();
    StallMeter stalls;
    int frameChanges = 0;
    QObject::connect(state.detailPlayer(), &RadarPlayer::indexChanged, [&] { ++frameChanges; });
    for (double fps : {4.0, 12.0}) {
        settings.setFramesPerSecond(fps);
        state.applyPlaybackSettings(); // as the settings window does
        if (!state.detailPlayer()->isPlaying())
            state.togglePlayback(state.detailPlayer());
        runFor(double(state.detailPlayer()->frames().size()) / fps); // one loop warms the caches
        frameChanges = 0;
        const Measurement animating = measure(stalls, seconds);
        std::printf("animating at %2.0f fps for %.0f s (%.1f frame changes/s, loop pauses "
                    "included): %.3f cores, longest GUI stall %lld ms\n",
                    fps, seconds, frameChanges / seconds, animating.cores,
                    qint64(animating.longestStallMs));
    }

    state.togglePlayback(state.detailPlayer());
    stalls.stop();
    runFor(2);
    const Measurement resting = measure(stalls, seconds);
    std::printf("paused for %.0f s: %.4f cores\n", seconds, resting.cores);

    if (soakMinutes > 0) {
        settings.setFramesPerSecond(4);
        state.applyPlaybackSettings();
        state.togglePlayback(state.detailPlayer());
        std::printf("resident memory while animating at 4 fps:\n  0 min: %.0f MiB\n",
                    residentMiB());
        for (int minute = 1; minute <= soakMinutes; ++minute) {
            runFor(60);
            if (minute % 5 == 0 || minute == 1)
                std::printf("  %d min: %.0f MiB\n", minute, residentMiB());
        }
    }
    Clock::setCurrent(nullptr);
    return 0;
}
