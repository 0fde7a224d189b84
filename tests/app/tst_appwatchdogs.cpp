#include "AgencyLists.h"
#include "FakeClock.h"
#include "FakeHttpServer.h"
#include "LogCapture.h"
#include "RadarFrameFactory.h"
#include "TaskTestUtils.h"
#include "TestRegistry.h"
#include "app/AppWatchdogs.h"
#include "platform/DataHosts.h"
#include "platform/SystemEvents.h"
#include "radar/RadarPlayer.h"
#include "radar/RadarTimeline.h"
#include "tiles/RadarTileLoader.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <memory>

using namespace std::chrono_literals;

namespace {

// The watchdogs over a timeline fed by a fake agency, two players, a manual clock, machine
// events fired by hand and CPU readings given in advance. Their repairs are counted.
struct Fixture {
    explicit Fixture(bool serveLists = true)
    {
        QVERIFY(server.listen());
        DataHosts::pointAllAt(server.baseUrl());
        server.setHandler([](const RecordedRequest&) { return FakeResponse::error(503); });
        if (serveLists)
            AgencyLists::serve(server);
        RadarTileLoader::Options options;
        options.cacheDirectory = directory.filePath(QStringLiteral("tiles"));
        loader = std::make_unique<RadarTileLoader>(options);
        AppWatchdogs::Radar radar{&timeline,
                                  loader.get(),
                                  {&detail, &overview},
                                  [this] { return reloadAndRedraw(); },
                                  [this] { ++rebuilds; }};
        AppWatchdogs::Machine machine{[this] {
                                          auto monitor = std::make_unique<WakeMonitor>();
                                          wake = monitor.get();
                                          return monitor;
                                      },
                                      [this] {
                                          auto monitor = std::make_unique<NetworkMonitor>();
                                          network = monitor.get();
                                          return monitor;
                                      },
                                      [this] {
                                          ++cpuReads;
                                          if (cpuReadings.empty())
                                              return 0.0;
                                          const double value = cpuReadings.front();
                                          cpuReadings.pop_front();
                                          return value;
                                      }};
        watchdogs = std::make_unique<AppWatchdogs>(std::move(radar), std::move(machine));
    }
    ~Fixture()
    {
        watchdogs.reset();
        loader.reset();
        DataHosts::setCurrent(DataHosts::production());
    }

    async::Task<void> reloadAndRedraw()
    {
        co_await timeline.reload();
        if (!async::isCancelled())
            ++redraws;
    }

    // Runs one stuck-render check whose 3-second measurement passes on the manual clock;
    // `during` runs while it measures.
    void runStuckRenderCheck(const std::function<void()>& during = {})
    {
        async::TaskScope scope;
        async::TaskHandle handle = scope.spawn(watchdogs->checkStuckRender());
        FakeClock::settle();
        if (during)
            during();
        clock.advance(3s);
        FakeClock::settle();
        QVERIFY(!handle.isActive());
    }

    FakeClock clock;
    FakeHttpServer server;
    QTemporaryDir directory;
    LogCapture log{QStringLiteral("jp.shiguren.Shiguren.app")};
    RadarTimeline timeline;
    RadarPlayer detail;
    RadarPlayer overview;
    std::unique_ptr<RadarTileLoader> loader;
    WakeMonitor* wake = nullptr;
    NetworkMonitor* network = nullptr;
    std::deque<double> cpuReadings; // each CPU reading takes the next value
    int cpuReads = 0;
    int redraws = 0;
    int rebuilds = 0;
    std::unique_ptr<AppWatchdogs> watchdogs;
};

} // namespace

