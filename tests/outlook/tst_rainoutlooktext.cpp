#include "TestRegistry.h"
#include "TestTime.h"
#include "outlook/RainBand.h"
#include "outlook/RainOutlookText.h"

#include <QTest>

namespace {

using Kind = RainOutlookStep::Kind;

const QDateTime kDataTime = testing::utc(2025, 8, 29, 5, 30);

// The newest observation with `now` band, then twelve 5-minute nowcast bands.
RainOutlook outlookOf(int now, const QList<int>& nowcast)
{
    RainOutlook outlook;
    outlook.dataTime = kDataTime;
    outlook.steps.append({kDataTime.addSecs(-300), Kind::Observation, 0, true});
    outlook.steps.append({kDataTime, Kind::Observation, now, true});
    for (qsizetype i = 0; i < nowcast.size(); ++i)
        outlook.steps.append({kDataTime.addSecs(300 * (i + 1)), Kind::Nowcast, nowcast[i], true});
    return outlook;
}

} // namespace

class TestRainOutlookText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void bandTable()
    {
        QCOMPARE(RainBand::lowerBound(RainBand::kDry), 0.0);
        QCOMPARE(RainBand::upperBound(RainBand::kDry), std::optional<double>(0.0));
        QCOMPARE(RainBand::rangeText(1), QStringLiteral("0.1〜1 mm/h"));
        QCOMPARE(RainBand::rangeText(5), QStringLiteral("20〜30 mm/h"));
        QCOMPARE(RainBand::rangeText(8), QStringLiteral("80 mm/h以上"));
        QCOMPARE(RainBand::upperBound(8), std::nullopt);
        QCOMPARE(RainBand::atLeast(0.1), 1);
        QCOMPARE(RainBand::atLeast(1), 2);
        QCOMPARE(RainBand::atLeast(20), 5);
    }

    void sentence_data()
    {
        QTest::addColumn<int>("now");
        QTest::addColumn<QList<int>>("nowcast");
        QTest::addColumn<int>("minutesLate"); // wall clock past the data time
        QTest::addColumn<QString>("expected");

        const QList<int> dry(12, 0);
        QTest::newRow("dry hour") << 0 << dry << 2 << "この先1時間、雨の予報はありません";
        QTest::newRow("starts in 15 min, 5-10 mm/h at most")
            << 0 << QList<int>{0, 0, 2, 3, 2, 0, 0, 0, 0, 0, 0, 0} << 0
            << "約15分後から雨の見込み（5〜10 mm/h）";
        QTest::newRow("minutes count from the clock, rounded")
            << 0 << QList<int>{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0} << 3
            << "約10分後から雨の見込み（1〜5 mm/h）";
        QTest::newRow("never fewer than 5 minutes")
            << 0 << QList<int>{2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0} << 4
            << "約5分後から雨の見込み（1〜5 mm/h）";
        QTest::newRow("stops in 20 min") << 3 << QList<int>{3, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0} << 0
                                         << "雨は約20分後にやむ見込み";
        QTest::newRow("keeps on") << 2 << QList<int>(12, 3) << 0
                                  << "雨が続く見込み（最大 5〜10 mm/h）";
        QTest::newRow("strong rain on the way")
            << 0 << QList<int>{0, 0, 0, 0, 0, 0, 5, 6, 0, 0, 0, 0} << 0
            << "約35分後から雨の見込み（30〜50 mm/h）。強い雨に注意";
        QTest::newRow("strong rain now, stops")
            << 5 << QList<int>{4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0} << 0
            << "雨は約10分後にやむ見込み。強い雨に注意";
        QTest::newRow("heaviest band keeps on")
            << 8 << QList<int>(12, 8) << 0 << "雨が続く見込み（最大 80 mm/h以上）。強い雨に注意";
        QTest::newRow("newest frame 16 min old")
            << 0 << dry << 16 << "最新のレーダー情報がないため、見込みを出せません";
        QTest::newRow("no nowcast")
            << 2 << QList<int>{} << 0 << "最新のレーダー情報がないため、見込みを出せません";
    }

    void sentence()
    {
        QFETCH(int, now);
        QFETCH(QList<int>, nowcast);
        QFETCH(int, minutesLate);
        QFETCH(QString, expected);
        const RainOutlook outlook = outlookOf(now, nowcast);
        QCOMPARE(RainOutlookText::sentence(outlook, kDataTime.addSecs(60 * minutesLate)), expected);
    }

    // Thunder and tornado follow the sentence, and a stale outlook tells neither.
    void fullTextAddsThunderAndTornado()
    {
        RainOutlook outlook = outlookOf(0, QList<int>(12, 0));
        outlook.thunderLevel = 3;
        outlook.tornadoLevel = 1;
        QCOMPARE(RainOutlookText::fullText(outlook, kDataTime),
                 QStringLiteral("この先1時間、雨の予報はありません。雷の可能性（活動度3）。"
                                "竜巻などの激しい突風の可能性"));
        outlook.tornadoLevel = 0;
        QCOMPARE(RainOutlookText::fullText(outlook, kDataTime),
                 QStringLiteral("この先1時間、雨の予報はありません。雷の可能性（活動度3）"));
        QCOMPARE(RainOutlookText::fullText(outlook, kDataTime.addSecs(16 * 60)),
                 QStringLiteral("最新のレーダー情報がないため、見込みを出せません"));
    }

    // A step whose tile could not be had says nothing: an unknown "now" is no outlook, and
    // nowcast beyond the hour does not count towards it.
    void unknownAndLaterSteps()
    {
        RainOutlook outlook = outlookOf(0, QList<int>(12, 0));
        outlook.steps.append({kDataTime.addSecs(3900), Kind::Nowcast, 6, true});
        outlook.steps.append({kDataTime.addSecs(7200), Kind::Forecast, 6, true});
        QCOMPARE(RainOutlookText::sentence(outlook, kDataTime),
                 QStringLiteral("この先1時間、雨の予報はありません"));
        outlook.steps[1].known = false;
        QVERIFY(RainOutlookText::isStale(outlook, kDataTime));
    }
};

SHIGUREN_GUILESS_TEST(TestRainOutlookText)
#include "tst_rainoutlooktext.moc"
