#include "FakeClock.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "TestTime.h"
#include "WeatherTestData.h"
#include "weather/WeatherSnapshot.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace {

using testing::utc;

using WeatherTestData::fixture;

WeatherSnapshot snapshotOf(const QByteArray& json)
{
    const Expected<OpenMeteoResponse> decoded = OpenMeteoResponse::decode(json);
    if (!decoded) {
        QTest::qFail("fixture does not decode", __FILE__, __LINE__);
        return {};
    }
    return makeSnapshot(decoded.value());
}

template <typename T>
QString ids(const QList<T>& entries)
{
    QStringList result;
    for (const T& entry : entries)
        result.append(entry.id);
    return result.join(u' ');
}

// The full fixture with one member of `section` replaced; an undefined value removes it.
QByteArray edited(const char* section, const char* key, const QJsonValue& value)
{
    QJsonObject root = QJsonDocument::fromJson(fixture("forecast_tokyo_16d.json")).object();
    QJsonObject inner = root.value(QLatin1String(section)).toObject();
    if (value.isUndefined())
        inner.remove(QLatin1String(key));
    else
        inner.insert(QLatin1String(key), value);
    root.insert(QLatin1String(section), inner);
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

} // namespace

// Runs with the process in UTC and in Japan time; nothing here may depend on it.
class TestForecastModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void undecodableDocumentsFailAsAWhole_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("current without is_day") << fixture("forecast_invalid_missing_is_day.json");
        QTest::newRow("code as a string") << fixture("forecast_invalid_code_as_string.json");
        QTest::newRow("null temperature") << edited("current", "temperature_2m", QJsonValue::Null);
        QTest::newRow("fractional code") << edited("current", "weather_code", 2.5);
        QTest::newRow("daily without sunset") << edited("daily", "sunset", QJsonValue());
        QTest::newRow("hour code as a string")
            << edited("hourly", "weather_code", QJsonArray{u"80"_s});
    }
    void undecodableDocumentsFailAsAWhole()
    {
        QFETCH(QByteArray, json);
        QVERIFY(!OpenMeteoResponse::decode(json));
    }

    void snapshotOfTheFullResponse()
    {
        FakeClock clock; // 14:30 on 29 August 2025 in Japan
        const WeatherSnapshot snapshot = snapshotOf(fixture("forecast_tokyo_16d.json"));
        // The header's own tests read the other current values from this same file.
        QCOMPARE(snapshot.current.temperature, 32.4);
        QCOMPARE(snapshot.current.sunrise, utc(2025, 8, 28, 20, 11));
        QCOMPARE(snapshot.daily.size(), 16);
        const DailyForecast firstDay{
            u"2025-08-29"_s, utc(2025, 8, 28, 15), WeatherCode{95}, 33.4, 26.1, 65, 16.2, 168};
        QCOMPARE(snapshot.daily.first(), firstDay);
        // At 14:30 the 14:00 entry is gone.
        const HourlyForecast firstHour{
            u"2025-08-29T15:00"_s, utc(2025, 8, 29, 6), WeatherCode{80}, 33.6, 55, true};
        QCOMPARE(snapshot.hourly.first(), firstHour);
    }

    void hoursFromNowAtMostTwentyFour_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<int>("count");
        QTest::newRow("half past") << utc(2025, 8, 29, 5, 30) << "2025-08-29T15:00"
                                   << "2025-08-30T14:00" << 24;
        QTest::newRow("on the hour, which stays") << utc(2025, 8, 29, 5) << "2025-08-29T14:00"
                                                  << "2025-08-30T13:00" << 24;
        QTest::newRow("four hours left") << utc(2025, 8, 31, 2) << "2025-08-31T11:00"
                                         << "2025-08-31T14:00" << 4;
        QTest::newRow("all past") << utc(2025, 9, 1, 0) << QString() << QString() << 0;
    }
    void hoursFromNowAtMostTwentyFour()
    {
        QFETCH(QDateTime, now);
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(int, count);
        FakeClock clock(now);
        const WeatherSnapshot snapshot = snapshotOf(fixture("forecast_next_48_hours.json"));
        QCOMPARE(snapshot.hourly.size(), count);
        QCOMPARE(snapshot.hourly.value(0).id, first);
        QCOMPARE(snapshot.hourly.value(count - 1).id, last);
        QCOMPARE(snapshot.daily.size(), 2); // past days stay
    }

    void nullsDropOnlyTheirEntry()
    {
        FakeClock clock;
        const WeatherSnapshot snapshot = snapshotOf(fixture("forecast_nulls_and_bad_times.json"));
        // Day 2 has no low, day 3 a malformed date; day 1 keeps an absent probability.
        QCOMPARE(ids(snapshot.daily), u"2025-08-29 2025-09-01"_s);
        QCOMPARE(snapshot.daily.at(0).precipitationProbability, std::nullopt);
        QCOMPARE(snapshot.current.sunrise, std::nullopt);
        QCOMPARE(snapshot.current.daylightDuration, 0.0);
        // 16:00 has no temperature, 17:00 no code, 19:00 a malformed time.
        QCOMPARE(ids(snapshot.hourly), u"2025-08-29T15:00 2025-08-29T18:00 2025-08-29T20:00"_s);
        QVERIFY(!snapshot.hourly.at(0).isDay); // null is_day counts as night
        QCOMPARE(snapshot.hourly.at(1).precipitationProbability, std::nullopt);

        FakeClock later(utc(2025, 9, 12, 8)); // 17:00; every later hour is null
        const WeatherSnapshot full = snapshotOf(fixture("forecast_tokyo_16d_with_nulls.json"));
        QCOMPARE(full.daily.size(), 15);
        QCOMPARE(full.daily.last().precipitationProbability, std::nullopt);
        QCOMPARE(ids(full.hourly), u"2025-09-12T17:00"_s);
    }

    void emptyAndShortArrays()
    {
        FakeClock clock;
        const WeatherSnapshot snapshot =
            snapshotOf(fixture("forecast_empty_daily_short_hourly.json"));
        QVERIFY(snapshot.daily.isEmpty());
        QCOMPARE(snapshot.current.sunset, std::nullopt);
        QCOMPARE(snapshot.current.daylightDuration, 0.0);
        // Elements past the end of a shorter array read as null.
        QCOMPARE(snapshot.hourly.size(), 3);
        QVERIFY(snapshot.hourly.at(0).isDay && !snapshot.hourly.at(2).isDay);
        QCOMPARE(snapshot.hourly.at(2).precipitationProbability, std::nullopt);

        const WeatherSnapshot shortDaily =
            snapshotOf(edited("daily", "temperature_2m_min", QJsonArray{26.1}));
        QCOMPARE(ids(shortDaily.daily), u"2025-08-29"_s);
    }
};

SHIGUREN_GUILESS_TEST(TestForecastModel)
#include "tst_forecastmodel.moc"
