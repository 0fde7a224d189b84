#include "AgencyLists.h"
#include "AppStateHarness.h"
#include "RadarFrameFactory.h"
#include "TestRegistry.h"
#include "app/AppWatchdogs.h"
#include "outlook/RainOutlookService.h"
#include "radar/RadarPlayer.h"
#include "radar/RadarTimeline.h"

#include <QTest>

#include <algorithm>

namespace {

// Tiles the agency serves (an even zoom up to 10): no other address is ever asked for.
const QList<TilePath> kTiles{{8, 227, 100, 1.0}, {8, 228, 100, 1.0}};
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

// Waits (real time, for the network) until the timeline is idle and stays so once queued
// work has run: a load asked for during another one starts only when that one ends.
bool waitUntilIdle(AppStateHarness& h)
{
    return QTest::qWaitFor(
        [&] {
            FakeClock::settle();
            return !h.state->timeline()->isLoading();
        },
        5000);
}

// After queued work has run: no load was started and the agency list was asked `count` times.
bool noLoadSince(AppStateHarness& h, int count)
{
    FakeClock::settle();
    return !h.state->timeline()->isLoading() && h.listRequests() == count;
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
        h.clock.advanceSeconds(400);
        QCOMPARE(h.clock.pendingTimers(), 0); // no sleep, no request's transfer limit
        QVERIFY(h.server.requests().isEmpty());
        QVERIFY(!state.hasTimelineRefreshLoop() && !state.watchdogs()->hasFreshnessWatchdog());
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

        QVERIFY(waitUntilIdle(h));
        const int lists = h.listRequests();
        // One refresh round: the steady pace, as the list has shown nothing new to learn from.
        h.clock.advanceSeconds(60);
        QVERIFY(waitForLists(h, lists + 1));
        QVERIFY(noLoadSince(h, lists + 1));

        // Choosing the mode already shown restarts nothing: the next round stays due in 60 s.
        h.clock.advanceSeconds(59);
        state.setPlaybackMode(RadarPlaybackMode::Animation);
        QVERIFY(noLoadSince(h, lists + 1));
        h.clock.advanceSeconds(1);
        QVERIFY(waitForLists(h, lists + 2));

        QVERIFY(state.watchdogs()->hasFreshnessWatchdog() &&
                state.watchdogs()->hasStuckRenderWatchdog());

        QVERIFY(!state.isPrefetching()); // no pane has reported tiles yet
        QCOMPARE(h.mapTileRequests(), 0);
        state.updateVisibleTiles(kTiles, kRegion, AppState::Pane::Detail);
        QVERIFY(QTest::qWaitFor([&] { return h.mapTileRequests() > 0; }, 5000));
    }

    void rainOutlookFollowsTheTimelineAndTheSelectedPlace_data()
    {
        QTest::addColumn<bool>("forecasts");
        QTest::newRow("forecasts shown") << true;
        QTest::newRow("forecasts hidden") << false;
    }
    void rainOutlookFollowsTheTimelineAndTheSelectedPlace()
    {
        QFETCH(bool, forecasts);
        AppStateHarness h({true, [=](AppSettings& s) { s.setIncludeForecast(forecasts); }});
        AppState& state = *h.state;
        const RainOutlookService& outlook = *state.outlook();
        QVERIFY(outlook.outlook().isEmpty()); // nothing before start
        state.start();
        QVERIFY(h.waitForFrames());
        QTRY_VERIFY(!outlook.outlook().isEmpty());
        QCOMPARE(outlook.outlook().placeName, h.locations->selected().name);
        QCOMPARE(outlook.outlook().dataTime, FakeClock::scenarioNow());
        QVERIFY(outlook.outlook().current() && outlook.outlook().current()->known);
        // The nowcast hour either way, from the timeline's own load; hourly forecasts only
        // when shown.
        QCOMPARE(outlook.outlook().nextHour().size(), 12);
        QVERIFY(!outlook.nowcastTimeline());
        const auto hourly =
            std::count_if(outlook.outlook().steps.cbegin(), outlook.outlook().steps.cend(),
                          [](const RainOutlookStep& step) {
                              return step.kind == RainOutlookStep::Kind::Forecast;
                          });
        QCOMPARE(hourly > 0, forecasts);

        const SavedLocation naha =
            SavedLocation::create(QStringLiteral("那覇"), {}, 26.2124, 127.6809);
        state.select(naha);
        QTRY_COMPARE(outlook.outlook().placeName, naha.name);
        QCOMPARE(outlook.outlook().place, naha.coordinate());
        QVERIFY(h.server.requestCount([](const QString& path) {
            return path.endsWith(QLatin1String("/10/875/434.png"));
        }) > 0);
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
        QVERIFY(waitUntilIdle(h));
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
        QVERIFY(noLoadSince(h, lists + 1));
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
        h.clock.advanceSeconds(60); // the next refresh round
        QVERIFY(h.waitForFrames());
        QTRY_COMPARE(state.detailPlayer()->isPlaying(), !userPauses);
        QCOMPARE(state.overviewPlayer()->isPlaying(), !userPauses);
    }

