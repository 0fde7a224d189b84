#include "../app/AgencyLists.h"
#include "FakeClock.h"
#include "FakeDataHosts.h"
#include "TaskTestUtils.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "platform/DocumentLimit.h"
#include "platform/ErrorText.h"
#include "radar/RadarTimeline.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(FakeResponse)
using OptionChange = std::function<void(RadarTimeline&)>;
Q_DECLARE_METATYPE(OptionChange)

namespace {

const QString kN1 = QStringLiteral("/bosai/jmatile/data/nowc/targetTimes_N1.json");
const QString kN2 = QStringLiteral("/bosai/jmatile/data/nowc/targetTimes_N2.json");
const QString kRasrf = QStringLiteral("/bosai/jmatile/data/rasrf/targetTimes.json");

FakeResponse fixture(const char* name)
{
    return FakeResponse::json(TestData::read(QStringLiteral("jma/") + QLatin1String(name)));
}

HttpSessionConfig withTransferLimit(std::chrono::milliseconds limit)
{
    HttpSessionConfig config = RadarTimeline::defaultSessionConfig();
    config.wholeTransferTimeout = limit;
    return config;
}

} // namespace

class TestRadarTimeline : public QObject {
    Q_OBJECT

    std::optional<FakeDataHosts> m_server;

