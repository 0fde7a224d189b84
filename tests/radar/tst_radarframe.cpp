#include "TestRegistry.h"
#include "radar/RadarFrame.h"
#include "radar/TargetTimeEntry.h"

#include <QTest>
#include <QTimeZone>

class TestRadarFrame : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void identityEqualityAndHash()
    {
        const QDateTime date(QDate(2025, 1, 1), QTime(0, 30), QTimeZone::utc());
        const RadarFrame observed{RadarProduct::Nowcast, QStringLiteral("20250101000000"),
                                  QStringLiteral("20250101003000"), RadarFrame::Kind::Observation,
                                  date};
        RadarFrame forecast = observed;
        forecast.kind = RadarFrame::Kind::Forecast;
        QCOMPARE(observed.id(), QStringLiteral("nowcast/20250101000000/20250101003000"));
        QCOMPARE(forecast.id(), observed.id()); // same id ...
        QVERIFY(!(forecast == observed));       // ... yet different frames
        QVERIFY(qHash(forecast) != qHash(observed));
        RadarFrame sameInstant = observed;
        sameInstant.date = date.toTimeZone(QTimeZone("Asia/Tokyo"));
        QVERIFY(sameInstant == observed); // dates compare as instants
    }

    void rawValuesAreCaseSensitive()
    {
        QVERIFY(!radarRangeFromRaw(QStringLiteral("ThreeHours")));
        QVERIFY(!radarPlaybackModeFromRaw(QStringLiteral("LIVE")));
        QVERIFY(!radarProductFromRaw(QStringLiteral("rasrf")));
    }

    // A list lacking a member and an HTML error page fail through the timeline's tests.
    void targetTimesDecodeStrictly_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<int>("entries"); // -1: fails as a whole
        QTest::newRow("extra member ignored")
            << QByteArray(
                   R"([{"basetime":"1","validtime":"2","elements":["hrpns"],"member":"none"}])")
            << 1;
        QTest::newRow("empty list") << QByteArray("[]") << 0;
        QTest::newRow("number instead of string")
            << QByteArray(R"([{"basetime":1,"validtime":"1","elements":[]}])") << -1;
        QTest::newRow("element not a string")
            << QByteArray(R"([{"basetime":"1","validtime":"1","elements":[3]}])") << -1;
        QTest::newRow("object instead of array") << QByteArray(R"({"basetime":"1"})") << -1;
    }
    void targetTimesDecodeStrictly()
    {
        QFETCH(QByteArray, json);
        QFETCH(int, entries);
        const auto decoded = decodeTargetTimes(json);
        QCOMPARE(decoded.ok(), entries >= 0);
        if (entries >= 0)
            QCOMPARE(decoded.value().size(), entries);
        else
            QVERIFY(!decoded.failure().description.isEmpty());
    }
};

SHIGUREN_GUILESS_TEST(TestRadarFrame)
#include "tst_radarframe.moc"
