#include "FakeClock.h"
#include "FakeDataHosts.h"
#include "TaskTestUtils.h"
#include "TestData.h"
#include "radar/RadarTimeline.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

enum class ListFailure { HtmlPage, CutShort, InvalidList, NoAnswer, SessionReset };
Q_DECLARE_METATYPE(ListFailure)

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
        serveAgencyLists();
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
                                         << QStringLiteral("データが正しい形式ではないため"
                                                           "読み込めませんでした");
        QTest::newRow("cut short") << ListFailure::CutShort << kN1 << QString();
        QTest::newRow("an entry lacks elements") << ListFailure::InvalidList << kN2 << QString();
        QTest::newRow("no answer within 40 s")
            << ListFailure::NoAnswer << kN2 << QStringLiteral("要求がタイムアウトしました");
        QTest::newRow("session reset")
            << ListFailure::SessionReset << kN1 << QStringLiteral("通信が取り消されました");
    }
    void failedListCountsAndKeepsThePreviousFrames()
    {
        QFETCH(ListFailure, failure);
        QFETCH(QString, path);
        QFETCH(QString, reason);
        serveAgencyLists();
        FakeClock clock;
        RadarTimeline timeline;
        QVERIFY(runTask(timeline.reload()));
        const RadarFrames good = timeline.frames();

        switch (failure) {
        case ListFailure::HtmlPage:
            m_server->setRoute(path, FakeResponse::text("<html>Not Found</html>", 404));
            break;
        case ListFailure::CutShort:
            m_server->setRoute(path, FakeResponse::dropped("[{\"basetime\":\"2025"));
            break;
        case ListFailure::InvalidList:
            m_server->setRoute(path, fixture("nowc/targetTimes_N1_invalid_missing_elements.json"));
            break;
        case ListFailure::NoAnswer:
        case ListFailure::SessionReset:
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
            } else if (failure == ListFailure::SessionReset) {
                timeline.resetSession();
            }
            QTRY_VERIFY(!timeline.isLoading());
            // A reset starts the count afresh before the request it cut off fails.
            QCOMPARE(timeline.consecutiveFailures(),
                     failure == ListFailure::SessionReset ? 1 : round);
        }
        QVERIFY(timeline.errorMessage().startsWith(
            QStringLiteral("レーダー情報を取得できませんでした（") + reason));
        QCOMPARE(timeline.frames(), good);

        serveAgencyLists();
        QVERIFY(runTask(timeline.reload()));
        QCOMPARE(timeline.consecutiveFailures(), 0);
        QVERIFY(timeline.errorMessage().isNull());
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
};

QTEST_GUILESS_MAIN(TestRadarTimeline)
#include "tst_radartimeline.moc"
