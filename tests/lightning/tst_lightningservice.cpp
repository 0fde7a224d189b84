#include "FakeClock.h"
#include "FakeDataHosts.h"
#include "TaskTestUtils.h"
#include "TestData.h"
#include "lightning/LightningService.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimeZone>

using namespace std::chrono_literals;

namespace {

const QString kN3 = QStringLiteral("/bosai/jmatile/data/nowc/targetTimes_N3.json");
// Only the address with its id=liden query is served; anything else answers 404.
const QString kLiden = QStringLiteral("/bosai/jmatile/data/nowc/20250829053000/none/20250829053000/"
                                      "surf/liden/data.geojson?id=liden");

FakeResponse fixture(const char* name)
{
    return FakeResponse::json(TestData::read(QStringLiteral("jma/liden/") + QLatin1String(name)));
}

} // namespace

class TestLightningService : public QObject {
    Q_OBJECT

    std::optional<FakeDataHosts> m_server;
    FakeClock m_clock;

    void serveScenario()
    {
        m_server->setRoute(kN3, fixture("targetTimes_N3.json"));
        m_server->setRoute(kLiden, fixture("scenario_20250829053000.geojson"));
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_server.emplace().start());
        serveScenario();
    }
    void cleanup() { m_server.reset(); }

    void reloadPublishesTheStrikesOfTheNewestObservation()
    {
        LightningService service;
        QSignalSpy strikesSpy(&service, &LightningService::strikesChanged);
        QSignalSpy loadingSpy(&service, &LightningService::isLoadingChanged);
        QVERIFY(runTask(service.reload()));
        QCOMPARE(service.strikes().size(), 8);
        const LightningStrike& first = service.strikes().first();
        QCOMPARE(first.id, QStringLiteral("nowc_20250829053000_20250829053000_liden_3"));
        QCOMPARE(first.coordinate, (GeoCoordinate{39.373, 141.405}));
        QCOMPARE(first.observedAt,
                 QDateTime(QDate(2025, 8, 29), QTime(5, 25, 45, 830), QTimeZone::utc()));
        QCOMPARE(service.lastUpdated(), m_clock.now());
        QVERIFY(service.errorMessage().isNull());
        QCOMPARE(loadingSpy.count(), 2);

        // The same file again only refreshes the time stamp.
        m_clock.advance(60s);
        QVERIFY(runTask(service.reload()));
        QCOMPARE(strikesSpy.count(), 1);
        QCOMPARE(service.lastUpdated(), m_clock.now());

        // No observation with lightning: no strikes, and that is no error.
        m_server->setRoute(kN3, fixture("targetTimes_N3_no_liden.json"));
        m_clock.advance(60s);
        QVERIFY(runTask(service.reload()));
        QVERIFY(service.strikes().isEmpty());
        QVERIFY(service.errorMessage().isNull());
        QCOMPARE(service.lastUpdated(), m_clock.now());
        QCOMPARE(m_server->requestCount(kLiden), 2);

        // A gzip body without Content-Encoding is inflated.
        serveScenario();
        m_server->setRoute(kLiden, fixture("scenario_20250829053000.geojson.gz"));
        QVERIFY(runTask(service.reload()));
        QVERIFY(service.errorMessage().isNull());
        QCOMPARE(service.strikes().size(), 8);
    }

    void failedPassKeepsTheStrikesUntilTheNextSuccess()
    {
        LightningService service;
        QVERIFY(runTask(service.reload()));
        const LightningStrikes good = service.strikes();
        const QDateTime updated = service.lastUpdated();

        // One feature without properties.id fails the whole file.
        m_server->setRoute(kLiden, fixture("invalid_missing_id_synthetic.geojson"));
        m_clock.advance(60s);
        QTest::ignoreMessage(QtWarningMsg,
                             "雷観測取得失敗: データが正しい形式ではないため読み込めませんでした");
        QVERIFY(runTask(service.reload()));
        QCOMPARE(service.errorMessage(),
                 QStringLiteral("雷観測情報を取得できませんでした（データが"
                                "正しい形式ではないため読み込めませんでした）"));
        QCOMPARE(service.strikes(), good);
        QCOMPARE(service.lastUpdated(), updated);
        QVERIFY(!service.isLoading());

        // A list that breaks off mid-body is a transport failure.
        m_server->setRoute(kN3, FakeResponse::dropped("[{\"basetime\":\"2025"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^雷観測取得失敗: ")));
        QVERIFY(runTask(service.reload()));
        QCOMPARE(service.strikes(), good);

        serveScenario();
        QVERIFY(runTask(service.reload()));
        QVERIFY(service.errorMessage().isNull());
        QCOMPARE(service.lastUpdated(), m_clock.now());
    }

    void stampThatLeavesItsDirectoryIsRefused()
    {
        m_server->setRoute(kN3, fixture("targetTimes_N3_unsafe_stamp.json"));
        LightningService service;
        QTest::ignoreMessage(QtWarningMsg, "雷観測取得失敗: URL が正しくありません");
        QVERIFY(runTask(service.reload()));
        QCOMPARE(service.errorMessage(),
                 QStringLiteral("雷観測情報を取得できませんでした（URL が正しくありません）"));
        QCOMPARE(m_server->requests().size(), 1);
    }

    void loopRunsAtOnceThenAnIntervalAfterEachPass()
    {
        LightningService service;
        service.startAutoRefresh(60);
        QCOMPARE(m_server->requestCount(kN3), 0); // never inside the call
        QTRY_COMPARE(m_clock.pendingTimers(), 1); // the first pass ended; the sleep began
        QCOMPARE(m_server->requestCount(kLiden), 1);
        m_clock.advance(59s);
        QCOMPARE(m_server->requestCount(kN3), 1);
        m_clock.advance(1s);
        QTRY_COMPARE(m_server->requestCount(kLiden), 2);

        // A new start replaces the loop: one pass at once, then one per interval.
        QTRY_COMPARE(m_clock.pendingTimers(), 1);
        service.startAutoRefresh(30);
        QTRY_COMPARE(m_server->requestCount(kLiden), 3);
        QTRY_COMPARE(m_clock.pendingTimers(), 1);
        m_clock.advance(30s);
        QTRY_COMPARE(m_server->requestCount(kLiden), 4);
        QTRY_COMPARE(m_clock.pendingTimers(), 1);
        QCOMPARE(m_server->requestCount(kN3), 4);
    }

    void cancelledPassPublishesNothing()
    {
        m_server->setRoute(kLiden, FakeResponse::hanging());
        LightningService service;
        QSignalSpy errorSpy(&service, &LightningService::errorMessageChanged);
        QSignalSpy strikesSpy(&service, &LightningService::strikesChanged);
        async::TaskScope scope; // after the service: destroyed first
        const async::TaskHandle handle = scope.spawn(service.reload());
        QTRY_COMPARE(m_server->requestCount(kLiden), 1);
        handle.cancel();
        QTRY_VERIFY(!service.isLoading());
        QCOMPARE(errorSpy.count() + strikesSpy.count(), 0);
        QVERIFY(!service.lastUpdated().isValid());
    }
};

QTEST_GUILESS_MAIN(TestLightningService)
#include "tst_lightningservice.moc"
