#include "TestData.h"
#include "TestRegistry.h"
#include "radar/JMATime.h"
#include "radar/TimelineAssembly.h"

#include <QTest>

using namespace TimelineAssembly;

namespace {

TargetTimeEntry entry(const char* base, const char* valid, const char* element = "hrpns")
{
    return TargetTimeEntry{
        QString::fromLatin1(base), QString::fromLatin1(valid), {QString::fromLatin1(element)}};
}

// The analysis run issued at 29 August `base` (HHmm), valid at each of `valid` (HHmm).
QList<TargetTimeEntry> run(const char* base, std::initializer_list<const char*> valid)
{
    const QString day = QStringLiteral("20250829");
    QList<TargetTimeEntry> out;
    for (const char* time : valid)
        out.append({day + QLatin1String(base) + QStringLiteral("00"),
                    day + QLatin1String(time) + QStringLiteral("00"),
                    {QStringLiteral("rasrf")}});
    return out;
}

QStringList validtimes(const RadarFrames& frames)
{
    QStringList out;
    for (const RadarFrame& frame : frames)
        out.append(frame.validtime.mid(8, 4)); // HHmm is enough to read the tests
    return out;
}

QStringList strings(std::initializer_list<const char*> texts)
{
    QStringList out;
    for (const char* text : texts)
        out.append(QString::fromLatin1(text));
    return out;
}

QList<TargetTimeEntry> fixture(const QString& name)
{
    auto decoded = decodeTargetTimes(TestData::read(QStringLiteral("jma/") + name));
    return decoded.ok() ? decoded.value() : QList<TargetTimeEntry>{};
}

} // namespace

class TestTimelineAssembly : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void horizonIsClampedToOneAndFifteenHours()
    {
        const QList<TargetTimeEntry> observed{entry("20250829053000", "20250829053000")};
        const QList<TargetTimeEntry> forecast{entry("20250829053000", "20250829063000"),
                                              entry("20250829053000", "20250829063500")};
        const NowcastPlan short_ = planNowcast(observed, forecast, 0.5);
        QCOMPARE(validtimes(short_.frames), strings({"0530", "0630"}));
        QVERIFY(!short_.extended); // nothing beyond the nowcast hour is fetched

        const NowcastPlan long_ = planNowcast(observed, forecast, 20);
        QVERIFY(long_.extended);
        QCOMPARE(long_.extended->until, *JMATime::parse(QStringLiteral("20250829203000")));
    }

    void nowcastAtTheCutIsKeptButExtendedAtTheCutIsNot()
    {
        const NowcastPlan plan = planNowcast({entry("20250829053000", "20250829053000")},
                                             {entry("20250829053000", "20250829063000")}, 3.0);
        QCOMPARE(validtimes(plan.frames).last(), QStringLiteral("0630"));
        const QList<TargetTimeEntry> rasrf = run("0500", {"0630", "0730", "0830", "0930"});
        const RadarFrames extended = extendedForecastFrames(rasrf, *plan.extended);
        QCOMPARE(validtimes(extended), strings({"0730", "0830"}));
        for (const RadarFrame& frame : extended) {
            QCOMPARE(frame.product, RadarProduct::Analysis);
            QVERIFY(frame.isForecast());
        }
    }

    void withoutObservationsAllNowcastForecastsAreKept()
    {
        const QList<TargetTimeEntry> list1{entry("20250829053000", "20250829053000", "other")};
        const NowcastPlan plan =
            planNowcast(list1, fixture(QStringLiteral("nowc/targetTimes_N2.json")), 15.0);
        QCOMPARE(plan.frames.size(), 12);
        QVERIFY(!plan.extended);
    }

    void observationWinsNewestBaseWinsAndUnparsableTimesAreSkipped()
    {
        const RadarFrames observed = framesFrom({entry("20250829053000", "2025-08-29 05:30"),
                                                 entry("20250829053000", "20250829053000")},
                                                QStringLiteral("hrpns"), RadarProduct::Nowcast,
                                                RadarFrame::Kind::Observation);
        QCOMPARE(observed.size(), 1);
        const RadarFrames forecast = framesFrom(
            {entry("20250829052500", "20250829053000"), entry("20250829053000", "20250829054000"),
             entry("20250829052500", "20250829054000")},
            QStringLiteral("hrpns"), RadarProduct::Nowcast, RadarFrame::Kind::Forecast);
        const RadarFrames merged = merge(observed, forecast);
        QCOMPARE(merged.size(), 2);
        QVERIFY(merged.at(0).isObservation());
        QCOMPARE(merged.at(1).basetime, QStringLiteral("20250829053000"));
    }

    // Two runs listed at once must not interleave: the newest run is shown whole, an older
    // run only extends it further ahead.
    void forecastRunsAreNotInterleaved()
    {
        const QList<TargetTimeEntry> rasrf =
            run("0500", {"0700", "0800", "0900", "1000"}) + run("0520", {"0720", "0820"});
        const ExtendedWindow window{*JMATime::parse(QStringLiteral("20250829063000")),
                                    *JMATime::parse(QStringLiteral("20250829113000"))};
        const RadarFrames frames = extendedForecastFrames(rasrf, window);
        QCOMPARE(validtimes(frames), strings({"0720", "0820", "0900", "1000"}));
        QCOMPARE(frames.at(1).basetime, QStringLiteral("20250829052000"));
        QCOMPARE(frames.at(2).basetime, QStringLiteral("20250829050000"));

        // One run alone behaves exactly as a plain merge.
        const RadarFrames single = extendedForecastFrames(rasrf.mid(0, 4), window);
        QCOMPARE(validtimes(single), strings({"0700", "0800", "0900", "1000"}));
    }

    void analysisTimelineFromTheAgencyList()
    {
        const RadarFrames frames =
            analysisTimeline(fixture(QStringLiteral("rasrf/targetTimes.json")));
        // 14 analyses, the 05:20 run (06:20 … 11:20), then the 05:00 run beyond it (12:00 …
        // 20:00); the stray 05:10 run and the overlapped 05:00 hours are dropped.
        QStringList observed;
        QStringList forecast;
        for (const RadarFrame& frame : frames) {
            (frame.isObservation() ? observed : forecast).append(frame.validtime.mid(8, 4));
            QCOMPARE(frame.product, RadarProduct::Analysis);
        }
        QCOMPARE(observed.size(), 14);
        QCOMPARE(observed.last(), QStringLiteral("0520"));
        QCOMPARE(forecast, strings({"0620", "0720", "0820", "0920", "1020", "1120", "1200", "1300",
                                    "1400", "1500", "1600", "1700", "1800", "1900", "2000"}));
        QVERIFY(std::is_sorted(frames.begin(), frames.end(),
                               [](const auto& a, const auto& b) { return a.date < b.date; }));
    }
};

SHIGUREN_GUILESS_TEST(TestTimelineAssembly)
#include "tst_timelineassembly.moc"