    // The agency lists each new observation at a steady phase (97 s, ±2 s): once learnt, a
    // listing is on screen within 10 s, without more list requests than a 60 s poll makes.
    void newListingsArriveAtTheAgencyPace()
    {
        constexpr int kPhase = 97;
        AppStateHarness h({false, liveMode});
        AgencyLists::servePublishing(h.server, h.clock, kPhase);
        AppState& state = *h.state;
        const qint64 start = h.clock.now().toSecsSinceEpoch();
        double worstLearning = 0;
        double worstKnown = 0;
        qint64 shown = 0;
        QObject::connect(state.timeline(), &RadarTimeline::framesChanged, [&] {
            const qint64 newest = state.timeline()->frames().isEmpty()
                                      ? 0
                                      : AgencyLists::newestListed(h.clock, kPhase);
            if (newest <= shown)
                return;
            const qint64 now = h.clock.now().toSecsSinceEpoch();
            if (shown != 0) {
                const double delay = double(now - AgencyLists::listedAt(newest, kPhase));
                double& worst = now - start < 1800 ? worstLearning : worstKnown;
                worst = std::max(worst, delay);
            }
            shown = newest;
        });
        state.start();
        QVERIFY(h.waitForFrames());
        for (int second = 0; second < 2 * 3600; ++second) {
            if (second == 3600)
                h.server.clearRequests();
            h.clock.advanceSeconds(1);
            QVERIFY(QTest::qWaitFor([&] { return !state.timeline()->isLoading(); }, 3000));
        }
        qInfo(
            "worst delay %.0f s while learning, %.0f s after; %d list requests in the second hour",
            worstLearning, worstKnown, h.listRequests());
        QVERIFY(worstLearning <= 61);
        QVERIFY(worstKnown <= 10);
        QVERIFY(h.listRequests() <= 60);
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

    void destroyedWhileLoopsRunEndsThemQuietly_data()
    {
        QTest::addColumn<bool>("prefetching");
        QTest::newRow("first load in flight") << false;
        QTest::newRow("prefetch under way") << true; // on the loader's scope, which stays
    }
    void destroyedWhileLoopsRunEndsThemQuietly()
    {
        QFETCH(bool, prefetching);
        AppStateHarness h;
        if (prefetching)
            h.state->updateVisibleTiles(kTiles, kRegion, AppState::Pane::Detail);
        h.state->start();
        QTRY_VERIFY((prefetching ? h.tileRequests() : h.listRequests()) > 0);
        h.state.reset();
        const qsizetype requests = h.server.requests().size();
        const int timers = h.clock.pendingTimers();
        h.clock.advanceSeconds(400); // past every refresh round and watchdog check
        FakeClock::settle();
        QCOMPARE(h.server.requests().size(), requests);
        QCOMPARE(h.clock.pendingTimers(), timers);
        QCOMPARE(h.loader->tasks().activeCount(), 0);
    }
};

SHIGUREN_TEST(TestAppState)
#include "tst_appstate.moc"
