#include "FakeClock.h"
#include "FakeDataHosts.h"
#include "TaskTestUtils.h"
#include "TestData.h"
#include "radar/RadarTimeline.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {

const QString kN1 = QStringLiteral("/bosai/jmatile/data/nowc/targetTimes_N1.json");
const QString kN2 = QStringLiteral("/bosai/jmatile/data/nowc/targetTimes_N2.json");
const QString kRasrf = QStringLiteral("/bosai/jmatile/data/rasrf/targetTimes.json");

FakeResponse fixture(const char* name)
{
    return FakeResponse::json(TestData::read(QStringLiteral("jma/") + QLatin1String(name)));
}

HttpSessionConfig withoutTransferLimit()
{
    HttpSessionConfig config = RadarTimeline::defaultSessionConfig();
    config.wholeTransferTimeout = 0ms;
    return config;
}

} // namespace

class TestRadarTimeline : public QObject {
    Q_OBJECT

    std::optional<FakeDataHosts> m_server;

    void serveAgencyLists()
    {
        m_server->setRoute(kN1, fixture("nowc/targetTimes_N1.json"));
        m_server->setRoute(kN2, fixture("nowc/targetTimes_N2.json"));
        m_server->setRoute(kRasrf, fixture("rasrf/targetTimes.json"));
    }

    bool waitForRequest(const QString& path)
    {
        return QTest::qWaitFor([&] { return m_server->requestCount(path) > 0; }, 3000);
    }

private Q_SLOTS:
    void init() { QVERIFY(m_server.emplace().start()); }
    void cleanup() { m_server.reset(); }

    void nowcastReloadPublishesObservationsNowcastsAndHourlyForecasts()
    {
        serveAgencyLists();
        FakeClock clock;
        RadarTimeline timeline;
        QSignalSpy framesSpy(&timeline, &RadarTimeline::framesChanged);
        QSignalSpy loadingSpy(&timeline, &RadarTimeline::isLoadingChanged);
        QVERIFY(runTask(timeline.reload()));

        // 37 observations, 12 nowcasts, and the 05:20 run's 07:20 … 11:20 within 6 hours.
        QCOMPARE(timeline.frames().size(), 37 + 12 + 5);
        QCOMPARE(timeline.frames().last().validtime, QStringLiteral("20250829112000"));
        QCOMPARE(timeline.frames().last().product, RadarProduct::Analysis);
        QCOMPARE(timeline.lastUpdated(), clock.now());
        QVERIFY(timeline.errorMessage().isNull());
        QVERIFY(!timeline.isLoading());
        QVERIFY(!timeline.loadStartedAt().isValid());
        QCOMPARE(framesSpy.count(), 1);
        QCOMPARE(loadingSpy.count(), 2);
        QCOMPARE(m_server->requestCount(kRasrf), 1);

        // The same answer again changes nothing observable but the time stamp.
        clock.advance(60s);
        QVERIFY(runTask(timeline.reload()));
        QCOMPARE(framesSpy.count(), 1);
        QCOMPARE(timeline.lastUpdated(), clock.now());
    }

    void oneHourHorizonFetchesNoHourlyForecasts()
    {
        serveAgencyLists();
        RadarTimeline timeline;
        timeline.setForecastHorizonHours(0.5);
        QVERIFY(runTask(timeline.reload()));
        QCOMPARE(timeline.frames().size(), 37 + 12);
        QCOMPARE(m_server->requestCount(kRasrf), 0);
    }

    void twelveHourRangeReadsOnlyTheRasrfList()
    {
        serveAgencyLists();
        RadarTimeline timeline;
        timeline.setRange(RadarRange::TwelveHours);
        QVERIFY(runTask(timeline.reload()));
        QCOMPARE(timeline.frames().size(), 14 + 15);
        QCOMPARE(m_server->requestCount(kN1), 0);
        QCOMPARE(timeline.frames().first().product, RadarProduct::Analysis);
    }

