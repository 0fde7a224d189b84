#include "AppStateHarness.h"
#include "RadarFrameFactory.h"
#include "TaskTestUtils.h"
#include "radar/RadarPlayer.h"
#include "radar/RadarTimeline.h"

#include <QTest>

using namespace std::chrono_literals;

namespace {

const QList<TilePath> kTiles{{{5, 28, 12}, 1.0}, {{5, 29, 12}, 1.0}};
const MapRegion kRegion{{35.68, 139.76}, 1.1, 1.1};

void liveMode(AppSettings& settings)
{
    settings.setPlaybackMode(RadarPlaybackMode::Live);
}

void giveBothPlayers(AppState& state, const RadarFrames& frames)
{
    state.overviewPlayer()->update(frames);
    state.detailPlayer()->update(frames);
}

// Waits (real time, for the network) until the agency list was asked for `count` times.
bool waitForLists(AppStateHarness& h, int count)
{
    return QTest::qWaitFor([&] { return h.listRequests() == count; }, 3000) &&
           QTest::qWaitFor([&] { return !h.state->timeline()->isLoading(); }, 3000);
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
        QVERIFY(!state.overviewPlayer()->drivesLoop());
        QCOMPARE(state.overviewPlayer()->framesPerSecond(), 8.0);
        QTest::qWait(50);
        QVERIFY(h.server.requests().isEmpty());
        QVERIFY(!state.hasTimelineRefreshLoop() && !state.hasFreshnessWatchdog());
        QCOMPARE(h.wakeMonitorsMade, 0);
        QVERIFY(!state.hasKeyMonitor());
        state.updateVisibleTiles(kTiles, kRegion, AppState::Pane::Overview);
        QVERIFY(!state.isPrefetching()); // nothing to prefetch without frames
    }

    void secondStartInstallsNothingTwiceAndPrefetchWaitsForAPane()
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
        const int lists = h.listRequests();
        h.clock.advanceSeconds(300); // one animation-mode refresh round
        QVERIFY(waitForLists(h, lists + 1));
        QTest::qWait(100);
        QCOMPARE(h.listRequests(), lists + 1);

        // Choosing the mode already shown restarts nothing: the next round stays due in 300 s.
        h.clock.advanceSeconds(299);
        state.setPlaybackMode(RadarPlaybackMode::Animation);
        QTest::qWait(50);
        QCOMPARE(h.listRequests(), lists + 1);
        h.clock.advanceSeconds(1);
        QVERIFY(waitForLists(h, lists + 2));

        // Restarting a loop replaces its sleep instead of adding one.
        const int timers = h.clock.pendingTimers();
        state.startFreshnessWatchdog();
        state.startStuckRenderWatchdog();
        FakeClock::settle();
        QCOMPARE(h.clock.pendingTimers(), timers);
        QVERIFY(state.hasFreshnessWatchdog() && state.hasStuckRenderWatchdog());

        QVERIFY(!state.isPrefetching()); // no pane has reported tiles yet
        QCOMPARE(h.tileRequests(), 0);
        state.updateVisibleTiles(kTiles, kRegion, AppState::Pane::Detail);
        QVERIFY(QTest::qWaitFor([&] { return h.tileRequests() > 0; }, 5000));
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
        const int lists = h.listRequests();

        state.setPlaybackMode(RadarPlaybackMode::Live);
        QVERIFY(state.timeline()->includeForecast());
        QCOMPARE(state.timeline()->forecastHorizonHours(), 15.0);
        QCOMPARE(state.detailPlayer()->mode(), RadarPlaybackMode::Live);
        QVERIFY(waitForLists(h, lists + 1));

        // In live mode the forecast options are stored but change nothing.
        state.setForecastHorizonHours(3);
        state.setIncludeForecast(true);
        QCOMPARE(h.settings->forecastHorizonHours(), 3.0);
        QTest::qWait(100);
        QCOMPARE(h.listRequests(), lists + 1);
        h.clock.advanceSeconds(60); // live refresh interval
        QVERIFY(waitForLists(h, lists + 2));

