#include "../app/AgencyLists.h"
#include "FakeClock.h"
#include "FakeDataHosts.h"
#include "TaskTestUtils.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "radar/RadarTimeline.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

enum class ListFailure { HtmlPage, ServiceUnavailable, CutShort, InvalidList, NoAnswer };
Q_DECLARE_METATYPE(ListFailure)
enum class OptionChange { Range, Horizon, DropForecasts };
Q_DECLARE_METATYPE(OptionChange)

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

    bool waitForRequest(const QString& path)
    {
        return QTest::qWaitFor([&] { return m_server->requestCount(path) > 0; }, 3000);
    }

private Q_SLOTS:
    void init() { QVERIFY(m_server.emplace().start()); }
    void cleanup() { m_server.reset(); }

    void nowcastReloadPublishesObservationsNowcastsAndHourlyForecasts()
    {
        AgencyLists::serve(*m_server);
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

    void horizonAndRangeChooseTheLists()
    {
        AgencyLists::serve(*m_server);
        RadarTimeline oneHour; // fetches no hourly forecasts
        oneHour.setForecastHorizonHours(0.5);
        QVERIFY(runTask(oneHour.reload()));
        QCOMPARE(oneHour.frames().size(), 37 + 12);
        QCOMPARE(m_server->requestCount(kRasrf), 0);

        RadarTimeline twelveHours; // reads only the analysis list
        twelveHours.setRange(RadarRange::TwelveHours);
        QVERIFY(runTask(twelveHours.reload()));
        QCOMPARE(twelveHours.frames().size(), 14 + 15);
        QCOMPARE(twelveHours.frames().first().product, RadarProduct::Analysis);
        QCOMPARE(m_server->requestCount(kN1), 1);
    }

    // Each failure counts, keeps the frames shown and says why; the next good load clears it.
    void failedListCountsAndKeepsThePreviousFrames_data()
    {
        QTest::addColumn<ListFailure>("failure");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason"); // empty: any
        QTest::newRow("HTML error page") << ListFailure::HtmlPage << kN1
                                         << QStringLiteral("サーバがエラーを返しました: HTTP 404");
        QTest::newRow("503 around a well-formed list")
            << ListFailure::ServiceUnavailable << kN2
            << QStringLiteral("サーバがエラーを返しました: HTTP 503");
        QTest::newRow("cut short") << ListFailure::CutShort << kN1 << QString();
        QTest::newRow("an entry lacks elements")
            << ListFailure::InvalidList << kN2
            << QStringLiteral("データが正しい形式ではないため読み込めませんでした");
        QTest::newRow("no answer within 40 s")
            << ListFailure::NoAnswer << kN2 << QStringLiteral("要求がタイムアウトしました");
    }
    void failedListCountsAndKeepsThePreviousFrames()
    {
        QFETCH(ListFailure, failure);
        QFETCH(QString, path);
        QFETCH(QString, reason);
        AgencyLists::serve(*m_server);
        FakeClock clock;
        RadarTimeline timeline;
        QVERIFY(runTask(timeline.reload()));
        const RadarFrames good = timeline.frames();

        switch (failure) {
        case ListFailure::HtmlPage:
            m_server->setRoute(path, FakeResponse::text("<html>Not Found</html>", 404));
            break;
        case ListFailure::ServiceUnavailable:
            m_server->setRoute(
                path, FakeResponse::json(
                          TestData::read(QStringLiteral("jma/nowc/targetTimes_N2.json")), 503));
            break;
        case ListFailure::CutShort:
            m_server->setRoute(path, FakeResponse::dropped("[{\"basetime\":\"2025"));
            break;
        case ListFailure::InvalidList:
            m_server->setRoute(path, fixture("nowc/targetTimes_N1_invalid_missing_elements.json"));
            break;
        case ListFailure::NoAnswer:
            m_server->setRoute(path, FakeResponse::hanging());
            break;
        }
        const QRegularExpression logged(QStringLiteral("^targetTimes 取得失敗: ") +
                                        QRegularExpression::escape(reason));
        for (int round = 1; round <= 2; ++round) {
            QTest::ignoreMessage(QtWarningMsg, logged);
            async::TaskScope scope;
            scope.spawn(timeline.reload());
            QVERIFY(QTest::qWaitFor([&] { return m_server->requestCount(path) > round; }, 3000));
            if (failure == ListFailure::NoAnswer) {
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

    // The program resets the session itself (wake, network return, watchdog) and reloads:
    // the transfer it cut off is no failure of the agency's.
    void ourSessionResetEndsTheLoadWithoutAFailure()
    {
        AgencyLists::serve(*m_server);
        RadarTimeline timeline;
        QVERIFY(runTask(timeline.reload()));
        const RadarFrames good = timeline.frames();
        m_server->setRoute(kN1, FakeResponse::hanging());
        QSignalSpy errorSpy(&timeline, &RadarTimeline::errorMessageChanged);
        QSignalSpy failureSpy(&timeline, &RadarTimeline::consecutiveFailuresChanged);
        async::TaskScope scope;
        scope.spawn(timeline.reload());
        QVERIFY(QTest::qWaitFor([&] { return m_server->requestCount(kN1) == 2; }, 3000));
        timeline.resetSession();
        QTRY_VERIFY(!timeline.isLoading());
        QCOMPARE(errorSpy.count(), 0);
        QCOMPARE(failureSpy.count(), 0);
        QCOMPARE(timeline.frames(), good);
    }

    void emptyAfterTheForecastFilterKeepsOldFramesAndCounter()
    {
        AgencyLists::serve(*m_server);
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
        AgencyLists::serve(*m_server);
        m_server->setRoute(kN1, FakeResponse::hanging());
        FakeClock clock;
        RadarTimeline timeline(nullptr, withoutTransferLimit());
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
        QTest::newRow("range") << OptionChange::Range << 14 + 15 << 2 + 1;
        QTest::newRow("horizon") << OptionChange::Horizon << 37 + 12 + 5 << 2 + 3;
        QTest::newRow("forecasts off") << OptionChange::DropForecasts << 37 << 2 + 2;
    }
    void aReloadAskedDuringALoadRunsOnceWhenItEnds()
    {
        QFETCH(OptionChange, change);
        QFETCH(int, frames);
        QFETCH(int, requests);
        AgencyLists::serve(*m_server);
        m_server->setRouteSequence(kN1,
                                   {FakeResponse::hanging(), fixture("nowc/targetTimes_N1.json")});
        FakeClock clock;
        RadarTimeline timeline;
        timeline.setForecastHorizonHours(0.5);
        async::TaskScope scope;
        scope.spawn(timeline.reload());
        QVERIFY(waitForRequest(kN1));

        clock.advance(10s);
        switch (change) {
        case OptionChange::Range:
            timeline.setRange(RadarRange::TwelveHours);
            break;
        case OptionChange::Horizon:
            timeline.setForecastHorizonHours(6);
            break;
        case OptionChange::DropForecasts:
            timeline.setIncludeForecast(false);
            break;
        }
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
        AgencyLists::serve(*m_server);
        m_server->setRouteSequence(
            kN1, {FakeResponse::hanging(),
                  newerSucceeds ? fixture("nowc/targetTimes_N1.json") : FakeResponse::hanging()});
        FakeClock clock;
        HttpSessionConfig config = RadarTimeline::defaultSessionConfig();
        config.wholeTransferTimeout = 60s;
        RadarTimeline timeline(nullptr, config);
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

    void cancellingAReloadPublishesNothing()
    {
        AgencyLists::serve(*m_server);
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
};

SHIGUREN_GUILESS_TEST(TestRadarTimeline)
#include "tst_radartimeline.moc"
