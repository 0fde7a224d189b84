#include "../app/RadarFrameFactory.h"
#include "FakeClock.h"
#include "TestRegistry.h"
#include "radar/RadarPlayer.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {

const QDateTime kLatest = FakeClock::scenarioNow(); // newest observation

// A forecast `minutes` after the newest observation, from the run `baseMinutes` after it.
RadarFrame forecast(int minutes, int baseMinutes = 0)
{
    return RadarFrameFactory::frameAt(kLatest.addSecs(baseMinutes * 60), minutes - baseMinutes,
                                      RadarFrame::Kind::Forecast);
}

// `count` observations 5 minutes apart ending at kLatest.
RadarFrames observations(int count)
{
    return RadarFrameFactory::frames(kLatest, count, {});
}

// Observations, nowcasts every 5 minutes to +60, then hourly forecasts to +6 h.
RadarFrames liveTimeline()
{
    RadarFrames frames =
        RadarFrameFactory::frames(kLatest, 4, {5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60});
    for (int h = 2; h <= 6; ++h)
        frames.append(forecast(60 * h, -10));
    return frames;
}

// The index the player shows after each successive advance of the clock.
QList<int> indicesAfter(FakeClock& clock, const RadarPlayer& player,
                        const QList<std::chrono::milliseconds>& advances)
{
    QList<int> indices;
    for (std::chrono::milliseconds by : advances) {
        clock.advance(by);
        indices.append(player.index());
    }
    return indices;
}

} // namespace