        state.setPlaybackMode(RadarPlaybackMode::Animation);
        QVERIFY(state.timeline()->includeForecast());
        QCOMPARE(state.timeline()->forecastHorizonHours(), 3.0);
        QVERIFY(waitForLists(h, lists + 3));
    }

    // Starting offline: the animation starts with the first load that brings frames, unless
    // the user paused meanwhile.
    void playbackStartsWithTheFirstLoadThatSucceeds_data()
    {
        QTest::addColumn<bool>("userPauses");
        QTest::newRow("left alone") << false;
        QTest::newRow("paused by the user") << true;
    }
    void playbackStartsWithTheFirstLoadThatSucceeds()
    {
        QFETCH(bool, userPauses);
        AppStateHarness h({false, {}}); // the lists answer 503
        AppState& state = *h.state;
        state.start();
        QVERIFY(QTest::qWaitFor([&] { return !state.timeline()->errorMessage().isNull(); }, 5000));
        if (userPauses)
            state.pausePlayback();
        h.serveAgencyLists();
        h.clock.advanceSeconds(300); // the next refresh round
        QVERIFY(h.waitForFrames());
        QTRY_COMPARE(state.detailPlayer()->isPlaying(), !userPauses);
        QCOMPARE(state.overviewPlayer()->isPlaying(), !userPauses);
    }

    void liveStepsMoveOneStepAndStopAtTheEnds()
    {
        AppStateHarness h({true, liveMode});
        AppState& state = *h.state;
        // Observations 0…40; forecasts 41 (+30), 42 (+60), 43 (+65, not a step), 44 (+2 h).
        giveBothPlayers(state,
                        RadarFrameFactory::frames(FakeClock::scenarioNow(), 41, {30, 60, 65, 120}));
        QCOMPARE(state.detailPlayer()->liveSteps(), (QList<int>{40, 41, 42, 44}));

        state.setLiveOffset(60);
        QCOMPARE(state.detailPlayer()->index(), 42);
        // {from, by, to}: a step stops at the ends; an index that is no step counts as the first.
        const std::tuple<int, int, int> steps[] = {
            {42, 1, 44}, {44, 1, 44}, {43, 1, 41}, {41, -5, 40}};
        for (const auto& [from, by, to] : steps) {
            state.detailPlayer()->setIndex(from);
            state.stepLiveOffset(by);
            QCOMPARE(state.detailPlayer()->index(), to);
            QCOMPARE(state.overviewPlayer()->index(), to);
        }
        QCOMPARE(state.overviewPlayer()->liveOffsetMinutes(), 0);
    }

    void togglePlaybackFollowsTheGivenPlayerAndMovesBoth()
    {
        AppStateHarness h;
        AppState& state = *h.state;
        giveBothPlayers(state, RadarFrameFactory::frames(FakeClock::scenarioNow(), 5, {}));
        state.detailPlayer()->play();
        state.togglePlayback(state.overviewPlayer()); // not playing: both play
        QVERIFY(state.detailPlayer()->isPlaying() && state.overviewPlayer()->isPlaying());
        state.togglePlayback(state.detailPlayer());
        QVERIFY(!state.detailPlayer()->isPlaying() && !state.overviewPlayer()->isPlaying());
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
        AppStateHarness h({serveLists, {}});
        AppState& state = *h.state;
        if (forecastsOnly)
            h.server.setRoute(QStringLiteral("/bosai/jmatile/data/nowc/targetTimes_N1.json"),
                              FakeResponse::json("[]"));
        // The fixture's newest observation is the scenario's "now".
        h.clock.advanceSeconds(observationAgeSeconds - listAgeSeconds);
        QVERIFY(runTask(state.timeline()->reload()));
        QCOMPARE(state.timeline()->frames().isEmpty(), !serveLists);
        h.clock.advanceSeconds(listAgeSeconds);
        QVERIFY(runTask(state.checkFreshness()));
        QCOMPARE(state.staleRounds(), stale);
        QCOMPARE(state.radarRedrawToken(), stale);
        QCOMPARE(h.log.matching(QStringLiteral("鮮度低下を検知 回数=1 ") + expectedLog).size(),
                 stale);
        QVERIFY(!h.loader->lastSessionResetAt().isValid());

        QVERIFY(runTask(state.checkFreshness()));
        QCOMPARE(state.staleRounds(), 2 * stale);
        QCOMPARE(h.loader->lastSessionResetAt().isValid(), stale == 1);
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
        state.detailPlayer()->update(RadarFrameFactory::frames(FakeClock::scenarioNow(), 5, {}));
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
        h.clock.advanceSeconds(12);
        h.cpuReadings = {0.0, 0.6};
        runStuckRenderCheck(h);
        QCOMPARE(h.state->radarRebuildToken(), 1);
        h.clock.advanceSeconds(40);
        runStuckRenderCheck(h);
        QCOMPARE(h.cpuReads, 2); // too soon: not even measured
        h.clock.advanceSeconds(120);
        h.cpuReadings = {0.0, 0.6};
        runStuckRenderCheck(h);
        QCOMPARE(h.state->radarRebuildToken(), 2);
    }

    void networkReturnAndWakeRecover()
    {
        AppStateHarness h;
        AppState& state = *h.state;
        state.startRecoveryObservers();
        // The first report (usable) repairs nothing; repeated reports count once.
        for (bool usable : {true, false, false, true, true})
            Q_EMIT h.network->pathChanged(usable);
        QTest::qWait(20);
        QCOMPARE(h.log.matching(QStringLiteral("レーダーを立て直す 理由=ネットワーク復帰")).size(),
                 1);
        QVERIFY(QTest::qWaitFor([&] { return state.radarRedrawToken() == 1; }, 3000));
        QVERIFY(h.loader->lastSessionResetAt().isValid());
        QVERIFY(!state.timeline()->frames().isEmpty());

        Q_EMIT h.wake->woke();
        QCOMPARE(h.log.matching(QStringLiteral("レーダーを立て直す 理由=スリープ復帰")).size(), 1);
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
