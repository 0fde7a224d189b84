#include "TestData.h"
#include "TestRegistry.h"
#include "TestTime.h"
#include "lightning/LidenFeature.h"
#include "lightning/LightningService.h"
#include "lightning/LightningStrike.h"

#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

using testing::utc;

class TestLightningData : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void undecodableFilesFailAsAWhole_data()
    {
        QTest::addColumn<QByteArray>("json");
        const QByteArray head = "{\"features\":[{\"geometry\":{\"coordinates\":";
        const QByteArray props = "\"properties\":{\"id\":\"a\",\"obstimeJST\":\"\",\"type\":";
        QTest::newRow("coordinate as text") << head + "[\"139.7\",35.6]}," + props + "4}}]}";
        QTest::newRow("fractional type") << head + "[1,2]}," + props + "4.5}}]}";
        QTest::newRow("error page") << QByteArray("<html>Not Found</html>");
    }
    void undecodableFilesFailAsAWhole()
    {
        QFETCH(QByteArray, json);
        QVERIFY(!decodeLidenFeatures(json));
    }

    void onlyCloudToGroundStrikesWithPositionAndTimeAreKept()
    {
        const auto features =
            decodeLidenFeatures(TestData::read(u"jma/liden/edge_cases_synthetic.geojson"_s));
        QVERIFY(features);
        QCOMPARE(features.value().size(), 5);

        // Dropped: one coordinate, a dashed time, type 1. Three coordinates are fine.
        const LightningStrikes strikes = LightningStrike::fromFeatures(features.value());
        QCOMPARE(strikes.size(), 2);
        QCOMPARE(strikes.at(0).id, u"edge_ok_type4"_s);
        QCOMPARE(strikes.at(0).observedAt, utc(2025, 8, 29, 5, 29, 58, 120));
        QCOMPARE(strikes.at(1).coordinate, (GeoCoordinate{35.9, 140.0}));

        const auto real =
            decodeLidenFeatures(TestData::read(u"jma/liden/real_20240807070000_excerpt.geojson"_s));
        QCOMPARE(real.value().size(), 25);
        QVERIFY(LightningStrike::fromFeatures(real.value()).isEmpty()); // cloud discharges
    }

    void newestLidenObservation()
    {
        const QStringList liden{u"liden"_s};
        const auto entry = [](const char* base, const char* valid, QStringList elements) {
            return TargetTimeEntry{QLatin1String(base), QLatin1String(valid), elements};
        };
        const QList<TargetTimeEntry> entries{
            entry("20250829052500", "20250829052500", liden),
            entry("20250829053000", "20250829053000", {u"thns"_s, liden.first()}),
            entry("20250829053000", "20250829053000", liden), // same time, later in the file
            entry("20250829053000", "20250829063000", liden), // a forecast
            entry("20250829053500", "20250829053500", {u"thns"_s}),
        };
        QCOMPARE(LightningService::newestLidenObservation(entries), entries.at(1));
        QVERIFY(!LightningService::newestLidenObservation(entries.mid(3)));
    }
};

SHIGUREN_GUILESS_TEST(TestLightningData)
#include "tst_lightningdata.moc"
