#include "AppStateHarness.h"
#include "RadarFrameFactory.h"
#include "TaskTestUtils.h"
#include "locations/MapCameraStore.h"
#include "radar/RadarPlayer.h"
#include "radar/RadarTimeline.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {

const QList<TilePath> kTiles{{28, 12, 5, 1.0}, {29, 12, 5, 1.0}};
const MapRegion kRegion{{35.68, 139.76}, 1.1, 1.1};

void liveMode(AppSettings& settings)
{
    settings.setPlaybackMode(RadarPlaybackMode::Live);
}

// Runs one stuck-render check whose 3-second measurement passes on the manual clock;
// `during` runs while it measures.
void runStuckRenderCheck(AppStateHarness& h, const std::function<void()>& during = {})
{
    async::TaskScope scope;
    async::TaskHandle handle = scope.spawn(h.state->checkStuckRender());
    FakeClock::settle();
    if (during)
        during();
    h.clock.advance(3s);
    FakeClock::settle();
    QVERIFY(!handle.isActive());
}

} // namespace

class TestAppState : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void creationAppliesSettingsAndStartsNothing()
    {
        AppStateHarness h({true, [](AppSettings& s) {
                               liveMode(s);
                               s.setRange(RadarRange::TwelveHours);
                               s.setIncludeForecast(false);
                               s.setFramesPerSecond(8);
                           }});
        AppState& state = *h.state;
        QCOMPARE(state.timeline()->range(), RadarRange::TwelveHours);
        QVERIFY(state.timeline()->includeForecast()); // live mode forces the forecast on
        QCOMPARE(state.timeline()->forecastHorizonHours(), 15.0);
        QCOMPARE(state.overviewPlayer()->mode(), RadarPlaybackMode::Live);
        QCOMPARE(state.detailPlayer()->follower(), state.overviewPlayer());
        QVERIFY(!state.overviewPlayer()->drivesLoop());
        QCOMPARE(state.overviewPlayer()->framesPerSecond(), 8.0);
        QTest::qWait(50);
        QVERIFY(h.server.requests().isEmpty());
        QVERIFY(!state.hasTimelineRefreshLoop() && !state.hasFreshnessWatchdog());
        QCOMPARE(h.wakeMonitorsMade, 0);
        QVERIFY(!state.hasKeyMonitor());

        // Without frames there is nothing to prefetch.
        state.updateVisibleTiles(kTiles, kRegion, AppState::Pane::Overview);
        QVERIFY(!state.isPrefetching());
    }

    void startLoadsFramesPlaysBothAndPrefetchesReportedTiles()
    {
        AppStateHarness h;
        AppState& state = *h.state;
        state.start();
        QVERIFY(h.waitForFrames());
        QVERIFY(QTest::qWaitFor([&] { return state.detailPlayer()->isPlaying(); }, 2000));
        QVERIFY(state.overviewPlayer()->isPlaying());
        QCOMPARE(state.overviewPlayer()->frames(), state.timeline()->frames());
        const qsizetype frames = state.timeline()->frames().size();
        QCOMPARE(h.log.matching(QStringLiteral("start() 地点=東京")).size(), 1);
        QCOMPARE(
            h.log.matching(QStringLiteral("タイムライン取得完了 コマ数=%1").arg(frames)).size(), 1);

        // The detail player runs the loop; the overview player follows its index.
        const int before = state.detailPlayer()->index();
        h.clock.advanceSeconds(1.0 / state.detailPlayer()->framesPerSecond() + 0.01);
        FakeClock::settle();
        QVERIFY(state.detailPlayer()->index() != before);
        QCOMPARE(state.overviewPlayer()->index(), state.detailPlayer()->index());

        QVERIFY(!state.isPrefetching()); // no pane has reported tiles yet
        QCOMPARE(h.tileRequests(), 0);
        state.updateVisibleTiles(kTiles, kRegion, AppState::Pane::Detail);
        QVERIFY(state.isPrefetching());
        QVERIFY(state.mapCameras()->camera(MapPane::Detail).has_value());
        QVERIFY(QTest::qWaitFor([&] { return h.tileRequests() > 0; }, 5000));
    }

    void secondStartInstallsNothingTwiceAndLeavesOneLoopOfEachKind()
    {
        AppStateHarness h;
        AppState& state = *h.state;
        state.start();
        state.start();
        QVERIFY(h.waitForFrames());
        QCOMPARE(h.wakeMonitorsMade, 1);
        QCOMPARE(h.networkMonitorsMade, 1);
        QVERIFY(state.hasKeyMonitor());

        QTest::qWait(100);
        const int listsBefore = h.listRequests();
        h.clock.advanceSeconds(300); // one animation-mode refresh round
        QVERIFY(QTest::qWaitFor([&] { return h.listRequests() > listsBefore; }, 3000));
        QTest::qWait(100);
        QCOMPARE(h.listRequests(), listsBefore + 1);

        // Choosing the mode already shown restarts nothing: the next round stays due in 300 s.
        h.log.clear();
        h.clock.advanceSeconds(299);
        state.setPlaybackMode(RadarPlaybackMode::Animation);
        QTest::qWait(50);
        QCOMPARE(h.listRequests(), listsBefore + 1);
        QVERIFY(h.log.lines().isEmpty());
        h.clock.advanceSeconds(1);
        QVERIFY(QTest::qWaitFor([&] { return h.listRequests() == listsBefore + 2; }, 3000));
        QVERIFY(QTest::qWaitFor([&] { return !state.timeline()->isLoading(); }, 3000));

        // Restarting a loop replaces its sleep instead of adding one.
        const int timers = h.clock.pendingTimers();
        state.startFreshnessWatchdog();
        state.startStuckRenderWatchdog();
        FakeClock::settle();
        QCOMPARE(h.clock.pendingTimers(), timers);
        QVERIFY(state.hasFreshnessWatchdog() && state.hasStuckRenderWatchdog());
    }

    void modeSwitchesReloadWithTheirOptions()
    {
        AppStateHarness h({true, [](AppSettings& s) {
                               s.setIncludeForecast(false);
                               s.setForecastHorizonHours(6);
                           }});
        AppState& state = *h.state;
        state.start();
        QVERIFY(h.waitForFrames());
        QTest::qWait(100);
        int lists = h.listRequests();

        state.setPlaybackMode(RadarPlaybackMode::Live);
        QVERIFY(state.timeline()->includeForecast());
        QCOMPARE(state.timeline()->forecastHorizonHours(), 15.0);
        QCOMPARE(state.detailPlayer()->mode(), RadarPlaybackMode::Live);
        QCOMPARE(h.log.matching(QStringLiteral("表示モード変更 live")).size(), 1);
        QVERIFY(QTest::qWaitFor([&] { return h.listRequests() == lists + 1; }, 3000));
        lists = h.listRequests();

        // In live mode the forecast options are stored but change nothing.
        state.setForecastHorizonHours(3);
        state.setIncludeForecast(true);
        QCOMPARE(h.settings->forecastHorizonHours(), 3.0);
        QTest::qWait(100);
        QCOMPARE(h.listRequests(), lists);
        h.clock.advanceSeconds(60); // live refresh interval
        QVERIFY(QTest::qWaitFor([&] { return h.listRequests() == lists + 1; }, 3000));
        QVERIFY(QTest::qWaitFor([&] { return !state.timeline()->isLoading(); }, 3000));
        lists = h.listRequests();

        state.setPlaybackMode(RadarPlaybackMode::Animation);
        QVERIFY(state.timeline()->includeForecast());
        QCOMPARE(state.timeline()->forecastHorizonHours(), 3.0);
        QVERIFY(QTest::qWaitFor([&] { return h.listRequests() == lists + 1; }, 3000));
    }

    void liveStepsMoveOneStepAndStopAtTheEnds()
    {
        AppStateHarness h({true, liveMode});
        AppState& state = *h.state;
        const QDateTime base = FakeClock::scenarioNow();
        // Observations 0…40; forecasts 41 (+30), 42 (+60), 43 (+65, not a step), 44 (+2 h).
        const RadarFrames frames = RadarFrameFactory::frames(base, 41, {30, 60, 65, 120});
        state.overviewPlayer()->update(frames);
        state.detailPlayer()->update(frames);
        QCOMPARE(state.detailPlayer()->liveSteps(), (QList<int>{40, 41, 42, 44}));

        state.setLiveOffset(60);
        QCOMPARE(state.detailPlayer()->index(), 42);
        state.stepLiveOffset(1);
        QCOMPARE(state.detailPlayer()->index(), 44);
        QCOMPARE(state.overviewPlayer()->liveOffsetMinutes(), 120);
        state.stepLiveOffset(1);
        QCOMPARE(state.detailPlayer()->index(), 44);
        state.detailPlayer()->setIndex(43);
        state.stepLiveOffset(1);
        QCOMPARE(state.detailPlayer()->index(), 41);
        state.stepLiveOffset(-5);
        QCOMPARE(state.detailPlayer()->index(), 40);
        QCOMPARE(state.detailPlayer()->liveOffsetMinutes(), 0);
    }

    void togglePlaybackFollowsTheGivenPlayerAndMovesBoth()
    {
        AppStateHarness h;
        AppState& state = *h.state;
        state.overviewPlayer()->update(RadarFrameFactory::frames(FakeClock::scenarioNow(), 5, {}));
        state.detailPlayer()->update(RadarFrameFactory::frames(FakeClock::scenarioNow(), 5, {}));
        state.detailPlayer()->play();
        state.togglePlayback(state.overviewPlayer()); // not playing: both play
        QVERIFY(state.detailPlayer()->isPlaying() && state.overviewPlayer()->isPlaying());
        state.togglePlayback(state.detailPlayer());
        QVERIFY(!state.detailPlayer()->isPlaying() && !state.overviewPlayer()->isPlaying());
    }

    void neverLoadedTimelineIsStaleAndResetsSessionsFromTheSecondRound()
    {
        AppStateHarness h({false, {}}); // the lists answer 503
        AppState& state = *h.state;
        QVERIFY(runTask(state.checkFreshness()));
        QCOMPARE(state.staleRounds(), 1);
        QCOMPARE(
            h.log.matching(QStringLiteral("レーダーの鮮度低下を検知 回数=1 一覧=true コマ=true"))
                .size(),
            1);
        QVERIFY(!h.loader->lastSessionResetAt().isValid());
        QCOMPARE(state.radarRedrawToken(), 1);

        QVERIFY(runTask(state.checkFreshness()));
        QCOMPARE(state.staleRounds(), 2);
        QVERIFY(h.loader->lastSessionResetAt().isValid());
        QCOMPARE(state.radarRedrawToken(), 2);
    }

    void freshness_data()
    {
        QTest::addColumn<int>("observationAgeSeconds");
        QTest::addColumn<int>("listAgeSeconds");
        QTest::addColumn<bool>("forecastsOnly");
        QTest::addColumn<QString>("expectedLog"); // empty: fresh
        const QString oldFrame = QStringLiteral("一覧=false コマ=true");
        QTest::newRow("15 min old frame, fresh list") << 900 << 60 << false << QString();
        QTest::newRow("exactly the limit") << 960 << 60 << false << QString();
        QTest::newRow("one second over") << 961 << 60 << false << oldFrame;
        QTest::newRow("old list") << 961 << 961 << false << QStringLiteral("一覧=true コマ=true");
        QTest::newRow("only forecast frames") << 0 << 0 << true << oldFrame;
    }
    void freshness()
    {
        QFETCH(int, observationAgeSeconds);
        QFETCH(int, listAgeSeconds);
        QFETCH(bool, forecastsOnly);
        QFETCH(QString, expectedLog);
        AppStateHarness h;
        AppState& state = *h.state;
        if (forecastsOnly)
            h.server.setRoute(QStringLiteral("/bosai/jmatile/data/nowc/targetTimes_N1.json"),
                              FakeResponse::json("[]"));
        // The fixture's newest observation is the scenario's "now".
        h.clock.advanceSeconds(observationAgeSeconds - listAgeSeconds);
        QVERIFY(runTask(state.timeline()->reload()));
        QVERIFY(!state.timeline()->frames().isEmpty());
        h.clock.advanceSeconds(listAgeSeconds);
        QVERIFY(runTask(state.checkFreshness()));
        QCOMPARE(state.staleRounds(), expectedLog.isEmpty() ? 0 : 1);
        QCOMPARE(h.log.matching(QStringLiteral("鮮度低下")).size(), expectedLog.isEmpty() ? 0 : 1);
        if (!expectedLog.isEmpty())
            QVERIFY(h.log.lines().constFirst().endsWith(expectedLog));
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
        AppStateHarness h;
        AppState& state = *h.state;
        const RadarFrames frames = RadarFrameFactory::frames(FakeClock::scenarioNow(), 5, {});
        state.detailPlayer()->update(frames);
        if (playing)
            state.detailPlayer()->play();
        h.clock.advanceSeconds(12);
        h.cpuReadings = {0.0, 3 * cpu};
        runStuckRenderCheck(h, [&] {
            if (playDuringMeasurement)
                state.togglePlayback(state.detailPlayer());
        });
        QCOMPARE(h.cpuReads, cpuReads);
        QCOMPARE(state.radarRebuildToken(), rebuilds ? 1 : 0);
        QCOMPARE(h.log.matching(QStringLiteral("CPU %1% のため雨雲を作り直す").arg(int(cpu * 100)))
                     .size(),
                 rebuilds ? 1 : 0);
    }

    void stuckRenderRebuildsAtMostOncePerMinute()
    {
        AppStateHarness h;
        AppState& state = *h.state;
        h.clock.advanceSeconds(12);
        h.cpuReadings = {0.0, 0.6};
        runStuckRenderCheck(h);
        QCOMPARE(state.radarRebuildToken(), 1);
        h.clock.advanceSeconds(40);
        runStuckRenderCheck(h);
        QCOMPARE(h.cpuReads, 2); // too soon: not even measured
        h.clock.advanceSeconds(120);
        h.cpuReadings = {0.0, 0.6};
        runStuckRenderCheck(h);
        QCOMPARE(state.radarRebuildToken(), 2);
    }

    void networkReturnAndWakeRecover()
    {
        AppStateHarness h;
        AppState& state = *h.state;
        state.startRecoveryObservers();
        const auto recoveries = [&](const char* reason) {
            return h.log
                .matching(QStringLiteral("レーダーを立て直す 理由=") + QString::fromUtf8(reason))
                .size();
        };
        Q_EMIT h.network->pathChanged(true); // first report: usable, nothing to repair
        Q_EMIT h.network->pathChanged(false);
        Q_EMIT h.network->pathChanged(false);
        Q_EMIT h.network->pathChanged(true);
        Q_EMIT h.network->pathChanged(true);
        QTest::qWait(20);
        QCOMPARE(recoveries("ネットワーク復帰"), 1);
        QVERIFY(QTest::qWaitFor([&] { return state.radarRedrawToken() == 1; }, 3000));
        QVERIFY(h.loader->lastSessionResetAt().isValid());
        QVERIFY(!state.timeline()->frames().isEmpty());

        Q_EMIT h.wake->woke();
        QCOMPARE(recoveries("スリープ復帰"), 1);
        QCOMPARE(state.staleRounds(), 0);
        QVERIFY(QTest::qWaitFor([&] { return state.radarRedrawToken() == 2; }, 3000));
    }

    void destroyedWhileLoopsRunEndsThemQuietly()
    {
        AppStateHarness h;
        h.state->start();
        QTest::qWait(10); // the first load is in flight
        h.state.reset();
        h.clock.advanceSeconds(400);
        QTest::qWait(50);
    }
};

QTEST_MAIN(TestAppState)
#include "tst_appstate.moc"
