#include "TestRegistry.h"
#include "TestTime.h"
#include "weather/Fmt.h"
#include "weather/JapaneseHoliday.h"
#include "weather/WeatherCode.h"
#include "weather/WindDirection.h"

#include <QTest>
#include <QTimeZone>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

using testing::utc;

QDateTime japan(int y, int mo, int d, int h = 12)
{
    return QDateTime(QDate(y, mo, d), QTime(h, 0), QTimeZone(QByteArrayLiteral("Asia/Tokyo")));
}

} // namespace

// Runs with the process in UTC and in Japan time: only the clock times and dates of Fmt
// follow the system time zone, everything else must read the same in both.
class TestWeatherFormatting : public QObject {
    Q_OBJECT

    bool m_inJapan = false;

private Q_SLOTS:
    void initTestCase()
    {
        const QByteArray tz = qgetenv("TZ");
        QVERIFY2(tz == "UTC" || tz == "Asia/Tokyo", "run with TZ=UTC or TZ=Asia/Tokyo");
        m_inJapan = tz == "Asia/Tokyo";
    }

    void weatherCodesAndWindDirections()
    {
        QCOMPARE(WeatherCode{80}.symbolName(true), u"cloud.sun.rain.fill"_s);
        QCOMPARE(WeatherCode{80}.symbolName(false), u"cloud.moon.rain.fill"_s);
        for (qint64 unknown : {qint64(4), qint64(-1), qint64(100)}) {
            QCOMPARE(WeatherCode{unknown}.label(), u"不明"_s);
            QCOMPARE(WeatherCode{unknown}.symbolName(true), u"questionmark.circle"_s);
        }

        const std::pair<double, const char*> winds[] = {
            {-90, "西"},       {359, "北"},        {348.75, "北"},    {348.74, "北北西"},
            {11.25, "北北東"}, {-337.5, "北北東"}, {202.5, "南南西"}, {kNaN, ""}};
        for (const auto& [degrees, label] : winds)
            QCOMPARE(windDirectionLabel(degrees), QString::fromUtf8(label));
    }

    void holidays_data()
    {
        QTest::addColumn<QDateTime>("instant");
        QTest::addColumn<bool>("holiday");
        QTest::newRow("substitute after Sunday 5 May 2024") << japan(2024, 5, 6) << true;
        QTest::newRow("none after Tuesday 5 May 2026") << japan(2026, 5, 6) << false;
        QTest::newRow("citizens holiday 2032-09-21") << japan(2032, 9, 21) << true;
        QTest::newRow("vernal equinox 2024-03-20") << japan(2024, 3, 20) << true;
        QTest::newRow("not 2024-03-21") << japan(2024, 3, 21) << false;
        QTest::newRow("autumnal equinox 2024-09-22") << japan(2024, 9, 22) << true;
        QTest::newRow("1 January 1990") << japan(1990, 1, 1) << true;
        QTest::newRow("2 January 2025") << japan(2025, 1, 2) << false;
        QTest::newRow("second Monday of January") << japan(2025, 1, 13) << true;
        QTest::newRow("first Monday of January") << japan(2025, 1, 6) << false;
        QTest::newRow("Sunday 4 May 2025, between holidays") << japan(2025, 5, 4) << true;
        // The day is the one in Japan, whatever the zone of the instant or of the system.
        QTest::newRow("00:00 JST on 6 May, as UTC") << utc(2024, 5, 5, 15) << true;
        QTest::newRow("00:00 JST on 7 May, as UTC") << utc(2024, 5, 6, 15) << false;
        QTest::newRow("invalid") << QDateTime() << false;
    }
    void holidays()
    {
        QFETCH(QDateTime, instant);
        QFETCH(bool, holiday);
        QCOMPARE(JapaneseHoliday::isHoliday(instant), holiday);
    }

    void clockAndDateFollowTheSystemZone()
    {
        const auto pick = [this](const char* japanText, const char* utcText) {
            return QString::fromUtf8(m_inJapan ? japanText : utcText);
        };
        QCOMPARE(Fmt::clock(utc(2025, 3, 20, 0, 5)), pick("9:05", "0:05"));
        QCOMPARE(Fmt::clock(utc(2025, 3, 20, 6)), pick("15:00", "6:00"));
        QCOMPARE(Fmt::monthDayWeekday(utc(2025, 3, 20, 0, 5)), u"3/20（木）"_s);
        QCOMPARE(Fmt::monthDayWeekday(utc(2025, 3, 19, 15)), pick("3/20（木）", "3/19（水）"));
        QCOMPARE(Fmt::monthDayWeekday(japan(2025, 3, 23, 0)), pick("3/23（日）", "3/22（土）"));
    }

    void relativeDurationAndTemperature()
    {
        const QDateTime now = utc(2025, 8, 29, 5, 30);
        const std::pair<int, const char*> relatives[] = {
            {0, "現在"},     {29, "現在"},         {30, "1分後"},          {-30, "1分前"},
            {-300, "5分前"}, {3600, "1時間0分後"}, {-5400, "1時間30分前"}, {90300, "25時間5分後"}};
        for (const auto& [seconds, text] : relatives)
            QCOMPARE(Fmt::relative(now.addSecs(seconds), now), QString::fromUtf8(text));

        QCOMPARE(Fmt::duration(45296), u"12:34"_s);
        QCOMPARE(Fmt::duration(3599.6), u"1:00"_s);
        QCOMPARE(Fmt::temperature(21.5), u"22°C"_s);
        QCOMPARE(Fmt::temperatureShort(-0.4), u"0°"_s);
        QCOMPARE(Fmt::temperature(kNaN), u"—"_s);
    }
};

SHIGUREN_GUILESS_TEST(TestWeatherFormatting)
#include "tst_weatherformatting.moc"
