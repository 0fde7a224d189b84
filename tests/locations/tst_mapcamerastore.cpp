#include "TestRegistry.h"
#include "locations/MapCameraStore.h"
#include "platform/Preferences.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

const QString kCamerasKey = u"Shiguren.mapCameras"_s;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

MapRegion region(double latitude, double longitude, double latitudeDelta, double longitudeDelta)
{
    return MapRegion{{latitude, longitude}, latitudeDelta, longitudeDelta};
}

} // namespace

class TestMapCameraStore : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<QSettings> m_defaults;
    int m_files = 0;

private Q_SLOTS:
    void init() { m_defaults = Preferences::openFile(m_dir.filePath(QString::number(++m_files))); }

    void validity_data()
    {
        QTest::addColumn<MapRegion>("region");
        QTest::addColumn<bool>("valid");
        QTest::newRow("ends included") << region(-90, 180, 180, 360) << true;
        QTest::newRow("zero longitude span") << region(35, 139, 2.5, 0) << false;
        QTest::newRow("negative latitude span") << region(35, 139, -1, 2.5) << false;
        QTest::newRow("longitude span over 360") << region(35, 139, 2.5, 360.5) << false;
        QTest::newRow("latitude over 90") << region(90.01, 139, 2.5, 3) << false;
        QTest::newRow("nan span") << region(35, 139, kNaN, 3) << false;
    }
    void validity()
    {
        QFETCH(MapRegion, region);
        QFETCH(bool, valid);
        MapCameraStore store(m_defaults.get());
        store.save(region, MapPane::Overview);
        QCOMPARE(m_defaults->contains(kCamerasKey), valid);
        QCOMPARE(store.camera(MapPane::Overview).has_value(), valid);
        QVERIFY(!store.camera(MapPane::Detail));
    }

    void writesOncePerChangeAndReadsBack()
    {
        MapCameraStore store(m_defaults.get());
        const MapRegion detail = region(35.6, 139.7, 2.5, 3.1);
        store.save(detail, MapPane::Detail);
        QCOMPARE(QJsonDocument::fromJson(m_defaults->value(kCamerasKey).toByteArray()).object(),
                 (QJsonObject{{QLatin1String("detail"),
                               QJsonObject{{QLatin1String("latitude"), 35.6},
                                           {QLatin1String("longitude"), 139.7},
                                           {QLatin1String("latitudeDelta"), 2.5},
                                           {QLatin1String("longitudeDelta"), 3.1}}}}));

        m_defaults->setValue(kCamerasKey, QByteArray("marker"));
        store.save(detail, MapPane::Detail); // unchanged: the marker survives
        QCOMPARE(m_defaults->value(kCamerasKey), QVariant(QByteArray("marker")));

        store.save(region(36.5, 137.0, 20, 25), MapPane::Overview);
        MapCameraStore reread(m_defaults.get());
        QCOMPARE(reread.camera(MapPane::Overview)->region(), region(36.5, 137.0, 20, 25));
    }

    void storedCameras()
    {
        const QByteArray camera = "{\"latitude\":35,\"longitude\":139,\"latitudeDelta\":2,";
        const QByteArray stored = "{\"detail\":" + camera + "\"longitudeDelta\":3}," +
                                  "\"overview\":" + camera + "\"longitudeDelta\":0}}";
        m_defaults->setValue(kCamerasKey, stored);
        QVERIFY(MapCameraStore(m_defaults.get()).camera(MapPane::Detail));
        QVERIFY(!MapCameraStore(m_defaults.get()).camera(MapPane::Overview)); // zero span
        m_defaults->setValue(kCamerasKey, QString::fromUtf8(stored));         // text, not bytes
        QVERIFY(!MapCameraStore(m_defaults.get()).camera(MapPane::Detail));
    }
};

SHIGUREN_GUILESS_TEST(TestMapCameraStore)
#include "tst_mapcamerastore.moc"
