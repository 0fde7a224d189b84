#include "FakeClock.h"
#include "FakeDataHosts.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "WeatherTestData.h"
#include "weather/WeatherService.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(FakeResponse)

using namespace Qt::StringLiterals;

namespace {

const QString kPath = u"/v1/forecast"_s;
const GeoCoordinate kTokyo{35.6812, 139.7671};

using WeatherTestData::fixture;

WeatherSnapshot snapshotOf(const char* name)
{
    return makeSnapshot(OpenMeteoResponse::decode(fixture(name)).value());
}

} // namespace

class TestWeatherService : public QObject {
    Q_OBJECT

    std::optional<FakeDataHosts> m_server;

    bool finishLoading(const WeatherService& service)
    {
        return QTest::qWaitFor([&] { return !service.isLoading(); }, 5000);
    }
    bool waitForRequests(int count)
    {
        return QTest::qWaitFor([&] { return m_server->requestCount(kPath) >= count; }, 5000);
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_server.emplace().start());
        m_server->setRoute(kPath, FakeResponse::json(fixture("forecast_tokyo_16d.json")));
    }
    void cleanup() { m_server.reset(); }

    void requestCarriesTheSevenItemsInOrder_data()
    {
        QTest::addColumn<GeoCoordinate>("coordinate");
        QTest::addColumn<QString>("position");
        QTest::newRow("whole and half")
            << GeoCoordinate{35, 139.5} << "latitude=35.0000&longitude=139.5000";
        QTest::newRow("negative") << GeoCoordinate{-33.9, -70.66}
                                  << "latitude=-33.9000&longitude=-70.6600";
    }
    void requestCarriesTheSevenItemsInOrder()
    {
        QFETCH(GeoCoordinate, coordinate);
        QFETCH(QString, position);
        QCOMPARE(WeatherService::requestUrl(coordinate).query(QUrl::FullyEncoded),
                 position +
                     QStringLiteral(
                         "&current=temperature_2m,apparent_temperature,relative_humidity_2m,"
                         "dew_point_2m,weather_code,wind_speed_10m,wind_direction_10m,"
                         "surface_pressure,precipitation,is_day"
                         "&daily=weather_code,temperature_2m_max,temperature_2m_min,"
                         "precipitation_probability_max,wind_speed_10m_max,"
                         "wind_direction_10m_dominant,sunrise,sunset,daylight_duration"
                         "&hourly=weather_code,temperature_2m,precipitation_probability,is_day"
                         "&timezone=Asia/Tokyo&forecast_days=16"));
    }

    void onlyTheSecondOfTwoQuickLoadsPublishes()
    {
        m_server->clearRoutes();
        // The second answer comes last, so the first one's has arrived when loading ends.
        m_server->setHandler([](const RecordedRequest& r) -> std::optional<FakeResponse> {
            if (r.queryItems.queryItemValue(u"latitude"_s) == u"10.0000")
                return FakeResponse::json(fixture("forecast_tokyo_16d.json")).withDelay(300);
            return FakeResponse::json(fixture("forecast_next_48_hours.json")).withDelay(600);
        });
        QTest::failOnWarning(QRegularExpression(u"予報取得失敗"_s));
        FakeClock clock;
        WeatherService service;
        QSignalSpy snapshotSpy(&service, &WeatherService::snapshotChanged);
        QSignalSpy loadingSpy(&service, &WeatherService::isLoadingChanged);
        service.load({10, 100});
        QVERIFY(waitForRequests(1));
        service.load({20, 100});
        QVERIFY(finishLoading(service));
        QCOMPARE(service.snapshot(), snapshotOf("forecast_next_48_hours.json"));
        QCOMPARE(snapshotSpy.count(), 1);
        QCOMPARE(loadingSpy.count(), 2); // one loading period, no blink in between
    }

    // The old place's forecast is not shown as the new one's, and a refresh round for the old
    // place that ends late is dropped.
    void choosingAnotherPlaceDropsWhatBelongsToTheOldOne()
    {
        m_server->clearRoutes();
        int oldPlaceAnswers = 0;
        m_server->setHandler([&](const RecordedRequest& r) -> std::optional<FakeResponse> {
            if (r.queryItems.queryItemValue(u"latitude"_s) != u"10.0000")
                return FakeResponse::json(fixture("forecast_next_48_hours.json"));
            const int delay = ++oldPlaceAnswers == 1 ? 0 : 300;
            return FakeResponse::json(fixture("forecast_tokyo_16d.json")).withDelay(delay);
        });
        QTest::failOnWarning(QRegularExpression(u"予報取得失敗"_s));
        FakeClock clock;
        WeatherService service;
        GeoCoordinate place{10, 100};
        service.load(place);
        QVERIFY(finishLoading(service));
        QVERIFY(service.snapshot());

        service.startAutoRefresh(600, [&] { return place; });
        clock.advance(600s); // a round for the old place, answered late
        QVERIFY(waitForRequests(2));
        place = {20, 100};
        service.load(place);
        QVERIFY(service.isLoading());
        QVERIFY(!service.snapshot());

        QTRY_COMPARE(clock.pendingTimers(), 1); // the round ended; the loop sleeps again
        QVERIFY(!service.isLoading());
        QCOMPARE(service.snapshot(), snapshotOf("forecast_next_48_hours.json"));
    }

    void failureKeepsTheSnapshotAndSuccessClearsTheMessage_data()
    {
        QTest::addColumn<FakeResponse>("failure");
        QTest::addColumn<QString>("description");
        const QString status = u"サーバがエラーを返しました: HTTP %1"_s;
        QTest::newRow("reason on two lines, too long")
            << FakeResponse::json(
                   "{\"error\":true,\"reason\":\"a\\n\\tb" + QByteArray(300, 'x') + "\"}", 400)
            << status.arg(400) + u" (a b"_s + QString(197, u'x') + u"…)"_s;
        QTest::newRow("203 is not 200")
            << FakeResponse::json(fixture("forecast_tokyo_16d.json"), 203) << status.arg(203);
        QTest::newRow("undecodable")
            << FakeResponse::json(fixture("forecast_invalid_missing_is_day.json"))
            << u"データが正しい形式ではないため読み込めませんでした"_s;
    }
    void failureKeepsTheSnapshotAndSuccessClearsTheMessage()
    {
        QFETCH(FakeResponse, failure);
        QFETCH(QString, description);
        WeatherService service;
        QTest::ignoreMessage(QtInfoMsg, "予報取得完了 気温=32.400000 日数=16");
        service.load(kTokyo);
        QVERIFY(finishLoading(service));
        QCOMPARE(m_server->requests().constFirst().query,
                 WeatherService::requestUrl(kTokyo).query(QUrl::FullyEncoded));
        const std::optional<WeatherSnapshot> good = service.snapshot();
        QCOMPARE(good, snapshotOf("forecast_tokyo_16d.json"));

        QSignalSpy errorSpy(&service, &WeatherService::errorMessageChanged);
        m_server->setRoute(kPath, failure);
        QTest::ignoreMessage(QtWarningMsg, qUtf8Printable(u"予報取得失敗: "_s + description));
        service.load(kTokyo);
        QVERIFY(finishLoading(service));
        QCOMPARE(service.errorMessage(),
                 u"天気予報を取得できませんでした（"_s + description + u'）');
        QCOMPARE(service.snapshot(), good);

        m_server->setRoute(kPath, FakeResponse::json(fixture("forecast_tokyo_16d.json")));
        service.load(kTokyo);
        QVERIFY(finishLoading(service));
        QVERIFY(service.errorMessage().isNull());
        QCOMPARE(errorSpy.count(), 2);
    }

    void autoRefreshSleepsFirstAndAsksForThePlaceEachRound()
    {
        FakeClock clock;
        WeatherService service;
        GeoCoordinate place = kTokyo;
        int asked = 0;
        const auto provider = [&] {
            ++asked;
            return place;
        };
        service.startAutoRefresh(600, provider);
        clock.advance(599s);
        QVERIFY(!service.isLoading());
        clock.advance(1s);
        QVERIFY(service.isLoading());
        QVERIFY(finishLoading(service));

        place = {43.0642, 141.3469};
        clock.advance(600s);
        QVERIFY(finishLoading(service));
        QCOMPARE(asked, 2);
        QCOMPARE(m_server->requests().last().queryItems.queryItemValue(u"latitude"_s),
                 u"43.0642"_s);
    }

    void destroyingTheServiceMidLoadIsQuiet()
    {
        m_server->setRoute(kPath, FakeResponse::hanging());
        FakeClock clock;
        auto* service = new WeatherService;
        QSignalSpy loadingSpy(service, &WeatherService::isLoadingChanged);
        service->load(kTokyo);
        service->startAutoRefresh(1, [] { return kTokyo; });
        QVERIFY(waitForRequests(1));
        delete service;
        clock.advance(5s);
        QCOMPARE(loadingSpy.count(), 1);
        QCOMPARE(m_server->requestCount(kPath), 1);
    }

    // A place's saved forecast stands in, marked, when its load fails with nothing shown;
    // another place has none, and the next success ends it.
    void aSavedForecastStandsInForItsPlaceOnly()
    {
        FakeClock clock;
        QTemporaryDir dir;
        const LastGoodCopies copies(dir.path());
        const QDateTime fetched = clock.now();
        {
            WeatherService first;
            first.setSavedCopies(copies);
            first.load(kTokyo);
            QVERIFY(finishLoading(first));
            QVERIFY(first.snapshot());
        }
        clock.advance(3600s);
        m_server->setRoute(kPath, FakeResponse::error(503));
        WeatherService service;
        service.setSavedCopies(copies);
        service.load(kTokyo);
        QTRY_VERIFY(service.snapshot());
        QCOMPARE(*service.snapshot(), snapshotOf("forecast_tokyo_16d.json"));
        QCOMPARE(service.savedCopyTime(), fetched);
        QVERIFY(!service.errorMessage().isNull());

        service.load({34.6937, 135.5023});
        QVERIFY(QTest::qWaitFor([&] { return !service.errorMessage().isNull(); }, 5000));
        QVERIFY(!service.snapshot());
        QVERIFY(!service.savedCopyTime().isValid());

        m_server->setRoute(kPath, FakeResponse::json(fixture("forecast_tokyo_16d.json")));
        service.load(kTokyo);
        QVERIFY(QTest::qWaitFor([&] { return service.errorMessage().isNull(); }, 5000));
        QVERIFY(finishLoading(service));
        QVERIFY(!service.savedCopyTime().isValid());
    }
};

SHIGUREN_GUILESS_TEST(TestWeatherService)
#include "tst_weatherservice.moc"
