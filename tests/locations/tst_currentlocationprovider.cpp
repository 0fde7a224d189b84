#include "FakeClock.h"
#include "FakeGeocoder.h"
#include "TestRegistry.h"
#include "locations/CurrentLocationProvider.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

using Authorization = PositionSource::Authorization;
using Kind = CurrentLocationStatus::Kind;

const GeoCoordinate kHere{35.6812, 139.7671};

class FakePositionSource final : public PositionSource {
public:
    Authorization current = Authorization::authorized;
    int authorizationRequests = 0;
    int positionRequests = 0;

    Authorization authorization() const override { return current; }
    void requestAuthorization() override { ++authorizationRequests; }
    void requestPosition() override { ++positionRequests; }
    void answer(Authorization authorization)
    {
        current = authorization;
        Q_EMIT authorizationChanged(authorization);
    }
};

} // namespace

class TestCurrentLocationProvider : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeClock> m_clock;
    std::shared_ptr<FakeGeocoder> m_geocoder;
    FakePositionSource* m_source = nullptr; // owned by the provider
    std::unique_ptr<CurrentLocationProvider> m_provider;
    QList<SavedLocation> m_delivered;
    QList<Kind> m_kinds;

    void makeProvider(std::unique_ptr<FakePositionSource> source)
    {
        m_source = source.get();
        m_provider = std::make_unique<CurrentLocationProvider>(std::move(source), m_geocoder);
        connect(m_provider.get(), &CurrentLocationProvider::statusChanged, this,
                [this] { m_kinds.append(m_provider->status().kind); });
    }
    void request()
    {
        m_provider->requestCurrentLocation(
            [this](const SavedLocation& location) { m_delivered.append(location); });
    }
    void fix(GeoCoordinate at = kHere)
    {
        Q_EMIT m_source->positionUpdated(at);
        FakeClock::settle();
    }

private Q_SLOTS:
    void init()
    {
        m_clock = std::make_unique<FakeClock>();
        m_geocoder = std::make_shared<FakeGeocoder>();
        m_geocoder->onReverse = [](GeoCoordinate at) {
            return GeocodedPlaces{
                namedPlace(u"千代田区丸の内一丁目"_s, at, u"東京都"_s, u"千代田区"_s)};
        };
        m_delivered.clear();
        m_kinds.clear();
        makeProvider(std::make_unique<FakePositionSource>());
    }
    void cleanup()
    {
        m_provider.reset();
        m_geocoder.reset();
        m_clock.reset();
    }

    void grantedAccessLeadsToOneRequestAndOnePlace()
    {
        m_source->current = Authorization::notDetermined;
        request();
        QCOMPARE(m_source->authorizationRequests, 1);
        QCOMPARE(m_source->positionRequests, 0);
        m_source->answer(Authorization::authorized);
        QCOMPARE(m_source->positionRequests, 1);
        fix();
        fix({43.06, 141.35}); // a second fix for the same request
        QCOMPARE(m_delivered.size(), 1);
        QCOMPARE(m_delivered.constFirst().name, u"千代田区"_s);
        QCOMPARE(m_delivered.constFirst().subtitle, u"東京都"_s);
        QCOMPARE(m_delivered.constFirst().coordinate(), kHere);
        QCOMPARE(m_geocoder->reverses, QList<GeoCoordinate>{kHere});
        // The time limit of a request that ended changes nothing.
        m_clock->advanceSeconds(60);
        QCOMPARE(m_kinds, (QList<Kind>{Kind::requesting, Kind::idle}));
    }

    void refusedAccess_data()
    {
        QTest::addColumn<bool>("atRequestTime");
        QTest::newRow("already refused") << true;
        QTest::newRow("refused when asked") << false;
    }
    void refusedAccess()
    {
        QFETCH(bool, atRequestTime);
        m_source->current = atRequestTime ? Authorization::denied : Authorization::notDetermined;
        request();
        if (!atRequestTime)
            m_source->answer(Authorization::denied);
        fix(); // nobody is waiting for it any more
        QVERIFY(m_delivered.isEmpty());
        QVERIFY(m_geocoder->reverses.isEmpty());
        QCOMPARE(m_source->positionRequests, 0);
        QCOMPARE(m_kinds, (QList<Kind>{Kind::requesting, Kind::denied}));
    }

    void failures_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("no location service") << "none";
        QTest::newRow("service error") << "error";
        QTest::newRow("no answer") << "silence";
    }
    void failures()
    {
        QFETCH(QString, how);
        const QString serviceError =
            u"現在地を取得できませんでした（位置情報サービスが停止しました）"_s;
        if (how == u"none")
            makeProvider(nullptr);
        request();
        if (how == u"error")
            Q_EMIT m_source->errorOccurred(serviceError);
        if (how == u"silence") {
            m_clock->advanceSeconds(CurrentLocationProvider::kRequestTimeoutSeconds - 1);
            QCOMPARE(m_provider->status(), CurrentLocationStatus::requesting());
            m_clock->advanceSeconds(1);
        }
        const QString expected = how == u"none"    ? CurrentLocationProvider::noSourceMessage()
                                 : how == u"error" ? serviceError
                                                   : CurrentLocationProvider::timeoutMessage();
        QCOMPARE(m_provider->status(), CurrentLocationStatus::failed(expected));
        if (!m_source)
            return;
        fix();
        QVERIFY(m_delivered.isEmpty());
        request(); // a new request starts over
        fix();
        QCOMPARE(m_delivered.size(), 1);
    }

    void aPlaceWithoutANameThenDestroyedWhileNaming()
    {
        m_geocoder->onReverse = [](GeoCoordinate) { return GeocodedPlaces{}; }; // at sea
        request();
        fix();
        QCOMPARE(m_delivered.constFirst().name, u"現在地"_s);
        QCOMPARE(m_delivered.constFirst().subtitle, std::optional<QString>());

        m_geocoder->reverseDelaySeconds = 2;
        request();
        fix();
        m_provider.reset();
        m_clock->advanceSeconds(5);
        QCOMPARE(m_delivered.size(), 1);
    }
};

SHIGUREN_GUILESS_TEST(TestCurrentLocationProvider)
#include "tst_currentlocationprovider.moc"
