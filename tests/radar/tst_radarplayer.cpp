#include "FakeClock.h"
#include "radar/JMATime.h"
#include "radar/RadarPlayer.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {

const QDateTime kLatest = FakeClock::scenarioNow(); // newest observation

RadarFrame frameAt(int minutesFromLatest, RadarFrame::Kind kind, int baseMinutes = 0)
{
    const QDateTime valid = kLatest.addSecs(minutesFromLatest * 60);
    const QString base = JMATime::format(
        kind == RadarFrame::Kind::Observation ? valid : kLatest.addSecs(baseMinutes * 60));
    return RadarFrame{RadarProduct::Nowcast, base, JMATime::format(valid), kind, valid};
}

// `count` observations 5 minutes apart ending at kLatest.
RadarFrames observations(int count)
{
    RadarFrames frames;
    for (int i = count - 1; i >= 0; --i)
        frames.append(frameAt(-5 * i, RadarFrame::Kind::Observation));
    return frames;
}

// Observations, nowcasts every 5 minutes to +60, then hourly forecasts to +6 h.
RadarFrames liveTimeline()
{
    RadarFrames frames = observations(4);
    for (int m = 5; m <= 60; m += 5)
        frames.append(frameAt(m, RadarFrame::Kind::Forecast));
    for (int h = 2; h <= 6; ++h)
        frames.append(frameAt(60 * h, RadarFrame::Kind::Forecast, -10));
    return frames;
}

} // namespace

class TestRadarPlayer : public QObject {
    Q_OBJECT

private Q_SLOTS:
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
        clock.advance(1190ms);
        QCOMPARE(player.index(), 9);
        clock.advance(10ms);
        QCOMPARE(player.index(), 0);
        clock.advance(249ms);
        QCOMPARE(player.index(), 0);
        clock.advance(1ms);
        QCOMPARE(player.index(), 1);

        player.setLoopPause(3.0); // read on every pass, no restart needed
        player.scrub(9);
        clock.advance(250ms); // the wait begun at index 1 ends: 9 is last, no step
        QCOMPARE(player.index(), 9);
        clock.advance(2999ms);
        QCOMPARE(player.index(), 9);
        clock.advance(1ms);
        QCOMPARE(player.index(), 0);
    }

    void frameRateIsFlooredAtOneFrameEveryFourSeconds()
    {
        FakeClock clock;
        RadarPlayer player;
        player.update(observations(5));
        player.scrub(0);
        player.setFramesPerSecond(0);
        player.play();
        clock.advance(3999ms);
        QCOMPARE(player.index(), 0);
        clock.advance(1ms);
        QCOMPARE(player.index(), 1);

        player.setFramesPerSecond(-3); // restarts the loop with the floored rate
        clock.advance(3999ms);
        QCOMPARE(player.index(), 1);
        clock.advance(1ms);
        QCOMPARE(player.index(), 2);

        player.setFramesPerSecond(10);
        clock.advance(100ms);
        QCOMPARE(player.index(), 3);
    }

    void pauseStopsTheLoop()
    {
        FakeClock clock;
        RadarPlayer player;
        player.update(observations(5));
        player.scrub(0);
        player.play();
        clock.advance(250ms);
        QCOMPARE(player.index(), 1);
        player.pause();
        clock.advance(10s);
        QCOMPARE(player.index(), 1);
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
        QList<int> visited{0};
        for (int i = 0; i < 12; ++i) {
            clock.advance(250ms);
            visited.append(player.index());
        }
        // -15, -5, +5, … every other 5-minute frame, then each hourly frame.
        QCOMPARE(visited, (QList<int>{0, 2, 4, 6, 8, 10, 12, 14, 16, 17, 18, 19, 20}));
    }

    void updateKeepsTheShownDate()
    {
        RadarPlayer player;
        const RadarFrames first = observations(6);
        player.update(first);
        player.scrub(3);
        QSignalSpy indexSpy(&player, &RadarPlayer::indexChanged);
        player.update(first);
        QCOMPARE(player.index(), 3);
        QCOMPARE(indexSpy.count(), 0);

        RadarFrames shifted = first.mid(1);
        shifted.append(frameAt(5, RadarFrame::Kind::Observation));
        player.update(shifted);
        QCOMPARE(player.index(), 2);
        QCOMPARE(player.currentFrame()->date, first.at(3).date);
    }

    void updateFromEmptyJumpsToTheNewestObservation()
    {
        RadarPlayer player;
        RadarFrames frames = liveTimeline();
        player.update(frames);
        QCOMPARE(player.index(), 3);
        RadarPlayer forecastsOnly;
        forecastsOnly.update(frames.mid(4));
        QCOMPARE(forecastsOnly.index(), int(frames.size()) - 5); // no observation: last frame
    }

    void liveStepsAndTargets()
    {
        RadarPlayer player;
        player.update(liveTimeline());
        player.setMode(RadarPlaybackMode::Live);
        QList<int> expected{3};
        for (int i = 4; i <= 20; ++i)
            expected.append(i);
        QCOMPARE(player.liveSteps(), expected);
        QCOMPARE(player.index(), 3);

        player.setLiveOffsetMinutes(60);
        QCOMPARE(player.minutesAhead(player.index()), 60);
        player.setLiveOffsetMinutes(180);
        QCOMPARE(player.minutesAhead(player.index()), 180);
        player.setLiveOffsetMinutes(7); // ties keep the earlier step
        QCOMPARE(player.minutesAhead(player.index()), 5);
        player.setLiveOffsetMinutes(0);
        QCOMPARE(player.index(), 3);
    }

    void hourlyTablePrefersNewerRunsThenTheCloserStep()
    {
        RadarFrames frames = observations(1);
        frames.append(frameAt(65, RadarFrame::Kind::Forecast, -60));  // hour 1: left out
        frames.append(frameAt(100, RadarFrame::Kind::Forecast, -60)); // hour 2
        frames.append(frameAt(130, RadarFrame::Kind::Forecast, -60)); // hour 2, closer
        frames.append(frameAt(170, RadarFrame::Kind::Forecast, -30)); // hour 3, newer run
        frames.append(frameAt(180, RadarFrame::Kind::Forecast, -60)); // hour 3, older run
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
        newer[4] = frameAt(5, RadarFrame::Kind::Observation);
        newer[5] = frameAt(10, RadarFrame::Kind::Observation);
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

QTEST_GUILESS_MAIN(TestRadarPlayer)
#include "tst_radarplayer.moc"
