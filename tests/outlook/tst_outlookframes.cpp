// Which frames an outlook samples: the hour of observations, the hour of nowcast, the hourly
// forecasts beyond, in both timeline ranges.
#include "OutlookTestSupport.h"
#include "TestRegistry.h"
#include "outlook/OutlookFrames.h"

#include <QTest>

#include <algorithm>

using namespace OutlookTest;
using StepKind = RainOutlookStep::Kind;

namespace {

// Picks as "kind@minutes from the newest observation", the way the cases are written.
QStringList described(const OutlookFrames::Selection& selection)
{
    QStringList out;
    for (const OutlookFrames::Pick& pick : selection.picks) {
        const char* kind = pick.kind == StepKind::Observation ? "obs"
                           : pick.kind == StepKind::Nowcast   ? "now"
                                                              : "fc";
        out.append(QStringLiteral("%1@%2")
                       .arg(QLatin1String(kind))
                       .arg(selection.newestObservation.secsTo(pick.frame.date) / 60));
    }
    return out;
}

QStringList expectedSteps(int observedMinutes, int hourlyFrom, int hours)
{
    QStringList out;
    for (int m = -observedMinutes; m <= 0; m += 5)
        out.append(QStringLiteral("obs@%1").arg(m));
    for (int m = 5; m <= 60; m += 5)
        out.append(QStringLiteral("now@%1").arg(m));
    for (int h = 0; h < hours; ++h)
        out.append(QStringLiteral("fc@%1").arg(hourlyFrom + 60 * h));
    return out;
}

} // namespace

class TestOutlookFrames : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void framesBecomeSteps_data()
    {
        QTest::addColumn<RadarFrames>("frames");
        QTest::addColumn<QStringList>("steps");

        QTest::newRow("three hours of observations, no forecast range")
            << threeHourFrames(180, 0) << expectedSteps(60, 0, 0);
        QTest::newRow("forecast range on: hourly forecasts after the nowcast hour")
            << threeHourFrames(180, 4) << expectedSteps(60, 110, 4);
        QTest::newRow("less than an hour observed")
            << threeHourFrames(20, 1) << expectedSteps(20, 110, 1);

        RadarFrames shuffled = threeHourFrames(60, 2);
        std::reverse(shuffled.begin(), shuffled.end());
        QTest::newRow("order of the frames does not matter")
            << shuffled << expectedSteps(60, 110, 2);

        RadarFrames longNowcast = threeHourFrames(60, 0);
        longNowcast << nowcast(65) << nowcast(120) << hourly(-30, 1);
        QTest::newRow("nowcast past the hour and forecasts inside it are left out")
            << longNowcast << expectedSteps(60, 0, 0);

        QTest::newRow("no observation, no steps")
            << RadarFrames{nowcast(5), nowcast(10), hourly(0, 2)} << QStringList{};
        QTest::newRow("nothing") << RadarFrames{} << QStringList{};
    }
    void framesBecomeSteps()
    {
        QFETCH(RadarFrames, frames);
        QFETCH(QStringList, steps);
        const OutlookFrames::Selection selection = OutlookFrames::select(frames);
        QCOMPARE(described(selection), steps);
        QCOMPARE(selection.newestObservation.isValid(), !steps.isEmpty());
        if (!steps.isEmpty())
            QCOMPARE(selection.newestObservation, kNewest);
    }

    void twelveHourRangeTakesNowcastFromElsewhere()
    {
        const RadarFrames analysis = twelveHourFrames();
        QVERIFY(!OutlookFrames::holdsNowcast(analysis));
        // Alone it has no 5-minute observation to count the next hour from.
        QCOMPARE(OutlookFrames::select(OutlookFrames::withForecastsOf({}, analysis)).picks.size(),
                 0);

        const RadarFrames nowcastFrames = threeHourFrames(180, 0);
        QVERIFY(OutlookFrames::holdsNowcast(nowcastFrames));
        // Forecasts hidden: observations alone hold no hour ahead either.
        RadarFrames observed = nowcastFrames;
        observed.removeIf([](const RadarFrame& frame) { return frame.isForecast(); });
        QVERIFY(!OutlookFrames::holdsNowcast(observed));
        const OutlookFrames::Selection selection =
            OutlookFrames::select(OutlookFrames::withForecastsOf(nowcastFrames, analysis));
        // The analyses' own observations never stand in for the nowcast's; its forecasts
        // before the end of the nowcast hour are left out.
        QCOMPARE(described(selection), expectedSteps(60, 90, 5));
        QCOMPARE(selection.newestObservation, kNewest);
    }
};

SHIGUREN_GUILESS_TEST(TestOutlookFrames)
#include "tst_outlookframes.moc"
