#include "AgencyLists.h"
#include "AppStateHarness.h"
#include "RadarFrameFactory.h"
#include "TaskTestUtils.h"
#include "TestRegistry.h"
#include "app/AppWatchdogs.h"
#include "radar/RadarPlayer.h"
#include "radar/RadarTimeline.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// The watchdogs of a controller whose repairs are counted by its map tokens: a recovery
// raises the redraw token, a stuck render the rebuild token.
int redraws(const AppStateHarness& h)
{
    return h.state->radarRedrawToken();
}

int rebuilds(const AppStateHarness& h)
{
    return h.state->radarRebuildToken();
}

} // namespace

class TestAppWatchdogs : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void restartingALoopReplacesItsSleep()
    {
        AppStateHarness h;
        AppWatchdogs& watchdogs = *h.state->watchdogs();
        watchdogs.startFreshnessWatchdog();
        watchdogs.startStuckRenderWatchdog();
        FakeClock::settle();
        const int timers = h.clock.pendingTimers();
        watchdogs.startFreshnessWatchdog();
        watchdogs.startStuckRenderWatchdog();
        FakeClock::settle();
        QCOMPARE(h.clock.pendingTimers(), timers);
        QVERIFY(watchdogs.hasFreshnessWatchdog() && watchdogs.hasStuckRenderWatchdog());
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
        AppWatchdogs& watchdogs = *h.state->watchdogs();
        if (forecastsOnly)
            h.server.setRoute(AgencyLists::kN1, FakeResponse::json("[]"));
        // The fixture's newest observation is the scenario's "now".
        h.clock.advanceSeconds(observationAgeSeconds - listAgeSeconds);
        QVERIFY(runTask(h.state->timeline()->reload()));
        QCOMPARE(h.state->timeline()->frames().isEmpty(), !serveLists);
        h.clock.advanceSeconds(listAgeSeconds);
        QSignalSpy rounds(&watchdogs, &AppWatchdogs::staleRoundsChanged);
        QVERIFY(runTask(watchdogs.checkFreshness()));
        QCOMPARE(watchdogs.staleRounds(), stale);
        QCOMPARE(redraws(h), stale);
        QCOMPARE(h.log.matching(QStringLiteral("鮮度低下を検知 回数=1 ") + expectedLog).size(),
                 stale);
        QVERIFY(!h.loader->lastSessionResetAt().isValid());

        QVERIFY(runTask(watchdogs.checkFreshness()));
        QCOMPARE(watchdogs.staleRounds(), 2 * stale);
        QCOMPARE(rounds.size(), 2 * stale);
        QCOMPARE(h.loader->lastSessionResetAt().isValid(), stale == 1);
    }

    void stuckRender_data()
    {
        QTest::addColumn<double>("cpu");
        QTest::addColumn<bool>("playing");
        QTest::addColumn<bool>("playDuringMeasurement");
        QTest::addColumn<bool>("rebuilt");
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
        QFETCH(bool, rebuilt);
        QFETCH(int, cpuReads);
        AppStateHarness h;
        const RadarFrames frames = RadarFrameFactory::frames(FakeClock::scenarioNow(), 5, {});
        h.state->detailPlayer()->update(frames);
        h.state->overviewPlayer()->update(frames);
        if (playing)
            h.state->overviewPlayer()->play();
        h.clock.advanceSeconds(12);
        h.cpuReadings = {0.0, 3 * cpu};
        h.runStuckRenderCheck([&] {
            if (playDuringMeasurement)
                h.state->detailPlayer()->play();
        });
        QCOMPARE(h.cpuReads, cpuReads);
        QCOMPARE(rebuilds(h), rebuilt ? 1 : 0);
        QCOMPARE(h.log.matching(QStringLiteral("CPU %1% のため雨雲を作り直す").arg(int(cpu * 100)))
                     .size(),
                 rebuilt ? 1 : 0);
    }

    // Activity of the user's keeps the radar from counting as at rest for 10 s, and a
    // rebuild comes at most once a minute.
    void stuckRenderWaitsForRestAndRebuildsAtMostOncePerMinute()
    {
        AppStateHarness h;
        AppWatchdogs& watchdogs = *h.state->watchdogs();
        h.clock.advanceSeconds(12);
        watchdogs.noteRadarActivity();
        h.clock.advanceSeconds(9);
        h.runStuckRenderCheck(); // its 3-second window brings the rest to 12 s
        QCOMPARE(h.cpuReads, 0);
        h.cpuReadings = {0.0, 0.6};
        h.runStuckRenderCheck();
        QCOMPARE(rebuilds(h), 1);
        h.clock.advanceSeconds(40);
        h.runStuckRenderCheck();
        QCOMPARE(h.cpuReads, 2); // too soon: not even measured
        h.clock.advanceSeconds(120);
        h.cpuReadings = {0.0, 0.6};
        h.runStuckRenderCheck();
        QCOMPARE(rebuilds(h), 2);
    }

    void networkReturnAndWakeRecover()
    {
        AppStateHarness h;
        AppWatchdogs& watchdogs = *h.state->watchdogs();
        watchdogs.startRecoveryObservers();
        watchdogs.startRecoveryObservers();
        QVERIFY(h.wake && h.network);
        // The first report (usable) repairs nothing; repeated reports count once.
        for (bool usable : {true, false, false, true, true})
            Q_EMIT h.network->pathChanged(usable);
        FakeClock::settle();
        QCOMPARE(h.log.matching(QStringLiteral("レーダーを立て直す 理由=ネットワーク復帰")).size(),
                 1);
        QVERIFY(QTest::qWaitFor([&] { return redraws(h) == 1; }, 3000));
        QVERIFY(h.loader->lastSessionResetAt().isValid());
        QVERIFY(!h.state->timeline()->frames().isEmpty());

        Q_EMIT h.wake->woke();
        QCOMPARE(h.log.matching(QStringLiteral("レーダーを立て直す 理由=スリープ復帰")).size(), 1);
        QVERIFY(QTest::qWaitFor([&] { return redraws(h) == 2; }, 3000));
    }
};

SHIGUREN_TEST(TestAppWatchdogs)
#include "tst_appwatchdogs.moc"
