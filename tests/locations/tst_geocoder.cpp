#include "FakeDataHosts.h"
#include "FakeGeocoder.h"
#include "KnownPlaces.h"
#include "TaskTestUtils.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "locations/GsiGeocoder.h"

#include <QTest>

Q_DECLARE_METATYPE(FakeResponse)

using namespace Qt::StringLiterals;

namespace {

const QString kSearchPath = u"/address-search/AddressSearch"_s;
const QString kReversePath = u"/reverse-geocoder/LonLatToAddress"_s;
const QString kPhotonPath = u"/api"_s;
const GeoCoordinate kNagoya{35.1709, 136.8815};

FakeResponse fixture(const char* name, int status = 200)
{
    return FakeResponse::json(TestData::read(u"geocoding/"_s + QLatin1String(name)), status);
}

QStringList names(const Expected<GeocodedPlaces>& places)
{
    QStringList out;
    for (const GeocodedPlace& place : places.value())
        out.append(place.name.value_or(u"-"_s));
    return out;
}

Expected<GeocodedPlaces> run(async::Task<Expected<GeocodedPlaces>> task)
{
    std::optional<Expected<GeocodedPlaces>> result = runTask(std::move(task));
    return result ? std::move(*result) : Failure{u"did not finish"_s};
}

} // namespace

class TestGeocoder : public QObject {
    Q_OBJECT

    std::optional<FakeDataHosts> m_server;
    std::unique_ptr<GsiGeocoder> m_geocoder;

