#include "FakeClock.h"
#include "FakeDataHosts.h"
#include "PaneTestFrames.h"
#include "TestRegistry.h"
#include "platform/async/TaskScope.h"
#include "ui/LiveOffsetSlider.h"
#include "ui/LiveStatusBar.h"
#include "ui/PulsingDot.h"
#include "weather/Fmt.h"

#include <QLabel>
#include <QTest>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;
using namespace PaneTestFrames;

namespace {

// Steps 0, 5, …, 60 then 120 … 900 minutes ahead, as the live timeline yields them.
QList<int> liveMinutes()
{
    QList<int> minutes;
    for (int m = 0; m <= 60; m += 5)
        minutes.append(m);
    for (int h = 2; h <= 15; ++h)
        minutes.append(60 * h);
    return minutes;
}

} // namespace

class TestLiveStatusBar : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // On screen all day: a handful of repaints a second, of the dot's own pixels only.
    void theLiveDotRepaintsRarelyAndAlone()
    {
        FakeClock clock;
        LiveStatusBar bar(nullptr, nullptr);
        bar.resize(600, 44);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        auto* dot = bar.findChild<PulsingDot*>();
        QVERIFY(dot && dot->isPulsing());
        QCoreApplication::processEvents();

        struct PaintCounter : QObject {
            QHash<QObject*, int> paints;
            bool eventFilter(QObject* watched, QEvent* event) override
            {
                if (event->type() == QEvent::Paint)
                    ++paints[watched];
                return false;
            }
        } counter;
        dot->installEventFilter(&counter);
        bar.installEventFilter(&counter);
        const qreal start = dot->opacity();
        for (int ms = 0; ms < 2 * PulsingDot::kPeriodMs; ms += 20) {
            clock.advance(20ms);
            QCoreApplication::processEvents();
        }
        const int steps = 2 * PulsingDot::kPeriodMs / PulsingDot::kStepMs;
        QVERIFY(counter.paints.value(dot) >= steps / 2);
        QVERIFY(counter.paints.value(dot) <= steps);
        QCOMPARE(counter.paints.value(&bar), 0);
        QCOMPARE(dot->opacity(), start); // a whole breath
        QVERIFY(!dot->grab().toImage().hasAlphaChannel() ||
                dot->grab().toImage().pixelColor(0, 0).alpha() == 255);
    }

    void texts_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("expected");
        QTest::newRow("59 minutes") << LiveStatusBar::offsetText(59) << u"+59分"_s;
        QTest::newRow("an hour") << LiveStatusBar::offsetText(60) << u"+1時間"_s;
        QTest::newRow("90 minutes round half up") << LiveStatusBar::offsetText(90) << u"+2時間"_s;
        // Shown at 23:50 local time on 29 August.
        const QDate today(2025, 8, 29);
        const QDateTime now(today, QTime(23, 50));
        const auto clock = [&](int days, int hour, int minute) {
            return LiveStatusBar::clock(QDateTime(today.addDays(days), QTime(hour, minute)), now);
        };
        QTest::newRow("tomorrow 1:00") << clock(1, 1, 0) << u"翌1:00"_s;
        QTest::newRow("tomorrow midnight") << clock(1, 0, 0) << u"翌0:00"_s;
        QTest::newRow("later today") << clock(0, 23, 55) << u"23:55"_s;
        QTest::newRow("yesterday") << clock(-1, 23, 0) << u"23:00"_s;
    }
    void texts()
    {
        QFETCH(QString, shown);
        QFETCH(QString, expected);
        QCOMPARE(shown, expected);
    }

    // Each label as "text@step index".
    void tickLabels_data()
    {
        QTest::addColumn<QList<int>>("steps");
        QTest::addColumn<double>("spacing");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("wide slider")
            << liveMinutes() << 40.0
            << QStringList{u"現在@0"_s,   u"30分@6"_s,   u"1時間@12"_s,  u"3時間@14"_s,
                           u"6時間@17"_s, u"9時間@20"_s, u"12時間@23"_s, u"15時間@26"_s};
        // 10 apart: 3時間 would sit 20 after 1時間, 9時間 and 15時間 30 after their neighbours.
        QTest::newRow("narrow slider keeps the labels apart")
            << liveMinutes() << 10.0
            << QStringList{u"現在@0"_s, u"30分@6"_s, u"1時間@12"_s, u"6時間@17"_s, u"12時間@23"_s};
        // 30 has candidates at 27 and 33 (a tie: the earlier wins); 60 none within 5 minutes;
        // 100 and 130 both round to two hours, so 3時間 has no candidate either.
        QTest::newRow("closest step")
            << QList<int>{0, 27, 33, 50, 100, 130} << 40.0 << QStringList{u"現在@0"_s, u"30分@1"_s};
        QTest::newRow("no steps") << QList<int>() << 40.0 << QStringList();
    }
    void tickLabels()
    {
        QFETCH(QList<int>, steps);
        QFETCH(double, spacing);
        QFETCH(QStringList, labels);
        QStringList shown;
        for (const auto& label : LiveStatusBar::tickLabels(steps, spacing))
            shown.append(label.text + u'@' + QString::number(label.position));
        QCOMPARE(shown, labels);
    }

    void pressMapsToTheNearestStop_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("position");
        QTest::newRow("just short of half") << 6.5 + 9.9 << 27 << 0;
        QTest::newRow("half rounds on") << 6.5 + 10.0 << 27 << 1;
        QTest::newRow("left of the track") << -40.0 << 27 << 0;
        QTest::newRow("right of the track") << 2000.0 << 27 << 26;
        QTest::newRow("no stops") << 6.5 << 0 << -1;
    }

    void pressMapsToTheNearestStop()
    {
        QFETCH(double, x);
        QFETCH(int, count);
        QFETCH(int, position);
        QCOMPARE(LiveOffsetSlider::positionAt(x, 20, count), position);
    }

    void withoutStepsAPressSelectsNothing()
    {
        FakeClock clock;
        RadarPlayer player;
        player.update(
            {frameAt(5, RadarFrame::Kind::Forecast), frameAt(10, RadarFrame::Kind::Forecast)});
        LiveOffsetSlider slider(&player);
        int calls = 0;
        slider.setOnSelectOffset([&](int) { ++calls; });
        slider.resize(300, LiveOffsetSlider::kHeight);
        QVERIFY(slider.steps().isEmpty());
        QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(150, 9));
        QCOMPARE(calls, 0);
    }

    void statusShowsKindClockAndAge()
    {
        FakeClock clock;
        RadarPlayer player;
        LiveStatusBar bar(&player, nullptr);
        bar.resize(640, 60);
        bar.show();
        QVERIFY(bar.findChild<QLabel*>(u"kind"_s)->isHidden());

        player.update(liveTimeline());
        player.setMode(RadarPlaybackMode::Live);
        const QDateTime latest = FakeClock::scenarioNow();
        const QString observed = u"観測 "_s + Fmt::clock(latest);
        QCOMPARE(bar.shownStatus(), (LiveStatusBar::Status{true, false, observed, u"現在"_s}));
        QCOMPARE(bar.findChild<QLabel*>(u"detail"_s)->text(), u"現在"_s);
        // Nothing changes but time: the age text follows within 30 s.
        clock.advance(29s);
        QCOMPARE(bar.shownStatus().detail, u"現在"_s);
        clock.advance(1s);
        QCOMPARE(bar.shownStatus().detail, u"1分前"_s);

        player.setLiveOffsetMinutes(180);
        const QString ahead = LiveStatusBar::clock(latest.addSecs(3 * 3600), clock.now());
        QCOMPARE(bar.shownStatus(),
                 (LiveStatusBar::Status{true, true, u"予測 "_s + ahead, u"+3時間"_s}));

        // Hidden, the bar keeps no timer.
        bar.hide();
        const int pending = clock.pendingTimers();
        clock.advance(60s);
        QCOMPARE(clock.pendingTimers(), pending);
    }

    void spinnerFollowsTheTimelineLoad()
    {
        FakeDataHosts server;
        QVERIFY(server.start());
        for (const QString& list : {u"N1"_s, u"N2"_s})
            server.setRoute(u"/bosai/jmatile/data/nowc/targetTimes_%1.json"_s.arg(list),
                            FakeResponse::error(500).withDelay(150));
        RadarTimeline timeline;
        RadarPlayer player;
        LiveStatusBar bar(&player, &timeline);
        QVERIFY(!bar.showsSpinner());

        async::TaskScope scope;
        scope.spawn(timeline.reload());
        QTRY_VERIFY(timeline.isLoading());
        QVERIFY(bar.showsSpinner());
        QTRY_VERIFY(!timeline.isLoading());
        QVERIFY(!bar.showsSpinner());
    }
};

SHIGUREN_TEST(TestLiveStatusBar)
#include "tst_livestatusbar.moc"
