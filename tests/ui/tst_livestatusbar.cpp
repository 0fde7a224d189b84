#include "FakeClock.h"
#include "FakeHttpServer.h"
#include "PaneTestFrames.h"
#include "platform/DataHosts.h"
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
    void offsetText_data()
    {
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << QStringLiteral("+0分");
        QTest::newRow("59") << 59 << QStringLiteral("+59分");
        QTest::newRow("60") << 60 << QStringLiteral("+1時間");
        QTest::newRow("90 rounds half up") << 90 << QStringLiteral("+2時間");
    }

    void offsetText()
    {
        QFETCH(int, minutes);
        QFETCH(QString, text);
        QCOMPARE(LiveStatusBar::offsetText(minutes), text);
    }

    void clockMarksTheNextDay_data()
    {
        QTest::addColumn<QDateTime>("date");
        QTest::addColumn<QString>("text");
        const QDate today(2025, 8, 29);
        QTest::newRow("tomorrow 1:00")
            << QDateTime(today.addDays(1), QTime(1, 0)) << QStringLiteral("翌1:00");
        QTest::newRow("tomorrow midnight")
            << QDateTime(today.addDays(1), QTime(0, 0)) << QStringLiteral("翌0:00");
        QTest::newRow("later today") << QDateTime(today, QTime(23, 55)) << QStringLiteral("23:55");
        QTest::newRow("yesterday")
            << QDateTime(today.addDays(-1), QTime(23, 0)) << QStringLiteral("23:00");
    }

    void clockMarksTheNextDay()
    {
        QFETCH(QDateTime, date);
        QFETCH(QString, text);
        const QDateTime now(QDate(2025, 8, 29), QTime(23, 50)); // local time, as shown
        QCOMPARE(LiveStatusBar::clock(date, now), text);
    }

    void tickLabels_data()
    {
        QTest::addColumn<QList<int>>("steps");
        QTest::addColumn<double>("spacing");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<int>>("positions");
        QTest::newRow("wide slider")
            << liveMinutes() << 40.0
            << QStringList{u"現在"_s,  u"30分"_s,  u"1時間"_s,  u"3時間"_s,
                           u"6時間"_s, u"9時間"_s, u"12時間"_s, u"15時間"_s}
            << QList<int>{0, 6, 12, 14, 17, 20, 23, 26};
        // 10 apart: 3時間 would sit 20 after 1時間, 9時間 and 15時間 30 after their neighbours.
        QTest::newRow("narrow slider keeps the labels apart")
            << liveMinutes() << 10.0
            << QStringList{u"現在"_s, u"30分"_s, u"1時間"_s, u"6時間"_s, u"12時間"_s}
            << QList<int>{0, 6, 12, 17, 23};
        // 30 has candidates at 27 and 33 (a tie: the earlier wins); 60 none within 5 minutes;
        // 100 and 130 both round to two hours, so 3時間 has no candidate either.
        QTest::newRow("closest step") << QList<int>{0, 27, 33, 50, 100, 130} << 40.0
                                      << QStringList{u"現在"_s, u"30分"_s} << QList<int>{0, 1};
        QTest::newRow("no steps") << QList<int>() << 40.0 << QStringList() << QList<int>();
    }

    void tickLabels()
    {
        QFETCH(QList<int>, steps);
        QFETCH(double, spacing);
        QFETCH(QStringList, texts);
        QFETCH(QList<int>, positions);
        QStringList shownTexts;
        QList<int> shownPositions;
        for (const auto& label : LiveStatusBar::tickLabels(steps, spacing)) {
            shownTexts.append(label.text);
            shownPositions.append(label.position);
        }
        QCOMPARE(shownTexts, texts);
        QCOMPARE(shownPositions, positions);
    }

    void pressMapsToTheNearestStop_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("position");
        QTest::newRow("first stop") << 6.5 << 27 << 0;
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
        QCOMPARE(slider.toolTip(), QStringLiteral("予測を読み込めていません"));
        QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(150, 9));
        QCOMPARE(calls, 0);

        player.update(liveTimeline());
        QVERIFY(slider.toolTip().startsWith(QStringLiteral("最新の観測から先の予測を表示")));
    }

    void statusShowsKindClockAndAge()
    {
        FakeClock clock;
        RadarPlayer player;
        LiveStatusBar bar(&player, nullptr);
        bar.resize(640, 60);
        bar.show();
        QVERIFY(!bar.shownStatus().hasFrame);
        QVERIFY(bar.findChild<QLabel*>(QStringLiteral("kind"))->isHidden());

        player.update(liveTimeline());
        player.setMode(RadarPlaybackMode::Live);
        const QDateTime latest = FakeClock::scenarioNow();
        QCOMPARE(bar.shownStatus().kind, QStringLiteral("観測 ") + Fmt::clock(latest));
        QCOMPARE(bar.shownStatus().detail, QStringLiteral("現在"));
        QCOMPARE(bar.findChild<QLabel*>(QStringLiteral("detail"))->text(), QStringLiteral("現在"));

        // Nothing changes but time: the age text follows within 30 s.
        clock.advance(29s);
        QCOMPARE(bar.shownStatus().detail, QStringLiteral("現在"));
        clock.advance(1s);
        QCOMPARE(bar.shownStatus().detail, QStringLiteral("1分前"));

        player.setLiveOffsetMinutes(180);
        QVERIFY(bar.shownStatus().isForecast);
        QCOMPARE(bar.shownStatus().kind,
                 QStringLiteral("予測 ") +
                     LiveStatusBar::clock(latest.addSecs(3 * 3600), clock.now()));
        QCOMPARE(bar.shownStatus().detail, QStringLiteral("+3時間"));

        // Hidden, the bar keeps no timer.
        bar.hide();
        const int pending = clock.pendingTimers();
        clock.advance(60s);
        QCOMPARE(clock.pendingTimers(), pending);
    }

    void spinnerFollowsTheTimelineLoad()
    {
        FakeHttpServer server;
        QVERIFY(server.listen());
        DataHosts::pointAllAt(server.baseUrl());
        server.setRoute(QStringLiteral("/bosai/jmatile/data/nowc/targetTimes_N1.json"),
                        FakeResponse::error(500).withDelay(150));
        server.setRoute(QStringLiteral("/bosai/jmatile/data/nowc/targetTimes_N2.json"),
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

QTEST_MAIN(TestLiveStatusBar)
#include "tst_livestatusbar.moc"
