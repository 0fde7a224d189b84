#include "FakeClock.h"
#include "FakeDataHosts.h"
#include "TaskTestUtils.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "TestTime.h"
#include "lightning/LightningService.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

using namespace Qt::StringLiterals;

namespace {

const QString kN3 = u"/bosai/jmatile/data/nowc/targetTimes_N3.json"_s;
// Only the address with its id=liden query is served; anything else answers 404.
const QString kLiden = QStringLiteral("/bosai/jmatile/data/nowc/20250829053000/none/20250829053000/"
                                      "surf/liden/data.geojson?id=liden");
const QString kFailed = u"雷観測取得失敗: "_s;

FakeResponse fixture(const char* name)
{
    return FakeResponse::json(TestData::read(u"jma/liden/"_s + QLatin1String(name)));
}

} // namespace

class TestLightningService : public QObject {
    Q_OBJECT

    std::optional<FakeDataHosts> m_server;
    FakeClock m_clock;
    std::optional<LightningService> m_service;

    void serveScenario()
    {
        m_server->setRoute(kN3, fixture("targetTimes_N3.json"));
        m_server->setRoute(kLiden, fixture("scenario_20250829053000.geojson"));
    }
    void reload() { QVERIFY(runTask(m_service->reload())); }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_server.emplace().start());
        serveScenario();
        m_service.emplace();
    }
    void cleanup()
    {
        m_service.reset();
        m_server.reset();
    }

    void reloadPublishesTheStrikesOfTheNewestObservation()
    {
        QSignalSpy strikesSpy(&*m_service, &LightningService::strikesChanged);
        reload();
        QCOMPARE(m_service->strikes().size(), 8);
        const LightningStrike& first = m_service->strikes().first();
        QCOMPARE(first.coordinate, (GeoCoordinate{39.373, 141.405}));
        QCOMPARE(first.observedAt, testing::utc(2025, 8, 29, 5, 25, 45, 830));

        // The same file again only refreshes the time stamp.
        m_clock.advance(60s);
        reload();
        QCOMPARE(strikesSpy.count(), 1);
        QCOMPARE(m_service->lastUpdated(), m_clock.now());

        // No observation with lightning: no strikes, and that is no error.
        m_server->setRoute(kN3, fixture("targetTimes_N3_no_liden.json"));
        m_clock.advance(60s);
        reload();
        QVERIFY(m_service->strikes().isEmpty());
        QVERIFY(m_service->errorMessage().isNull());
        QCOMPARE(m_service->lastUpdated(), m_clock.now());
        QCOMPARE(m_server->requestCount(kLiden), 2);
    }

    // The same list carries the thunder and tornado frames; only a change is announced and
    // a failed list keeps the last ones.
    void theListsHazardFramesArePublishedWithIt()
    {
        QSignalSpy frameSpy(&*m_service, &LightningService::hazardFramesChanged);
        reload();
        QCOMPARE(frameSpy.count(), 1);
        QCOMPARE(m_service->thunderFrames().size(), 25);
        QCOMPARE(m_service->tornadoFrames().size(), 25);
        QCOMPARE(m_service->thunderFrames().last().product, RadarProduct::ThunderNowcast);
        QCOMPARE(m_service->tornadoFrames().last().product, RadarProduct::TornadoNowcast);

        m_clock.advance(60s);
        reload();
        QCOMPARE(frameSpy.count(), 1);

        m_server->setRoute(kN3, FakeResponse::text("<html>Not Found</html>", 404));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u'^' + kFailed));
        reload();
        QCOMPARE(frameSpy.count(), 1);
        QCOMPARE(m_service->thunderFrames().size(), 25);

        QByteArray withoutHazards = TestData::read(u"jma/liden/targetTimes_N3.json"_s);
        withoutHazards.replace("\"thns\",", "").replace("\"trns\",", "");
        QVERIFY(!withoutHazards.contains("\"thns\""));
        m_server->setRoute(kN3, FakeResponse::json(withoutHazards));
        reload();
        QCOMPARE(frameSpy.count(), 2);
        QVERIFY(m_service->thunderFrames().isEmpty());
        QVERIFY(m_service->tornadoFrames().isEmpty());
        QCOMPARE(m_service->strikes().size(), 8); // lightning goes on regardless
    }

    void failedPassKeepsTheStrikesUntilTheNextSuccess()
    {
        reload();
        const LightningStrikes good = m_service->strikes();
        const QDateTime updated = m_service->lastUpdated();

        // Each failure is logged and told once, and keeps what the last success brought.
        const auto reloadFailing = [&](const QString& reason) {
            QTest::ignoreMessage(QtWarningMsg, qUtf8Printable(kFailed + reason));
            reload();
            QCOMPARE(m_service->errorMessage(),
                     u"雷観測情報を取得できませんでした（"_s + reason + u'）');
            QCOMPARE(m_service->strikes(), good);
            QCOMPARE(m_service->lastUpdated(), updated);
        };
        // One feature without properties.id fails the whole file.
        m_server->setRoute(kLiden, fixture("invalid_missing_id_synthetic.geojson"));
        m_clock.advance(60s);
        reloadFailing(u"データが正しい形式ではないため読み込めませんでした"_s);
        QVERIFY(!m_service->isLoading());

        // An error status is told as such, whatever page comes with it.
        m_server->setRoute(kLiden, FakeResponse::text("<html>Not Found</html>", 404));
        reloadFailing(u"サーバがエラーを返しました: HTTP 404"_s);

        // A list that breaks off mid-body is a transport failure.
        m_server->setRoute(kN3, FakeResponse::dropped("[{\"basetime\":\"2025"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u'^' + kFailed));
        reload();
        QCOMPARE(m_service->strikes(), good);

        // A stamp that would leave its directory is refused before anything is fetched.
        m_server->setRoute(kN3, fixture("targetTimes_N3_unsafe_stamp.json"));
        m_server->clearRequests();
        reloadFailing(u"URL が正しくありません"_s);
        QCOMPARE(m_server->requests().size(), 1);

        serveScenario();
        reload();
        QVERIFY(m_service->errorMessage().isNull());
        QCOMPARE(m_service->lastUpdated(), m_clock.now());
    }

    void loopRunsAtOnceThenAnIntervalAfterEachPass()
    {
        m_service->startAutoRefresh(60);
        QCOMPARE(m_server->requestCount(kN3), 0); // never inside the call
        QTRY_COMPARE(m_clock.pendingTimers(), 1); // the first pass ended; the sleep began
        QCOMPARE(m_server->requestCount(kLiden), 1);
        m_clock.advance(59s);
        QVERIFY(!m_service->isLoading()); // still asleep
        m_clock.advance(1s);
        QTRY_COMPARE(m_server->requestCount(kLiden), 2);
    }

    void cancelledPassPublishesNothing()
    {
        m_server->setRoute(kLiden, FakeResponse::hanging());
        QSignalSpy errorSpy(&*m_service, &LightningService::errorMessageChanged);
        QSignalSpy strikesSpy(&*m_service, &LightningService::strikesChanged);
        async::TaskScope scope; // after the service: destroyed first
        const async::TaskHandle handle = scope.spawn(m_service->reload());
        QTRY_COMPARE(m_server->requestCount(kLiden), 1);
        handle.cancel();
        QTRY_VERIFY(!m_service->isLoading());
        QCOMPARE(errorSpy.count() + strikesSpy.count(), 0);
        QVERIFY(!m_service->lastUpdated().isValid());
    }

    // A pass that fails before any succeeded shows the saved strikes, marked, whichever of
    // the two requests failed; one that fails after a success keeps the newer strikes.
    void savedStrikesStandInOnlyBeforeTheFirstSuccess_data()
    {
        QTest::addColumn<QString>("failing");
        QTest::newRow("list") << kN3;
        QTest::newRow("strike file") << kLiden;
    }
    void savedStrikesStandInOnlyBeforeTheFirstSuccess()
    {
        QFETCH(QString, failing);
        QTemporaryDir dir;
        const LastGoodCopies copies(dir.path());
        m_service->setSavedCopies(copies);
        reload();
        const LightningStrikes strikes = m_service->strikes();
        QVERIFY(!strikes.isEmpty());
        const QDateTime fetched = m_clock.now();

        m_clock.advance(600s);
        m_server->setRoute(failing, FakeResponse::error(503));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^"_s + kFailed));
        reload();
        QVERIFY(!m_service->savedCopyTime().isValid()); // the strikes of this run stay

        m_service.emplace();
        m_service->setSavedCopies(copies);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^"_s + kFailed));
        reload();
        QCOMPARE(m_service->strikes(), strikes);
        QCOMPARE(m_service->savedCopyTime(), fetched);

        serveScenario();
        reload();
        QVERIFY(!m_service->savedCopyTime().isValid());
        QVERIFY(m_service->errorMessage().isNull());
    }
};

SHIGUREN_GUILESS_TEST(TestLightningService)
#include "tst_lightningservice.moc"