    void failedListCountsAndKeepsThePreviousFrames()
    {
        serveAgencyLists();
        RadarTimeline timeline;
        QVERIFY(runTask(timeline.reload()));
        const RadarFrames good = timeline.frames();

        m_server->setRoute(kN1, FakeResponse::text("<html>Not Found</html>", 404));
        QTest::ignoreMessage(
            QtWarningMsg,
            "targetTimes 取得失敗: データが正しい形式ではないため読み込めませんでした");
        QVERIFY(runTask(timeline.reload()));
        QCOMPARE(timeline.consecutiveFailures(), 1);
        QCOMPARE(timeline.errorMessage(),
                 QStringLiteral("レーダー情報を取得できませんでした（データが正しい形式ではないため"
                                "読み込めませんでした）"));
        QCOMPARE(timeline.frames(), good);

        m_server->setRoute(kN1, FakeResponse::dropped("[{\"basetime\":\"2025"));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("^targetTimes 取得失敗: ")));
        QVERIFY(runTask(timeline.reload()));
        QCOMPARE(timeline.consecutiveFailures(), 2);

        serveAgencyLists();
        QVERIFY(runTask(timeline.reload()));
        QCOMPARE(timeline.consecutiveFailures(), 0);
        QVERIFY(timeline.errorMessage().isNull());
    }

    void invalidListFailsAsAWhole()
    {
        serveAgencyLists();
        m_server->setRoute(kN2, fixture("nowc/targetTimes_N1_invalid_missing_elements.json"));
        RadarTimeline timeline;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("取得失敗")));
        QVERIFY(runTask(timeline.reload()));
        QVERIFY(timeline.frames().isEmpty());
        QCOMPARE(timeline.consecutiveFailures(), 1);
    }

    void emptyAfterTheForecastFilterKeepsOldFramesAndCounter()
    {
        serveAgencyLists();
        RadarTimeline timeline;
        QVERIFY(runTask(timeline.reload()));
        const RadarFrames good = timeline.frames();
        const QDateTime updated = timeline.lastUpdated();

        m_server->setRoute(kN1, FakeResponse::json("[]"));
        timeline.setIncludeForecast(false);
        QVERIFY(runTask(timeline.reload()));
        QCOMPARE(timeline.errorMessage(), QStringLiteral("利用できるレーダーのコマがありません"));
        QCOMPARE(timeline.frames(), good);
        QCOMPARE(timeline.lastUpdated(), updated);
        QCOMPARE(timeline.consecutiveFailures(), 0);
    }

    void aRunningLoadBlocksNewOnesForFortyFiveSeconds()
    {
        serveAgencyLists();
        m_server->setRoute(kN1, FakeResponse::hanging());
        FakeClock clock;
        RadarTimeline timeline(nullptr, withoutTransferLimit());
        async::TaskScope scope; // after the timeline: destroyed first
        scope.spawn(timeline.reload());
        QVERIFY(waitForRequest(kN1));
        QVERIFY(timeline.isLoading());

        clock.advance(10s);
        QVERIFY(runTask(timeline.reload())); // returns at once
        QCOMPARE(m_server->requestCount(kN1), 1);

        clock.advance(40s);
        m_server->setRoute(kN1, fixture("nowc/targetTimes_N1.json"));
        QVERIFY(runTask(timeline.reload()));
        QCOMPARE(m_server->requestCount(kN1), 2);
        QCOMPARE(timeline.frames().size(), 54);
    }

    void wholeTransferLimitFailsAHangingList()
    {
        serveAgencyLists();
        m_server->setRoute(kN2, FakeResponse::hanging());
        FakeClock clock;
        RadarTimeline timeline;
        async::TaskScope scope;
        scope.spawn(timeline.reload());
        QVERIFY(waitForRequest(kN2));
        QTest::ignoreMessage(QtWarningMsg, "targetTimes 取得失敗: 要求がタイムアウトしました");
        clock.advance(39s);
        QVERIFY(timeline.isLoading());
        clock.advance(1s);
        QTRY_VERIFY(!timeline.isLoading());
        QCOMPARE(timeline.consecutiveFailures(), 1);
    }

    void cancellingAReloadPublishesNothing()
    {
        serveAgencyLists();
        m_server->setRoute(kN2, FakeResponse::hanging());
        RadarTimeline timeline;
        QSignalSpy errorSpy(&timeline, &RadarTimeline::errorMessageChanged);
        async::TaskScope scope;
        const async::TaskHandle handle = scope.spawn(timeline.reload());
        QVERIFY(waitForRequest(kN2));
        handle.cancel();
        QTRY_VERIFY(!timeline.isLoading());
        QCOMPARE(timeline.consecutiveFailures(), 0);
        QCOMPARE(errorSpy.count(), 0);
        QVERIFY(timeline.frames().isEmpty());
    }

    void sessionResetFailsTheRequestInFlightAndTheNextLoadWorks()
    {
        serveAgencyLists();
        m_server->setRoute(kN1, FakeResponse::hanging());
        RadarTimeline timeline;
        async::TaskScope scope;
        scope.spawn(timeline.reload());
        QVERIFY(waitForRequest(kN1));
        QTest::ignoreMessage(QtWarningMsg, "targetTimes 取得失敗: 通信が取り消されました");
        timeline.resetSession();
        QTRY_VERIFY(!timeline.isLoading());
        QCOMPARE(timeline.consecutiveFailures(), 1);
        QCOMPARE(timeline.errorMessage(),
                 QStringLiteral("レーダー情報を取得できませんでした（通信が取り消されました）"));

        m_server->setRoute(kN1, fixture("nowc/targetTimes_N1.json"));
        QVERIFY(runTask(timeline.reload()));
        QCOMPARE(timeline.frames().size(), 54);
        QCOMPARE(timeline.consecutiveFailures(), 0);
    }
};

QTEST_GUILESS_MAIN(TestRadarTimeline)
#include "tst_radartimeline.moc"
