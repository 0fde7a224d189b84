#include "TestRegistry.h"
#include "locations/MunicipalityTable.h"
#include "locations/PostalCodeTable.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestPostalCodes : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void builtInTableLookups_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("towns"); // "municipality town"
        QTest::newRow("one town") << "1000001" << QStringList{u"13101 千代田"_s};
        QTest::newRow("whole municipality") << "0600000" << QStringList{u"01101 "_s};
        QTest::newRow("floor of a high-rise, via its prefix")
            << "1006012" << QStringList{u"13101 霞が関霞が関ビル"_s};
        QTest::newRow("two prefectures") << "4980000" << QStringList{u"23235 "_s, u"24303 "_s};
        QTest::newRow("large office code") << "1008111" << QStringList{};
        QTest::newRow("not digits") << "10a0001" << QStringList{};
    }
    void builtInTableLookups()
    {
        QFETCH(QString, code);
        QFETCH(QStringList, towns);
        const PostalCodeTable& table = PostalCodeTable::builtIn();
        QCOMPARE(table.codeLineCount(), 120510);
        QStringList found;
        for (const PostalTown& town : table.find(code))
            found.append(town.municipalityCode + u' ' + town.town);
        QCOMPARE(found, towns);
    }

    void municipalities()
    {
        const MunicipalityTable& table = MunicipalityTable::builtIn();
        QCOMPARE(table.size(), 1919);
        QCOMPARE(table.find(u"1217"_s), std::optional(Municipality{u"北海道"_s, u"江別市"_s}));
        QVERIFY(!table.find(u"22131"_s)); // a ward merged away in 2024

        const auto sapporo = table.split(u"北海道札幌市中央区北一条西"_s);
        QCOMPARE(sapporo.prefecture, std::optional(u"北海道"_s));
        QCOMPARE(sapporo.municipality, std::optional(u"札幌市中央区"_s));
        const auto station = table.split(u"名古屋駅"_s);
        QVERIFY(!station.prefecture && !station.municipality);

        QVERIFY(!MunicipalityTable::fromJson("[]"));
        QVERIFY(!MunicipalityTable::fromJson(R"({"13101":{"pref":"東京都"}})"));
    }
};

SHIGUREN_GUILESS_TEST(TestPostalCodes)
#include "tst_postalcodes.moc"
