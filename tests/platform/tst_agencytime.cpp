#include "FakeClock.h"
#include "TestRegistry.h"
#include "TestTime.h"
#include "platform/AgencyTime.h"
#include "platform/JapanTime.h"

#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

using testing::utc;

} // namespace

// Runs once in UTC and once in a zone with daylight saving time (see CMakeLists.txt).
class TestAgencyTime : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // An invalid `expected` means the text must be refused.
    void shapesReadExactly_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shape");
        QTest::addColumn<QDateTime>("expected");
        const QString liden = u"yyyy/MM/dd HH:mm:ss.zzz"_s;
        const QString hour = u"yyyy-MM-ddTHH:mm"_s;
        const QString day = u"yyyy-MM-dd"_s;
        QTest::newRow("lightning")
            << u"2024/08/01 15:04:05.123"_s << liden << utc(2024, 8, 1, 6, 4, 5, 123);
        QTest::newRow("lightning, day before in UTC")
            << u"2024/01/01 08:59:59.999"_s << liden << utc(2023, 12, 31, 23, 59, 59, 999);
        QTest::newRow("other separators") << u"2024-08-01 15:04:05.123"_s << liden << QDateTime();
        QTest::newRow("two fraction digits") << u"2024/08/01 15:04:05.12"_s << liden << QDateTime();
        QTest::newRow("trailing space") << u"2024/08/01 15:04:05.123 "_s << liden << QDateTime();
        QTest::newRow("full-width digit") << u"２024/08/01 15:04:05.123"_s << liden << QDateTime();
        QTest::newRow("forecast hour") << u"2025-08-29T00:30"_s << hour << utc(2025, 8, 28, 15, 30);
        QTest::newRow("29 February 2025") << u"2025-02-29T09:00"_s << hour << QDateTime();
        QTest::newRow("minute 60") << u"2025-03-20T09:60"_s << hour << QDateTime();
        QTest::newRow("forecast day") << u"2025-03-20"_s << day << utc(2025, 3, 19, 15, 0);
        QTest::newRow("day with a time") << u"2025-03-20T09:00"_s << day << QDateTime();
    }
    void shapesReadExactly()
    {
        QFETCH(QString, text);
        QFETCH(QString, shape);
        QFETCH(QDateTime, expected);
        QCOMPARE(AgencyTime::parse(text, shape, JapanTime::zone()).value_or(QDateTime()), expected);
    }

    void stamps_data()
    {
        QTest::addColumn<QString>("stamp");
        QTest::addColumn<QDateTime>("expected");
        QTest::newRow("new year") << u"20250101000000"_s << utc(2025, 1, 1, 0, 0);
        QTest::newRow("tile list") << u"20261207021000"_s << utc(2026, 12, 7, 2, 10);
        QTest::newRow("13 digits") << u"2025010100000"_s << QDateTime();
        QTest::newRow("15 digits") << u"202501010000000"_s << QDateTime();
        QTest::newRow("separators") << u"2025-01-01 00:00"_s << QDateTime();
        QTest::newRow("month 13") << u"20251301000000"_s << QDateTime();
        QTest::newRow("30 February") << u"20250230000000"_s << QDateTime();
        QTest::newRow("hour 24") << u"20250101240000"_s << QDateTime();
        QTest::newRow("full-width digits") << u"２０２５0101000000"_s << QDateTime();
        QTest::newRow("empty") << QString() << QDateTime();
    }
    void stamps()
    {
        QFETCH(QString, stamp);
        QFETCH(QDateTime, expected);
        const std::optional<QDateTime> parsed = AgencyTime::parseStamp(stamp);
        QCOMPARE(parsed.value_or(QDateTime()), expected);
        if (parsed) {
            QCOMPARE(parsed->offsetFromUtc(), 0);
            QCOMPARE(AgencyTime::formatStamp(*parsed), stamp);
        }
    }

    void isoTimes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected");
        const QDateTime noon = utc(2024, 8, 29, 12, 0);
        QTest::newRow("Japan") << u"2024-08-29T21:00:00+09:00"_s << noon;
        QTest::newRow("Z") << u"2024-08-29T12:00:00Z"_s << noon;
        QTest::newRow("west, half hour") << u"2024-08-29T02:30:00-09:30"_s << noon;
        QTest::newRow("no zone") << u"2024-08-29T21:00:00"_s << QDateTime();
        QTest::newRow("lower-case z") << u"2024-08-29T12:00:00z"_s << QDateTime();
        QTest::newRow("fraction") << u"2024-08-29T21:00:00.5+09:00"_s << QDateTime();
        QTest::newRow("offset without colon") << u"2024-08-29T21:00:00+0900"_s << QDateTime();
        QTest::newRow("offset without sign") << u"2024-08-29T21:00:00 09:00"_s << QDateTime();
        QTest::newRow("offset minute 60") << u"2024-08-29T21:00:00+09:60"_s << QDateTime();
        QTest::newRow("offset beyond 14 h") << u"2024-08-29T21:00:00+15:00"_s << QDateTime();
        QTest::newRow("slashes") << u"2024/08/29 21:00"_s << QDateTime();
        QTest::newRow("31 September") << u"2024-09-31T21:00:00+09:00"_s << QDateTime();
    }
    void isoTimes()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        QCOMPARE(AgencyTime::parseIso(text).value_or(QDateTime()), expected);
    }

    void japanTimeIsNineHoursAheadWhateverTheMachineZone()
    {
        // Late evening in UTC is the next morning in Japan.
        FakeClock clock(utc(2025, 8, 29, 20, 30));
        const QDateTime now = JapanTime::now();
        QCOMPARE(now, clock.now());
        QCOMPARE(now.date(), QDate(2025, 8, 30));
        QCOMPARE(now.time(), QTime(5, 30));
        // Nor does winter change it.
        QCOMPARE(JapanTime::of(utc(2025, 1, 15, 20, 30)).offsetFromUtc(), 9 * 3600);
    }
};

SHIGUREN_GUILESS_TEST(TestAgencyTime)
#include "tst_agencytime.moc"
