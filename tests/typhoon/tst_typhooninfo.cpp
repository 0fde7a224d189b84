#include "TestData.h"
#include "TestRegistry.h"
#include "TestTime.h"
#include "typhoon/TyphoonInfo.h"

#include <QTest>
#include <QTimeZone>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {

using Position = TyphoonForecastEntry::Position;

using testing::utc;

QByteArray fixture(const char* name)
{
    return TestData::read(u"jma/typhoon/"_s + QLatin1String(name));
}

TyphoonTarget target(const QString& category, const QString& number = u"2510"_s)
{
    return TyphoonTarget{u"TC2514"_s, number, category, u"2025-08-29T15:45:00+09:00"_s};
}

TyphoonForecastEntry step(std::optional<qint64> hours, std::optional<Position> center)
{
    TyphoonForecastEntry entry;
    entry.advancedHours = hours;
    entry.center = std::move(center);
    return entry;
}

} // namespace

class TestTyphoonInfo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void scenarioTyphoonCombinesAllThreeDocuments()
    {
        const auto forecast = decodeTyphoonForecast(fixture("scenario/TC2514/forecast.json"));
        const auto specs =
            decodeTyphoonSpecifications(fixture("scenario/TC2514/specifications.json"));
        QVERIFY(forecast && specs);
        const auto info = TyphoonInfo::make(target(u"TY"_s), forecast.value(), specs.value());
        QVERIFY(info);

        QCOMPARE(info->displayName(), u"台風10号 バイルー"_s);
        QCOMPARE(info->issue, utc(2025, 8, 29, 6, 45));
        QCOMPARE(info->currentPoint, (GeoCoordinate{26.8, 133.4}));
        QCOMPARE(info->pastTrack.size(), 4 + 8);
        QCOMPARE(info->galeWarningArea, (TyphoonInfo::Circle{GeoCoordinate{26.8, 133.4}, 500040}));
        QCOMPARE(info->forecastPoints.size(), 6);
        QCOMPARE(info->forecastPoints.first().validTime, utc(2025, 8, 29, 18, 0));
        QCOMPARE(info->forecastPoints.first().probabilityRadiusMeters, 92600.0);
        QCOMPARE(info->speedKmh, u"15"_s);

        // The real header part (no advancedHours) decodes beside "kt" members.
        const auto real = decodeTyphoonSpecifications(fixture("real/TC2410_specifications.json"));
        QCOMPARE(real.value().at(0).nameJp, u"ジョンダリ"_s);
        QCOMPARE(real.value().at(1).speedKmh, u"35"_s);
    }

    void oddPositionsAndIssueAreLeftOut()
    {
        TyphoonForecastEntry current = step(0, Position{16.2, 128.9, 0});
        current.trackPreTyphoon = {{20.1, 135.2, 0}, {20.1, 135.2}};
        current.trackTyphoon = {{21.0}, {21.5, 134.0}};
        current.galeWarningArea = TyphoonForecastEntry::RawCircle{{16.4}, 407440};
        TyphoonTarget odd = target(u"TY"_s);
        odd.issue = u"2024/08/29 21:00"_s;
        const auto info = TyphoonInfo::make(odd, {current}, {});
        QVERIFY(info);
        // Positions need exactly two numbers.
        QCOMPARE(info->pastTrack, (QList<GeoCoordinate>{{20.1, 135.2}, {21.5, 134.0}}));
        QVERIFY(!info->currentPoint);
        QVERIFY(!info->galeWarningArea);
        QCOMPARE(info->issue, TyphoonInfo::distantPast());
    }

    void forecastStepsAreSortedByHours()
    {
        const QList<TyphoonForecastEntry> forecast{
            step(24, Position{2, 2}), step(12, std::nullopt),   step(0, Position{0, 0}),
            step(12, Position{1, 1}), step(48, Position{4, 4}), step(std::nullopt, Position{8, 8}),
        };
        const auto info = TyphoonInfo::make(target(u"TY"_s), forecast, {});
        QVERIFY(info);
        QList<GeoCoordinate> points;
        for (const TyphoonInfo::ForecastPoint& point : info->forecastPoints)
            points.append(point.point);
        QCOMPARE(points, (QList<GeoCoordinate>{{1, 1}, {2, 2}, {4, 4}}));
        QCOMPARE(info->forecastPoints.first().advancedHours, 12);
    }

    void categories()
    {
        // Category, header (nullptr: no header entry), text, typhoon or not.
        const std::tuple<const char*, const char*, const char*, bool> rows[] = {
            {"TS", nullptr, "台風", true},
            {"TD", nullptr, "熱帯低気圧", false},
            {"LOW", nullptr, "温帯低気圧", false},
            {"TD", "台風", "台風", false}, // the header overrides the text only
            {"LOW", "温帯低気圧", "温帯低気圧", false},
        };
        for (const auto& [category, header, text, isTyphoon] : rows) {
            QList<TyphoonSpecEntry> specs{TyphoonSpecEntry{}};
            specs.first().categoryJp = QString::fromUtf8(header);
            const auto info =
                TyphoonInfo::make(target(QLatin1String(category)), {step(0, std::nullopt)},
                                  header ? specs : QList<TyphoonSpecEntry>{});
            QVERIFY(info);
            QCOMPARE(info->categoryText, QString::fromUtf8(text));
            QCOMPARE(info->isTyphoon, isTyphoon);
        }
    }

    void displayName()
    {
        // Number, category, name (nullptr: none), displayed name.
        const std::tuple<const char*, const char*, const char*, const char*> rows[] = {
            {"10", "TY", "ハイシェン", "台風10号 ハイシェン"},
            {"2410", "TY", nullptr, "台風10号"}, // year and number
            {"2409", "LOW", nullptr, "台風9号"},
            {"+10", "TY", nullptr, "台風+10号"}, // other numbers as stored
            {"a", "TY", nullptr, "台風"},
            {"", "TD", nullptr, "熱帯低気圧"},
            {"b", "LOW", "ジョンダリ", "温帯低気圧 ジョンダリ"},
            {" 10", "TY", nullptr, "台風"},
            {"99999999999999999999", "TY", nullptr, "台風"}, // beyond 64 bits
        };
        for (const auto& [number, category, name, expected] : rows) {
            TyphoonInfo info;
            info.typhoonNumber = QString::fromUtf8(number);
            info.category = QLatin1String(category);
            info.isTyphoon = TyphoonInfo::isTyphoonCategory(info.category);
            if (name)
                info.name = QString::fromUtf8(name);
            QCOMPARE(info.displayName(), QString::fromUtf8(expected));
        }
    }

    void malformedDocumentsFailAsAWhole_data()
    {
        QTest::addColumn<bool>("forecast"); // else specifications
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("speed as a number")
            << false << fixture("synthetic/speed_as_number_specifications.json");
        QTest::newRow("name without en") << false << QByteArray("[{\"name\":{\"jp\":\"x\"}}]");
        QTest::newRow("centre with text") << true << QByteArray("[{\"center\":[\"26.8\",133.4]}]");
    }
    void malformedDocumentsFailAsAWhole()
    {
        QFETCH(bool, forecast);
        QFETCH(QByteArray, json);
        QVERIFY(!(forecast ? decodeTyphoonForecast(json).ok()
                           : decodeTyphoonSpecifications(json).ok()));
    }
};

SHIGUREN_GUILESS_TEST(TestTyphoonInfo)
#include "tst_typhooninfo.moc"