class TestAppWatchdogs : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void restartingALoopReplacesItsSleep()
    {
        Fixture f;
        f.watchdogs->startFreshnessWatchdog();
        f.watchdogs->startStuckRenderWatchdog();
        FakeClock::settle();
        const int timers = f.clock.pendingTimers();
        f.watchdogs->startFreshnessWatchdog();
        f.watchdogs->startStuckRenderWatchdog();
        FakeClock::settle();
        QCOMPARE(f.clock.pendingTimers(), timers);
        QVERIFY(f.watchdogs->hasFreshnessWatchdog() && f.watchdogs->hasStuckRenderWatchdog());
    }

    // A stale round asks for a redraw; only from the second one on are the sessions reset.
    void freshness_data()
    {
        QTest::addColumn<bool>("serveLists");
        QTest::addColumn<bool>("forecastsOnly");
        QTest::addColumn<int>("observationAgeSeconds");
        QTest::addColumn<int>("listAgeSeconds");
        QTest::addColumn<QString>("expectedLog"); // empty: fresh
        const QString oldFrame = QStringLiteral("一覧=false コマ=true");
        const QString oldBoth = QStringLiteral("一覧=true コマ=true");
        QTest::newRow("15 min old frame, fresh list") << true << false << 900 << 60 << QString();
        QTest::newRow("exactly the limit") << true << false << 960 << 60 << QString();
        QTest::newRow("one second over") << true << false << 961 << 60 << oldFrame;
        QTest::newRow("old list") << true << false << 961 << 961 << oldBoth;
        QTest::newRow("only forecast frames") << true << true << 0 << 0 << oldFrame;
        QTest::newRow("never loaded (503)") << false << false << 0 << 0 << oldBoth;
    }
    void freshness()
    {
        QFETCH(bool, serveLists);
        QFETCH(bool, forecastsOnly);
        QFETCH(int, observationAgeSeconds);
        QFETCH(int, listAgeSeconds);
        QFETCH(QString, expectedLog);
        const int stale = expectedLog.isEmpty() ? 0 : 1;
        Fixture f(serveLists);
        if (forecastsOnly)
            f.server.setRoute(AgencyLists::kN1, FakeResponse::json("[]"));
        // The fixture's newest observation is the scenario's "now".
        f.clock.advanceSeconds(observationAgeSeconds - listAgeSeconds);
        QVERIFY(runTask(f.timeline.reload()));
        QCOMPARE(f.timeline.frames().isEmpty(), !serveLists);
        f.clock.advanceSeconds(listAgeSeconds);
        QSignalSpy rounds(f.watchdogs.get(), &AppWatchdogs::staleRoundsChanged);
        QVERIFY(runTask(f.watchdogs->checkFreshness()));
        QCOMPARE(f.watchdogs->staleRounds(), stale);
        QCOMPARE(f.redraws, stale);
        QCOMPARE(f.log.matching(QStringLiteral("鮮度低下を検知 回数=1 ") + expectedLog).size(),
                 stale);
        QVERIFY(!f.loader->lastSessionResetAt().isValid());

        QVERIFY(runTask(f.watchdogs->checkFreshness()));
        QCOMPARE(f.watchdogs->staleRounds(), 2 * stale);
        QCOMPARE(rounds.size(), 2 * stale);
        QCOMPARE(f.loader->lastSessionResetAt().isValid(), stale == 1);
    }

    void stuckRender_data()
    {
        QTest::addColumn<double>("cpu");
        QTest::addColumn<bool>("playing");
        QTest::addColumn<bool>("playDuringMeasurement");
        QTest::addColumn<bool>("rebuilds");
        QTest::addColumn<int>("cpuReads");
        QTest::newRow("busy while at rest") << 0.2 << false << false << true << 2;
        QTest::newRow("quiet") << 0.1 << false << false << false << 2;
        QTest::newRow("playing: nothing measured") << 0.9 << true << false << false << 0;
        QTest::newRow("play pressed while measuring") << 0.9 << false << true << false << 2;
    }
    void stuckRender()
    {
        QFETCH(double, cpu);
        QFETCH(bool, playing);
        QFETCH(bool, playDuringMeasurement);
        QFETCH(bool, rebuilds);
        QFETCH(int, cpuReads);
        Fixture f;
        const RadarFrames frames = RadarFrameFactory::frames(FakeClock::scenarioNow(), 5, {});
        f.detail.update(frames);
        f.overview.update(frames);
        if (playing)
            f.overview.play();
        f.clock.advanceSeconds(12);
        f.cpuReadings = {0.0, 3 * cpu};
        f.runStuckRenderCheck([&] {
            if (playDuringMeasurement)
                f.detail.play();
        });
        QCOMPARE(f.cpuReads, cpuReads);
        QCOMPARE(f.rebuilds, rebuilds ? 1 : 0);
        QCOMPARE(f.log.matching(QStringLiteral("CPU %1% のため雨雲を作り直す").arg(int(cpu * 100)))
                     .size(),
                 rebuilds ? 1 : 0);
    }

    // Activity of the user's keeps the radar from counting as at rest for 10 s, and a
    // rebuild comes at most once a minute.
    void stuckRenderWaitsForRestAndRebuildsAtMostOncePerMinute()
    {
        Fixture f;
        f.clock.advanceSeconds(12);
        f.watchdogs->noteRadarActivity();
        f.clock.advanceSeconds(9);
        f.runStuckRenderCheck(); // its 3-second window brings the rest to 12 s
        QCOMPARE(f.cpuReads, 0);
        f.cpuReadings = {0.0, 0.6};
        f.runStuckRenderCheck();
        QCOMPARE(f.rebuilds, 1);
        f.clock.advanceSeconds(40);
        f.runStuckRenderCheck();
        QCOMPARE(f.cpuReads, 2); // too soon: not even measured
        f.clock.advanceSeconds(120);
        f.cpuReadings = {0.0, 0.6};
        f.runStuckRenderCheck();
        QCOMPARE(f.rebuilds, 2);
    }

    void networkReturnAndWakeRecover()
    {
        Fixture f;
        f.watchdogs->startRecoveryObservers();
        f.watchdogs->startRecoveryObservers();
        QVERIFY(f.wake && f.network);
        // The first report (usable) repairs nothing; repeated reports count once.
        for (bool usable : {true, false, false, true, true})
            Q_EMIT f.network->pathChanged(usable);
        FakeClock::settle();
        QCOMPARE(f.log.matching(QStringLiteral("レーダーを立て直す 理由=ネットワーク復帰")).size(),
                 1);
        QVERIFY(QTest::qWaitFor([&] { return f.redraws == 1; }, 3000));
        QVERIFY(f.loader->lastSessionResetAt().isValid());
        QVERIFY(!f.timeline.frames().isEmpty());

        Q_EMIT f.wake->woke();
        QCOMPARE(f.log.matching(QStringLiteral("レーダーを立て直す 理由=スリープ復帰")).size(), 1);
        QVERIFY(QTest::qWaitFor([&] { return f.redraws == 2; }, 3000));
    }
};

SHIGUREN_TEST(TestAppWatchdogs)
#include "tst_appwatchdogs.moc"
