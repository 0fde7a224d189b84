#include "FakeClock.h"
#include "FakeGeocoder.h"
#include "KnownPlaces.h"
#include "TestRegistry.h"
#include "locations/PlaceSearchService.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QStringList names(const SavedLocations& locations)
{
    QStringList out;
    for (const SavedLocation& location : locations)
        out.append(location.name + u'/' + location.subtitle.value_or(u"-"_s));
    return out;
}

GeocodedPlaces one(const QString& name)
{
    return {namedPlace(name, kChiyoda, std::nullopt, std::nullopt, u"東京都千代田区千代田"_s)};
}

} // namespace

class TestPlaceSearchService : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeClock> m_clock;
    std::shared_ptr<FakeGeocoder> m_geocoder;
    std::unique_ptr<PlaceSearchService> m_service;

    void debounce() { m_clock->advanceSeconds(PlaceSearchService::kDebounceSeconds); }
    void searchNow(const QString& text)
    {
        m_service->search(text, kTokyo);
        debounce();
    }

private Q_SLOTS:
    void init()
    {
        m_clock = std::make_unique<FakeClock>();
        m_geocoder = std::make_shared<FakeGeocoder>();
        m_geocoder->onSearch = [](const QString& text) { return one(text); };
        m_service = std::make_unique<PlaceSearchService>(m_geocoder);
    }
    void cleanup()
    {
        m_service.reset();
        m_geocoder.reset();
        m_clock.reset();
    }

    void postalCodeSpellings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("code"); // empty: searched as text
        QTest::newRow("full-width") << u"１００－０００１"_s << "100-0001";
        QTest::newRow("postal mark") << u"〒100-0001"_s << "100-0001";
        QTest::newRow("space") << u"100 0001"_s << "100-0001";
        QTest::newRow("digits only") << u"1000001"_s << "100-0001";
        QTest::newRow("long vowel mark") << u"100ー0001"_s << "100-0001";
        QTest::newRow("ideographic space") << u"100\u30000001"_s << "100-0001";
        QTest::newRow("eight digits") << u"100-00011"_s << "";
        QTest::newRow("a letter") << u"10a-0001"_s << "";
        QTest::newRow("Arabic-Indic digits") << u"١٠٠٠٠٠١"_s << "";
    }
    void postalCodeSpellings()
    {
        QFETCH(QString, text);
        QFETCH(QString, code);
        searchNow(text);
        QCOMPARE(m_geocoder->searches, QStringList{code.isEmpty() ? text : code});
    }

    void aBurstOfKeysRunsOneSearchAfterTheLastAndBlankClears()
    {
        QSignalSpy searching(m_service.get(), &PlaceSearchService::isSearchingChanged);
        m_service->search(u"t"_s, kTokyo);
        m_clock->advanceSeconds(0.1);
        m_service->search(u"to"_s, kTokyo);
        m_clock->advanceSeconds(0.2);
        m_service->search(u" tok\n"_s, kChiyoda);
        m_clock->advanceSeconds(0.24);
        QVERIFY(m_geocoder->searches.isEmpty());
        m_clock->advanceSeconds(0.01);
        QCOMPARE(m_geocoder->searches, QStringList{u"tok"_s});
        QCOMPARE(m_geocoder->searchBiases.constFirst(), kChiyoda);
        QCOMPARE(names(m_service->results()), QStringList{u"tok/-"_s});
        QCOMPARE(searching.count(), 2); // on and off once
        QVERIFY(!m_service->isSearching());

        // Blank text clears at once, and the search still waiting is dropped.
        m_service->search(u"渋谷区"_s, kTokyo);
        m_service->search(u" \u3000 "_s, kTokyo);
        QVERIFY(m_service->results().isEmpty());
        debounce();
        QCOMPARE(m_geocoder->searches.size(), 1);
    }

    void freeTextNamingAndLimit()
    {
        m_geocoder->onSearch = [](const QString&) {
            GeocodedPlaces places{
                namedPlace(u"千代田区千代田"_s, kChiyoda, u"東京都"_s, u"千代田区"_s),
                namedPlace(u"Marunouchi"_s, kTokyo, std::nullopt, u"千代田区"_s), GeocodedPlace{}};
            for (int i = 0; i < 17; ++i)
                places.append(namedPlace(QString::number(i), kTokyo));
            places[3].fromOpenStreetMap = true;
            return places;
        };
        searchNow(u"千代田"_s);
        const SavedLocations results = m_service->results();
        QCOMPARE(results.size(), 11); // of the first 12, one has no name
        QCOMPARE(names(results).mid(0, 3),
                 (QStringList{u"千代田区千代田/東京都"_s, u"Marunouchi/千代田区"_s, u"0/-"_s}));
        QCOMPARE(results.constFirst().coordinate(), kChiyoda);
        QVERIFY(results.at(3).id != results.at(4).id);
        QCOMPARE(m_service->attribution(), u"© OpenStreetMap contributors"_s);
        m_service->clear();
        QVERIFY(m_service->attribution().isEmpty());
    }

    void postalNaming_data()
    {
        QTest::addColumn<std::optional<QString>>("fullAddress");
        QTest::addColumn<std::optional<QString>>("town"); // nothing: reverse geocoding fails
        QTest::addColumn<QString>("expected");
        const std::optional<QString> none;
        QTest::newRow("town cut before its block number")
            << std::optional(u"東京都千代田区千代田"_s) << std::optional(u"千代田区千代田1"_s)
            << "千代田区千代田/〒100-0001 東京都千代田区千代田";
        QTest::newRow("last piece of the address")
            << std::optional(u"日本, 東京都千代田区千代田"_s) << none
            << "東京都千代田区千代田/〒100-0001 東京都千代田区千代田";
        QTest::newRow("address that is the code")
            << std::optional(u"東京都, 〒100-0001"_s) << std::optional(u"１－１"_s)
            << "〒100-0001/〒100-0001";
    }
    void postalNaming()
    {
        QFETCH(std::optional<QString>, fullAddress);
        QFETCH(std::optional<QString>, town);
        QFETCH(QString, expected);
        m_geocoder->onSearch = [&](const QString&) {
            GeocodedPlaces places;
            for (int i = 0; i < 5; ++i)
                places.append(namedPlace(u"x"_s, {35.0 + i, 139.0}, u"東京都"_s, {}, fullAddress));
            return places;
        };
        m_geocoder->onReverse = [&](GeoCoordinate at) -> Expected<GeocodedPlaces> {
            if (!town)
                return Failure{u"サーバがエラーを返しました: HTTP 500"_s};
            return GeocodedPlaces{namedPlace(*town, at)};
        };
        searchNow(u"〒１００－０００１"_s);
        QCOMPARE(m_geocoder->reverses.size(), 3);
        QCOMPARE(names(m_service->results()), QStringList(3, expected));
        QCOMPARE(m_service->results().at(2).latitude, 37.0);
    }

    void aPostalSearchCancelledWhileNamingPublishesAnEmptyList()
    {
        searchNow(u"渋谷"_s);
        m_geocoder->onSearch = [](const QString& text) { return one(text) + one(text); };
        m_geocoder->reverseDelaySeconds = 1;
        searchNow(u"1000001"_s);
        m_clock->advanceSeconds(1);
        QCOMPARE(m_geocoder->reverses.size(), 2); // the first place is named, the second not yet
        QSignalSpy results(m_service.get(), &PlaceSearchService::resultsChanged);
        m_service->search(u"1000002"_s, kTokyo);
        FakeClock::settle();
        QCOMPARE(results.count(), 1);
        QVERIFY(m_service->results().isEmpty());
        QVERIFY(!m_service->isSearching());
        m_geocoder->reverseDelaySeconds = 0;
        debounce();
        QCOMPARE(m_service->results().size(), 2);
    }

    void cancelledFailedAndDestroyedFreeTextSearches()
    {
        searchNow(u"渋谷"_s);
        m_geocoder->searchDelaySeconds = 5;
        searchNow(u"新宿"_s);
        QVERIFY(m_service->isSearching());
        QSignalSpy results(m_service.get(), &PlaceSearchService::resultsChanged);
        m_service->search(u"新宿駅"_s, kTokyo);
        FakeClock::settle();
        QCOMPARE(results.count(), 0);
        QVERIFY(!m_service->isSearching());

        m_geocoder->onSearch = [](const QString&) -> Expected<GeocodedPlaces> {
            return Failure{u"サーバに接続できませんでした"_s};
        };
        m_clock->advanceSeconds(10);
        QVERIFY(m_service->results().isEmpty());
        QCOMPARE(results.count(), 1);

        // Destroyed in the middle of a search: nothing runs on afterwards.
        searchNow(u"渋谷"_s);
        QVERIFY(m_service->isSearching());
        m_service.reset();
        m_clock->advanceSeconds(10);
    }
};

SHIGUREN_GUILESS_TEST(TestPlaceSearchService)
#include "tst_placesearchservice.moc"
