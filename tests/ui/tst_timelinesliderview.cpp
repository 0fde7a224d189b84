#include "FakeClock.h"
#include "PaneTestFrames.h"
#include "TestRegistry.h"
#include "ui/SymbolButton.h"
#include "ui/TimelineSliderView.h"
#include "ui/TimelineTrack.h"
#include "weather/Fmt.h"

#include <QTest>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;
using namespace PaneTestFrames;

class TestTimelineSliderView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void dragMapping_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("width");
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("index");
        QTest::newRow("just past half a step") << 291.7 << 600.0 << 37 << 18;
        QTest::newRow("just short of half a step") << 291.6 << 600.0 << 37 << 17;
        QTest::newRow("left of the track") << -25.0 << 600.0 << 37 << 0;
        QTest::newRow("beyond the right end") << 640.0 << 600.0 << 37 << 36;
        QTest::newRow("one frame, far right") << 600.0 << 600.0 << 1 << 1;
        QTest::newRow("no frames") << 600.0 << 600.0 << 0 << 1;
        QTest::newRow("track too narrow: raw position") << 0.3 << 1.0 << 11 << 3;
    }

    void dragMapping()
    {
        QFETCH(double, x);
        QFETCH(double, width);
        QFETCH(int, frames);
        QFETCH(int, index);
        QCOMPARE(TimelineSliderView::scrubIndex(x, width, frames), index);
    }

    void thumbPosition()
    {
        QCOMPARE(TimelineSliderView::thumbPosition(0, 0), 0.0);
        QCOMPARE(TimelineSliderView::thumbPosition(36, 37), 1.0);
    }

    void dragPausesThenScrubsOnEveryMove()
    {
        FakeClock clock;
        RadarPlayer player;
        RadarFrames frames = observations(25);
        for (int m = 5; m <= 60; m += 5)
            frames.append(frameAt(m, RadarFrame::Kind::Forecast));
        player.update(frames);

        TimelineSliderView view(&player);
        QStringList calls;
        view.setOnPause([&] { calls.append(u"pause"_s); });
        view.setOnScrub([&](int index) { calls.append(u"scrub "_s + QString::number(index)); });
        view.resize(700, 48);
        view.show();
        TimelineTrack* track = view.track();
        const int y = TimelineTrack::kHeight / 2;

        QTest::mousePress(track, Qt::LeftButton, {}, QPoint(track->width() / 2, y));
        QTest::mouseMove(track, QPoint(-20, y));
        QTest::mouseMove(track, QPoint(track->width() + 20, y));
        QCOMPARE(calls, (QStringList{u"pause"_s, u"scrub 18"_s, u"pause"_s, u"scrub 0"_s,
                                     u"pause"_s, u"scrub 36"_s}));
        // Releasing sends nothing, and the view never moved the player itself.
        QTest::mouseRelease(track, Qt::LeftButton, {}, QPoint(track->width() + 20, y));
        QCOMPARE(calls.size(), 6);
        QCOMPARE(player.index(), 24);
    }

    void playButtonFollowsThePlayer()
    {
        FakeClock clock;
        RadarPlayer player;
        player.update(observations(1));
        TimelineSliderView view(&player);
        int toggles = 0;
        view.setOnTogglePlayback([&] { ++toggles; });
        SymbolButton* button = view.playButton();
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        QVERIFY(!button->isEnabled()); // one frame: nothing to play

        player.update(observations(3));
        QVERIFY(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(toggles, 1);

        player.play();
        QCOMPARE(button->toolTip(), u"一時停止"_s);
        player.pause();
        QCOMPARE(button->symbol(), u"play.fill"_s);
    }

    void labelShowsTheFrame()
    {
        FakeClock clock;
        RadarPlayer player;
        TimelineSliderView view(&player);
        QVERIFY(!view.shownLabel().hasFrame); // "読み込み中"

        player.update(liveTimeline());
        const QDateTime latest = FakeClock::scenarioNow();
        QCOMPARE(view.shownLabel(),
                 (TimelineSliderView::Label{true, false, Fmt::clock(latest), u"現在"_s}));

        player.scrub(player.index() + 6); // 30 minutes ahead
        QCOMPARE(
            view.shownLabel(),
            (TimelineSliderView::Label{true, true, Fmt::clock(latest.addSecs(1800)), u"30分後"_s}));

        // While paused, the relative time still moves on.
        view.show();
        clock.advance(30s);
        QCOMPARE(view.shownLabel().relative, u"30分後"_s);
        clock.advance(30s);
        QCOMPARE(view.shownLabel().relative, u"29分後"_s);
    }
};

SHIGUREN_TEST(TestTimelineSliderView)
#include "tst_timelinesliderview.moc"
