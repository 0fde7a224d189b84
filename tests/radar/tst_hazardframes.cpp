#include "TestData.h"
#include "TestRegistry.h"
#include "radar/HazardFrames.h"
#include "radar/JMATime.h"

#include <QTest>

namespace {

// The real list 3 sample: thunder and tornado observed every 10 minutes from 02:30 to
// 05:30 UTC, forecasts of the 05:30 run from 05:40 to 06:30, lightning every 5 minutes.
QList<TargetTimeEntry> listThree()
{
    auto decoded =
        decodeTargetTimes(TestData::read(QStringLiteral("jma/nowc/targetTimes_N3.json")));
    return decoded.ok() ? decoded.value() : QList<TargetTimeEntry>{};
}

RadarFrame radarAt(const QString& hhmm, RadarFrame::Kind kind)
{
    const QString stamp = QStringLiteral("20250829") + hhmm + QStringLiteral("00");
    return {RadarProduct::Nowcast, stamp, stamp, kind, *JMATime::parse(stamp)};
}

// "0530 observation", "0540 forecast" or "none".
QString described(const std::optional<RadarFrame>& frame)
{
    if (!frame)
        return QStringLiteral("none");
    return frame->validtime.mid(8, 4) +
           (frame->isObservation() ? QStringLiteral(" observation") : QStringLiteral(" forecast"));
}

} // namespace

class TestHazardFrames : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void realListGivesObservationsAndTheNewestRun()
    {
        for (RadarProduct product : {RadarProduct::ThunderNowcast, RadarProduct::TornadoNowcast}) {
            const RadarFrames frames = HazardFrames::fromList(listThree(), product);
            QCOMPARE(frames.size(), 19 + 6);
            QCOMPARE(described(frames.first()), QStringLiteral("0230 observation"));
            QCOMPARE(described(frames.at(18)), QStringLiteral("0530 observation"));
            QCOMPARE(described(frames.last()), QStringLiteral("0630 forecast"));
            for (const RadarFrame& frame : frames) {
                QCOMPARE(frame.product, product);
                QCOMPARE(frame.basetime.mid(10, 2).toInt() % 10, 0); // no lightning-only rows
            }
        }
    }

    void aListWithoutTheElementGivesNothing()
    {
        QList<TargetTimeEntry> withoutThunder = listThree();
        for (TargetTimeEntry& entry : withoutThunder)
            entry.elements.removeAll(QStringLiteral("thns"));
        const RadarFrames frames =
            HazardFrames::fromList(withoutThunder, RadarProduct::ThunderNowcast);
        QVERIFY(frames.isEmpty());
        QVERIFY(!HazardFrames::matching(
            frames, radarAt(QStringLiteral("0530"), RadarFrame::Kind::Observation)));
        QCOMPARE(HazardFrames::fromList(withoutThunder, RadarProduct::TornadoNowcast).size(), 25);
    }

    void olderRunsDoNotOverrideTheNewest()
    {
        QList<TargetTimeEntry> entries = listThree();
        entries.append({QStringLiteral("20250829052000"),
                        QStringLiteral("20250829054000"),
                        {QStringLiteral("thns")}});
        const auto frame =
            HazardFrames::matching(HazardFrames::fromList(entries, RadarProduct::ThunderNowcast),
                                   radarAt(QStringLiteral("0540"), RadarFrame::Kind::Forecast));
        QVERIFY(frame);
        QCOMPARE(frame->basetime, QStringLiteral("20250829053000"));
    }

    void radarFramesFindTheirFrame_data()
    {
        QTest::addColumn<QString>("radarTime");
        QTest::addColumn<bool>("radarIsForecast");
        QTest::addColumn<bool>("withGapAt0420");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const char* time, bool forecast, bool gap,
                            const char* expected) {
            QTest::newRow(name) << QString::fromLatin1(time) << forecast << gap
                                << QString::fromLatin1(expected);
        };
        row("same time", "0530", false, false, "0530 observation");
        row("between two", "0525", false, false, "0520 observation");
        row("radar ahead of the list", "0535", false, false, "0530 observation");
        row("ten minutes is still current", "0540", false, false, "0530 observation");
        row("an observation never takes a forecast", "0545", false, false, "none");
        row("before the first", "0225", false, false, "none");
        row("the first", "0230", false, false, "0230 observation");
        row("forecast at the observation", "0530", true, false, "0530 observation");
        row("forecast between two", "0545", true, false, "0540 forecast");
        row("last forecast", "0630", true, false, "0630 forecast");
        row("ten minutes past the last forecast", "0640", true, false, "0630 forecast");
        row("beyond the hour", "0645", true, false, "none");
        row("hours ahead", "1130", true, false, "none");
        row("gap: nothing stale", "0425", false, true, "none");
        row("gap: ten minutes back", "0420", false, true, "0410 observation");
        row("after the gap", "0430", false, true, "0430 observation");
    }

    void radarFramesFindTheirFrame()
    {
        QFETCH(QString, radarTime);
        QFETCH(bool, radarIsForecast);
        QFETCH(bool, withGapAt0420);
        QFETCH(QString, expected);
        QList<TargetTimeEntry> entries = listThree();
        if (withGapAt0420)
            entries.removeIf([](const TargetTimeEntry& entry) {
                return entry.validtime == QStringLiteral("20250829042000");
            });
        for (RadarProduct product : {RadarProduct::ThunderNowcast, RadarProduct::TornadoNowcast}) {
            const auto frame = HazardFrames::matching(
                HazardFrames::fromList(entries, product),
                radarAt(radarTime, radarIsForecast ? RadarFrame::Kind::Forecast
                                                   : RadarFrame::Kind::Observation));
            QCOMPARE(described(frame), expected);
        }
    }
};

SHIGUREN_GUILESS_TEST(TestHazardFrames)

#include "tst_hazardframes.moc"