    bool waitForRequest(const QString& path)
    {
        return QTest::qWaitFor([&] { return m_server->requestCount(path) > 0; }, 3000);
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_server.emplace().start());
        AgencyLists::serve(*m_server);
    }
    void cleanup() { m_server.reset(); }

    void nowcastReloadPublishesObservationsNowcastsAndHourlyForecasts()
    {
        FakeClock clock;
        RadarTimeline timeline;
        QSignalSpy framesSpy(&timeline, &RadarTimeline::framesChanged);
        QSignalSpy loadingSpy(&timeline, &RadarTimeline::isLoadingChanged);
        QVERIFY(runTask(timeline.reload()));

        // 37 observations, 12 nowcasts, and the 05:20 run's 07:20 … 11:20 within 6 hours.
        QCOMPARE(timeline.frames().size(), 37 + 12 + 5);
        QCOMPARE(timeline.frames().last().validtime, QStringLiteral("20250829112000"));
        QCOMPARE(timeline.frames().last().product, RadarProduct::Analysis);
        QCOMPARE(timeline.frames().first().validtime, QStringLiteral("20250829023000"));
        QVERIFY(timeline.frames().at(36).isObservation() && timeline.frames().at(37).isForecast());
        QVERIFY(std::is_sorted(timeline.frames().begin(), timeline.frames().end(),
                               [](const auto& a, const auto& b) { return a.date < b.date; }));
        QCOMPARE(timeline.lastUpdated(), clock.now());
        QVERIFY(timeline.errorMessage().isNull());
        QVERIFY(!timeline.isLoading() && !timeline.loadStartedAt().isValid());
        QCOMPARE(framesSpy.count(), 1);
        QCOMPARE(loadingSpy.count(), 2);

        // The same answer again changes nothing observable but the time stamp.
        clock.advance(60s);
        QVERIFY(runTask(timeline.reload()));
        QCOMPARE(framesSpy.count(), 1);
        QCOMPARE(timeline.lastUpdated(), clock.now());
    }

    // The twelve-hour range, which reads only the analysis list: the "range" row of
    // aReloadAskedDuringALoadRunsOnceWhenItEnds.
    void withinTheNowcastHourNoHourlyForecastsAreFetched()
    {
        RadarTimeline timeline;
        timeline.setForecastHorizonHours(0.5);
        QVERIFY(runTask(timeline.reload()));
        QCOMPARE(timeline.frames().size(), 37 + 12);
        QCOMPARE(m_server->requestCount(kRasrf), 0);
    }

    // Each failure counts, keeps the frames shown and says why; the next good load clears it.
    void failedListCountsAndKeepsThePreviousFrames_data()
    {
        QTest::addColumn<FakeResponse>("failure");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason"); // empty: any
        QTest::newRow("HTML error page") << FakeResponse::text("<html>Not Found</html>", 404) << kN1
                                         << QStringLiteral("サーバがエラーを返しました: HTTP 404");
        QTest::newRow("503 around a well-formed list")
            << FakeResponse::json(TestData::read(QStringLiteral("jma/nowc/targetTimes_N2.json")),
                                  503)
            << kN2 << QStringLiteral("サーバがエラーを返しました: HTTP 503");
        QTest::newRow("cut short")
            << FakeResponse::dropped("[{\"basetime\":\"2025") << kN1 << QString();
        QTest::newRow("an entry lacks elements")
            << fixture("nowc/targetTimes_N1_invalid_missing_elements.json") << kN2
            << QStringLiteral("データが正しい形式ではないため読み込めませんでした");
        // Stopped once it passes the bound, not inflated to its full 40 MB.
        QTest::newRow("gzip bomb") << FakeResponse::json(TestData::gzipped(
                                          TestData::paddedJsonArray(4 * DocumentLimit::kMaxBytes)))
                                   << kN1 << ErrorText::documentTooLarge();
        QTest::newRow("no answer within 40 s")
            << FakeResponse::hanging() << kN2 << QStringLiteral("要求がタイムアウトしました");
    }
    void failedListCountsAndKeepsThePreviousFrames()
    {
        QFETCH(FakeResponse, failure);
        QFETCH(QString, path);
        QFETCH(QString, reason);
        FakeClock clock;
        RadarTimeline timeline;
        QVERIFY(runTask(timeline.reload()));
        const RadarFrames good = timeline.frames();

        m_server->setRoute(path, failure);
        const QRegularExpression logged(QStringLiteral("^targetTimes 取得失敗: ") +
                                        QRegularExpression::escape(reason));
        for (int round = 1; round <= 2; ++round) {
            QTest::ignoreMessage(QtWarningMsg, logged);
            async::TaskScope scope;
            scope.spawn(timeline.reload());
            QVERIFY(QTest::qWaitFor([&] { return m_server->requestCount(path) > round; }, 3000));
            if (failure.hang) {
                clock.advance(39s);
                QVERIFY(timeline.isLoading());
                clock.advance(1s);
            }
            QTRY_VERIFY(!timeline.isLoading());
            QCOMPARE(timeline.consecutiveFailures(), round);
        }
        QVERIFY(timeline.errorMessage().startsWith(
            QStringLiteral("レーダー情報を取得できませんでした（") + reason));
        QCOMPARE(timeline.frames(), good);

        AgencyLists::serve(*m_server);
        QVERIFY(runTask(timeline.reload()));
        QCOMPARE(timeline.consecutiveFailures(), 0);
        QVERIFY(timeline.errorMessage().isNull());
    }

    // The program resets the session itself (wake, network return, watchdog) and reloads: the
    // transfer it cut off is no failure of the agency's. A cancelled load publishes nothing.
    void aLoadWeCutOffPublishesNothing_data()
    {
        QTest::addColumn<bool>("cancel"); // else the session is reset
        QTest::newRow("session reset") << false;
        QTest::newRow("cancelled") << true;
    }
    void aLoadWeCutOffPublishesNothing()
    {
        QFETCH(bool, cancel);
        FakeClock clock;
        RadarTimeline timeline;
        QVERIFY(runTask(timeline.reload()));
        const RadarFrames good = timeline.frames();
        const QDateTime updated = timeline.lastUpdated();
        m_server->setRoute(kN2, FakeResponse::hanging());
        QSignalSpy errorSpy(&timeline, &RadarTimeline::errorMessageChanged);
        QSignalSpy failureSpy(&timeline, &RadarTimeline::consecutiveFailuresChanged);
        clock.advance(1s); // a published load would take this later time stamp
        async::TaskScope scope;
        const async::TaskHandle handle = scope.spawn(timeline.reload());
        QVERIFY(QTest::qWaitFor([&] { return m_server->requestCount(kN2) == 2; }, 3000));
        if (cancel)
            handle.cancel();
        else
            timeline.resetSession();
        QTRY_VERIFY(!timeline.isLoading());
        QCOMPARE(errorSpy.count(), 0);
        QCOMPARE(failureSpy.count(), 0);
        QCOMPARE(timeline.frames(), good);
        QCOMPARE(timeline.lastUpdated(), updated);
    }

    void emptyAfterTheForecastFilterKeepsOldFramesAndCounter()
    {
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
        m_server->setRoute(kN1, FakeResponse::hanging());
        FakeClock clock;
        RadarTimeline timeline(nullptr, withTransferLimit(0ms));
        async::TaskScope scope; // after the timeline: destroyed first
        scope.spawn(timeline.reload());
        QVERIFY(waitForRequest(kN1));
        QVERIFY(timeline.isLoading());

        clock.advance(10s);
        scope.spawn(timeline.reload()); // waits for the running load instead of joining it
        FakeClock::settle();
        QCOMPARE(m_server->requestCount(kN1), 1);

        clock.advance(40s);
        m_server->setRoute(kN1, fixture("nowc/targetTimes_N1.json"));
        QVERIFY(runTask(timeline.reload()));
        QCOMPARE(m_server->requestCount(kN1), 2);
        QCOMPARE(timeline.frames().size(), 54);
    }

    // A change of options while a load runs must not wait for the next refresh round.
    void aReloadAskedDuringALoadRunsOnceWhenItEnds_data()
    {
        QTest::addColumn<OptionChange>("change");
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("requests"); // of the three lists, both loads together
        QTest::newRow("range") << OptionChange([](RadarTimeline& timeline) {
            timeline.setRange(RadarRange::TwelveHours);
        }) << 14 + 15 << 2 + 1;
        QTest::newRow("horizon") << OptionChange([](RadarTimeline& timeline) {
            timeline.setForecastHorizonHours(6);
        }) << 37 + 12 + 5 << 2 + 3;
        QTest::newRow("forecasts off")
            << OptionChange([](RadarTimeline& timeline) { timeline.setIncludeForecast(false); })
            << 37 << 2 + 2;
    }
    void aReloadAskedDuringALoadRunsOnceWhenItEnds()
    {
        QFETCH(OptionChange, change);
        QFETCH(int, frames);
        QFETCH(int, requests);
        m_server->setRouteSequence(kN1,
                                   {FakeResponse::hanging(), fixture("nowc/targetTimes_N1.json")});
        FakeClock clock;
        RadarTimeline timeline;
        timeline.setForecastHorizonHours(0.5);
        async::TaskScope scope;
        scope.spawn(timeline.reload());
        QVERIFY(waitForRequest(kN1));

        clock.advance(10s);
        change(timeline);
        scope.spawn(timeline.reload());
        scope.spawn(timeline.reload()); // asked twice: still one more load
        QTest::ignoreMessage(QtWarningMsg, "targetTimes 取得失敗: 要求がタイムアウトしました");
        clock.advance(30s); // the running load gives up
        QTRY_COMPARE(scope.activeCount(), 0);
        QCOMPARE(timeline.frames().size(), frames);
        QVERIFY(!timeline.isLoading());
        QCOMPARE(m_server->requestCount(kN1) + m_server->requestCount(kN2) +
                     m_server->requestCount(kRasrf),
                 requests);
    }

    // A load taken for stuck keeps running beside its successor; only the successor counts.
    void onlyTheNewestOfOverlappingLoadsPublishes_data()
    {
        QTest::addColumn<bool>("newerSucceeds");
        QTest::newRow("the old one fails while the newer one runs") << false;
        QTest::newRow("the old one fails after the newer one succeeded") << true;
    }
    void onlyTheNewestOfOverlappingLoadsPublishes()
    {
        QFETCH(bool, newerSucceeds);
        m_server->setRouteSequence(
            kN1, {FakeResponse::hanging(),
                  newerSucceeds ? fixture("nowc/targetTimes_N1.json") : FakeResponse::hanging()});
        FakeClock clock;
        RadarTimeline timeline(nullptr, withTransferLimit(60s));
        async::TaskScope scope;
        scope.spawn(timeline.reload());
        QVERIFY(waitForRequest(kN1));
        clock.advance(50s);
        scope.spawn(timeline.reload());
        QTRY_COMPARE(m_server->requestCount(kN1), 2);
        if (newerSucceeds)
            QTRY_VERIFY(!timeline.isLoading());

        clock.advance(10s); // the first load gives up
        QCOMPARE(timeline.isLoading(), !newerSucceeds);
        QVERIFY(timeline.errorMessage().isNull());
        QCOMPARE(timeline.consecutiveFailures(), 0);
        QCOMPARE(timeline.frames().size(), newerSucceeds ? 54 : 0);
        if (newerSucceeds)
            return;

        QTest::ignoreMessage(QtWarningMsg, "targetTimes 取得失敗: 要求がタイムアウトしました");
        clock.advance(50s); // the newer one gives up too
        QVERIFY(!timeline.isLoading());
        QCOMPARE(timeline.consecutiveFailures(), 1);
    }
};

SHIGUREN_GUILESS_TEST(TestRadarTimeline)
#include "tst_radartimeline.moc"