    // Answers the address search per query text; anything else finds nothing.
    void answerAddressSearch(QHash<QString, FakeResponse> byQuery)
    {
        m_server->setHandler([byQuery](const RecordedRequest& r) -> std::optional<FakeResponse> {
            const QString q = r.queryItems.queryItemValue(u"q"_s, QUrl::FullyDecoded);
            return r.path == kSearchPath ? byQuery.value(q, FakeResponse::json("[]"))
                                         : std::optional<FakeResponse>();
        });
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_server.emplace().start());
        m_geocoder = std::make_unique<GsiGeocoder>();
    }
    void cleanup()
    {
        m_geocoder.reset();
        m_server.reset();
    }

    void addressSearchIsDistinctAndNearestFirst()
    {
        answerAddressSearch(
            {{u"名古屋駅"_s, fixture("gsi/address_search_real_nagoya_eki.json")},
             {u"渋谷"_s, fixture("gsi/address_search_real_shibuya_duplicate.json")},
             {u"会津若松"_s, fixture("gsi/address_search_real_aizu_with_datasource.json")}});
        const auto nagoya = run(m_geocoder->search(u"名古屋駅 "_s, kNagoya));
        QCOMPARE(names(nagoya), (QStringList{u"名古屋駅"_s, u"名鉄名古屋駅"_s, u"成田市名古屋"_s}));
        QCOMPARE(nagoya.value().at(2), namedPlace(u"成田市名古屋"_s, {35.85, 140.36}, u"千葉県"_s,
                                                  u"成田市"_s, u"千葉県成田市名古屋"_s));
        // From Tokyo the order turns round: the bias sorts, it does not filter.
        QCOMPARE(names(run(m_geocoder->search(u"名古屋駅"_s, kTokyo))),
                 (QStringList{u"成田市名古屋"_s, u"名鉄名古屋駅"_s, u"名古屋駅"_s}));
        QCOMPARE(names(run(m_geocoder->search(u"渋谷"_s, kTokyo))), QStringList{u"渋谷区"_s});

        // A landmark takes prefecture and city from its municipality code.
        const auto aizu = run(m_geocoder->search(u"会津若松"_s, {37.5088, 139.9304}));
        QCOMPARE(names(aizu), (QStringList{u"会津若松駅"_s, u"会津若松市"_s}));
        QCOMPARE(aizu.value().constFirst().regionName, u"福島県"_s);
        QCOMPARE(aizu.value().constFirst().cityName, u"会津若松市"_s);

        QCOMPARE(m_server->requests().constFirst().query, u"q=名古屋駅"_s);
        QCOMPARE(m_server->requestCount(kPhotonPath), 0);
    }

    void photonAnswersWhatGsiDoesNotKnow()
    {
        m_server->setRoute(kSearchPath, fixture("gsi/address_search_empty.json"));
        m_server->setRoute(kPhotonPath, fixture("photon/search_shinjuku_reconstructed.json"));
        const auto shinjuku = run(m_geocoder->search(u"新宿"_s, kTokyo));
        QCOMPARE(names(shinjuku), (QStringList{u"新宿"_s, u"新宿区"_s, u"新宿"_s, u"新宿通り"_s}));
        const GeocodedPlace& station = shinjuku.value().constFirst();
        QCOMPARE(station.regionName, u"東京都"_s);
        QCOMPARE(station.cityName, u"新宿区"_s);
        QCOMPARE(station.coordinate, (GeoCoordinate{35.6896, 139.7002}));
        QVERIFY(station.fromOpenStreetMap);

        const QUrlQuery query = m_server->requests().constLast().queryItems;
        QCOMPARE(query.queryItemValue(u"q"_s, QUrl::FullyDecoded), u"新宿"_s);
        QCOMPARE(query.queryItemValue(u"lat"_s), u"35.681200"_s);
        QCOMPARE(query.queryItemValue(u"lon"_s), u"139.767100"_s);
        QCOMPARE(query.queryItemValue(u"limit"_s), u"12"_s);
        QVERIFY(!query.hasQueryItem(u"lang"_s)); // the public server refuses "ja"
    }

    void failures_data()
    {
        QTest::addColumn<FakeResponse>("gsi");
        QTest::addColumn<FakeResponse>("photon");
        QTest::addColumn<QString>("description"); // empty: an empty list
        QTest::newRow("both refuse") << FakeResponse::error(503) << FakeResponse::error(502)
                                     << u"サーバがエラーを返しました: HTTP 503"_s;
        QTest::newRow("Photon refuses")
            << FakeResponse::json("[]") << fixture("photon/error_400_lang_ja.json", 400)
            << u"サーバがエラーを返しました: HTTP 400"_s;
        QTest::newRow("GSI garbled, Photon empty")
            << FakeResponse::json(R"([{"geometry":{"coordinates":[139.7]},"properties":{}}])")
            << fixture("photon/empty.json") << QString();
    }
    void failures()
    {
        QFETCH(FakeResponse, gsi);
        QFETCH(FakeResponse, photon);
        QFETCH(QString, description);
        m_server->setRoute(kSearchPath, gsi);
        m_server->setRoute(kPhotonPath, photon);
        const auto found = run(m_geocoder->search(u"どこか"_s, kTokyo));
        QCOMPARE(found ? QString() : found.failure().description, description);
        QVERIFY(!found || found.value().isEmpty());
        QCOMPARE(m_server->requestCount(kPhotonPath), 1);
    }

    void reverseGeocoding_data()
    {
        QTest::addColumn<QString>("answer"); // a fixture or a body
        QTest::addColumn<QString>("name");   // empty: no place; "!": a failure
        QTest::addColumn<QString>("region");
        const auto row = [](const char* tag, const char* answer, const char* name,
                            const char* region) {
            QTest::newRow(tag) << QString::fromUtf8(answer) << QString::fromUtf8(name)
                               << QString::fromUtf8(region);
        };
        row("Tokyo station", "gsi/reverse_tokyo_station.json", "千代田区丸の内一丁目", "東京都");
        row("at sea", "gsi/reverse_sea_or_abroad.json", "", "");
        row("code without its zero", R"({"results":{"muniCd":"1202","lv01Nm":"五稜郭町"}})",
            "函館市五稜郭町", "北海道");
        row("no town", R"({"results":{"muniCd":"13101","lv01Nm":"－"}})", "千代田区", "東京都");
        row("no code", R"({"results":{"lv01Nm":"x"}})", "!", "");
    }
    void reverseGeocoding()
    {
        QFETCH(QString, answer);
        QFETCH(QString, name);
        QFETCH(QString, region);
        m_server->setRoute(kReversePath, answer.endsWith(u".json")
                                             ? fixture(qPrintable(answer))
                                             : FakeResponse::json(answer.toUtf8()));
        const GeoCoordinate at{35.681236, 139.767125};
        const auto found = run(m_geocoder->reverse(at));
        const QUrlQuery query = m_server->requests().constFirst().queryItems;
        QCOMPARE(query.toString(), u"lat=35.681236&lon=139.767125"_s);
        if (name == u"!") {
            QVERIFY(!found);
            return;
        }
        QCOMPARE(names(found), name.isEmpty() ? QStringList() : QStringList{name});
        if (!name.isEmpty()) {
            QCOMPARE(found.value().constFirst().regionName, region);
            QCOMPARE(found.value().constFirst().coordinate, at);
        }
    }

    void postalCodesArePlacedThroughTheAddressSearch()
    {
        answerAddressSearch(
            {{u"東京都千代田区千代田"_s, fixture("gsi/address_search_reconstructed_chiyoda.json")},
             {u"東京都千代田区"_s, fixture("gsi/address_search_reconstructed_chiyoda.json")}});
        const auto chiyoda = run(m_geocoder->search(u"100-0001"_s, kNagoya));
        QCOMPARE(names(chiyoda), QStringList{u"千代田区千代田"_s});
        QCOMPARE(chiyoda.value().constFirst().fullAddress, u"東京都千代田区千代田"_s);
        QCOMPARE(chiyoda.value().constFirst().coordinate, kChiyoda);
        QCOMPARE(m_server->requests().size(), 1);

        // A floor of a high-rise, found through its 5-digit prefix: GSI does not know the
        // building, so the code is placed in its ward.
        m_server->clearRequests();
        const auto tower = run(m_geocoder->search(u"100-6012"_s, kTokyo));
        QCOMPARE(tower.value().constFirst().fullAddress, u"東京都千代田区霞が関霞が関ビル"_s);
        QCOMPARE(tower.value().constFirst().coordinate, kChiyoda);
        QCOMPARE(m_server->requests().size(), 2);

        // A large office's own code is not in the table: searched as text.
        m_server->clearRequests();
        (void)run(m_geocoder->search(u"100-8111"_s, kTokyo));
        QCOMPARE(m_server->requests().constFirst().query, u"q=100-8111"_s);

        // 452-0961 has 66 towns: three are looked up, each then its city, and none lies
        // in the answers.
        m_server->clearRequests();
        m_server->setHandler({});
        m_server->setRoute(kSearchPath, fixture("gsi/address_search_real_chino.json"));
        QVERIFY(run(m_geocoder->search(u"452-0961"_s, kNagoya)).value().isEmpty());
        QCOMPARE(m_server->requests().size(), 6);
    }
};

SHIGUREN_GUILESS_TEST(TestGeocoder)
#include "tst_geocoder.moc"