class TestRadarPlayer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Whoever hears of a new list sees the frame the player will show, never the new list
    // at the old index.
    void newFramesArriveWithTheirIndex()
    {
        FakeClock clock;
        RadarPlayer player;
        player.update(observations(12));
        player.setIndex(5);
        const std::optional<RadarFrame> shown = player.currentFrame();
        QList<std::optional<RadarFrame>> seen;
        const auto note = [&] { seen.append(player.currentFrame()); };
        connect(&player, &RadarPlayer::framesChanged, note);
        connect(&player, &RadarPlayer::indexChanged, note);
        // Three newer observations: the frame shown moves three places down.
        player.update(RadarFrameFactory::frames(kLatest.addSecs(15 * 60), 12, {}));
        QCOMPARE(player.index(), 2);
        QCOMPARE(seen, (QList<std::optional<RadarFrame>>{shown, shown}));
    }

    void playNeedsTwoFramesAndAnimationMode()
    {
        FakeClock clock;
        RadarPlayer player;
        player.update(observations(1));
        player.play();
        QVERIFY(!player.isPlaying());

        player.update(observations(3));
        player.setMode(RadarPlaybackMode::Live);
        player.play();
        QVERIFY(!player.isPlaying());
        QVERIFY(!player.hasLoopTask());
    }

    void loopDwellsOnTheLastFrameThenWraps()
    {
        FakeClock clock;
        RadarPlayer player;
        player.update(observations(10));
        QCOMPARE(player.index(), 9); // starts on the newest observation
        player.play();
        QCOMPARE(indicesAfter(clock, player, {1190ms, 10ms, 249ms, 1ms}), (QList{9, 0, 0, 1}));

        player.setLoopPause(3.0); // read on every pass, no restart needed
        player.scrub(9);
        // The wait begun at index 1 ends at 9, the last frame: no step, but the new pause.
        QCOMPARE(indicesAfter(clock, player, {250ms, 2999ms, 1ms}), (QList{9, 9, 0}));
    }

    void frameRateIsFlooredAtOneFrameEveryFourSecondsAndPauseStops()
    {
        FakeClock clock;
        RadarPlayer player;
        player.update(observations(5));
        player.scrub(0);
        player.setFramesPerSecond(0);
        player.play();
        QCOMPARE(indicesAfter(clock, player, {3999ms, 1ms}), (QList{0, 1}));
        player.setFramesPerSecond(-3); // restarts the loop with the floored rate
        QCOMPARE(indicesAfter(clock, player, {3999ms, 1ms}), (QList{1, 2}));
        player.setFramesPerSecond(10);
        QCOMPARE(indicesAfter(clock, player, {100ms}), QList{3});

        player.pause();
        clock.advance(10s);
        QCOMPARE(player.index(), 3);
        QVERIFY(!player.hasLoopTask());
        QCOMPARE(clock.pendingTimers(), 0);
    }

    void stepMinutesSkipsShortStepsButNotHourlyOnes()
    {
        FakeClock clock;
        RadarPlayer player;
        player.update(liveTimeline());
        player.setStepMinutes(10);
        player.scrub(0);
        player.play();
        // -15, -5, +5, … every other 5-minute frame, then each hourly frame.
        QCOMPARE(indicesAfter(clock, player, QList<std::chrono::milliseconds>(12, 250ms)),
                 (QList{2, 4, 6, 8, 10, 12, 14, 16, 17, 18, 19, 20}));
    }

    void updateKeepsTheShownDateOrStartsAtTheNewestObservation()
    {
        RadarPlayer player;
        const RadarFrames first = observations(6);
        player.update(first);
        player.scrub(3);
        QSignalSpy indexSpy(&player, &RadarPlayer::indexChanged);
        player.update(first);
        QCOMPARE(player.index(), 3);
        QCOMPARE(indexSpy.count(), 0);

        // From an empty list: the newest observation, or the last frame if there is none.
        RadarPlayer fresh;
        fresh.update(liveTimeline());
        QCOMPARE(fresh.index(), 3);
        RadarPlayer forecastsOnly;
        forecastsOnly.update(liveTimeline().mid(4));
        QCOMPARE(forecastsOnly.index(), int(liveTimeline().size()) - 5);
    }

    void liveStepsAndTargets()
    {
        RadarPlayer player;
        player.update(liveTimeline());
        player.setMode(RadarPlaybackMode::Live);
        QCOMPARE(player.liveSteps(),
                 (QList{3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}));
        QCOMPARE(player.index(), 3);
        // Offset asked for, offset shown: ties keep the earlier step.
        const std::pair<int, int> offsets[] = {{60, 60}, {180, 180}, {7, 5}, {0, 0}};
        for (const auto& [asked, shown] : offsets) {
            player.setLiveOffsetMinutes(asked);
            QCOMPARE(player.minutesAhead(player.index()), shown);
        }
        QCOMPARE(player.index(), 3);
    }

    void hourlyTablePrefersNewerRunsThenTheCloserStep()
    {
        RadarFrames frames = observations(1);
        frames.append(forecast(65, -60));  // hour 1: left out
        frames.append(forecast(100, -60)); // hour 2
        frames.append(forecast(130, -60)); // hour 2, closer
        frames.append(forecast(170, -30)); // hour 3, newer run
        frames.append(forecast(180, -60)); // hour 3, older run
        RadarPlayer player;
        player.update(frames);
        QCOMPARE(player.liveSteps(), (QList<int>{0, 3, 4}));
    }

    void liveModePausesAndFollowsNewFrames()
    {
        FakeClock clock;
        RadarPlayer player;
        player.update(liveTimeline());
        player.play();
        QVERIFY(player.isPlaying());
        player.setMode(RadarPlaybackMode::Live);
        QVERIFY(!player.isPlaying());
        player.setLiveOffsetMinutes(30);
        const QDateTime shown = player.currentFrame()->date;

        // Two newer observations arrive: the offset now counts from +10 minutes.
        RadarFrames newer = liveTimeline();
        newer[4] = RadarFrameFactory::frameAt(kLatest, 5, RadarFrame::Kind::Observation);
        newer[5] = RadarFrameFactory::frameAt(kLatest, 10, RadarFrame::Kind::Observation);
        player.update(newer);
        QCOMPARE(player.minutesAhead(player.index()), 30);
        QCOMPARE(player.currentFrame()->date, shown.addSecs(10 * 60));

        player.setMode(RadarPlaybackMode::Animation);
        QVERIFY(player.isPlaying());
    }

    void followerMirrorsTheIndexWhenItHasThatFrame()
    {
        RadarPlayer detail;
        RadarPlayer overview;
        detail.setFollower(&overview);
        detail.update(observations(6));
        overview.update(observations(4));
        detail.scrub(3);
        QCOMPARE(overview.index(), 3);
        detail.scrub(5);
        QCOMPARE(overview.index(), 3); // index 5 does not exist there
        detail.scrub(3);
        overview.scrub(0);
        detail.setIndex(3); // re-assigning an unchanged index still pushes it
        QCOMPARE(overview.index(), 3);
    }

    void scrubClampsAndIgnoresAnEmptyList()
    {
        RadarPlayer player;
        player.scrub(5);
        QCOMPARE(player.index(), 0);
        player.update(observations(3));
        player.scrub(-4);
        QCOMPARE(player.index(), 0);
        player.scrub(99);
        QCOMPARE(player.index(), 2);
        QCOMPARE(player.minutesAhead(99), 0);
    }
};

SHIGUREN_GUILESS_TEST(TestRadarPlayer)
#include "tst_radarplayer.moc"
