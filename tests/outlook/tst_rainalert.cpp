#include "FakeClock.h"
#include "TestRegistry.h"
#include "outlook/RainAlert.h"

#include <QSignalSpy>
#include <QTest>

namespace {

using AlertStepKind = RainOutlookStep::Kind;
using namespace std::chrono_literals;

const QString kPlace = QStringLiteral("千代田区");

// An outlook at `dataTime`: the newest observation with band `now`, then 5-minute nowcast
// bands, then hourly forecast bands after the nowcast hour.
RainOutlook alertOutlook(const QDateTime& dataTime, int now, const QList<int>& nowcast = {},
                         const QList<int>& forecast = {})
{
    RainOutlook outlook;
    outlook.placeName = kPlace;
    outlook.place = {35.69, 139.75};
    outlook.dataTime = dataTime;
    outlook.steps.append({dataTime.addSecs(-600), AlertStepKind::Observation, 8, true});
    outlook.steps.append({dataTime, AlertStepKind::Observation, now, true});
    QList<int> hour = nowcast;
    hour.resize(12, 0);
    for (qsizetype i = 0; i < hour.size(); ++i)
        outlook.steps.append(
            {dataTime.addSecs(300 * (i + 1)), AlertStepKind::Nowcast, hour[i], true});
    for (qsizetype i = 0; i < forecast.size(); ++i)
        outlook.steps.append(
            {dataTime.addSecs(3600 * (i + 2)), AlertStepKind::Forecast, forecast[i], true});
    return outlook;
}

RainAlertSettings alertsOn(double mmPerHour = 1.0, int leadMinutes = 30)
{
    return {true, mmPerHour, leadMinutes};
}

} // namespace

Q_DECLARE_METATYPE(RainAlertSettings)

class TestRainAlert : public QObject {
    Q_OBJECT

    // Moves the clock by `minutes` in 5-minute frames, each bringing a fresh outlook with
    // band `band` now and nothing ahead.
    static void framesFor(FakeClock& clock, RainAlert& alert, int minutes, int band)
    {
        for (int elapsed = 0; elapsed < minutes; elapsed += 5) {
            clock.advance(5min);
            alert.consider(alertOutlook(clock.now(), band));
        }
    }

private Q_SLOTS:
    void whichOutlookAlerts_data()
    {
        QTest::addColumn<RainOutlook>("outlook");
        QTest::addColumn<int>("minutesLate"); // the clock past the outlook's data time
        QTest::addColumn<RainAlertSettings>("settings");
        QTest::addColumn<bool>("alerts");

        const QDateTime t = FakeClock::scenarioNow();
        QTest::newRow("dry hour") << alertOutlook(t, 0) << 0 << alertsOn() << false;
        QTest::newRow("raining now") << alertOutlook(t, 2) << 0 << alertsOn() << true;
        QTest::newRow("raining now, weaker than chosen")
            << alertOutlook(t, 2) << 0 << alertsOn(5) << false;
        QTest::newRow("in 30 minutes, 30 ahead")
            << alertOutlook(t, 0, {0, 0, 0, 0, 0, 3}) << 0 << alertsOn() << true;
        QTest::newRow("in 35 minutes, 30 ahead")
            << alertOutlook(t, 0, {0, 0, 0, 0, 0, 0, 3}) << 0 << alertsOn() << false;
        QTest::newRow("in 35 minutes of the data, 30 of the clock")
            << alertOutlook(t, 0, {0, 0, 0, 0, 0, 0, 3}) << 5 << alertsOn() << true;
        QTest::newRow("forecast in 2 hours, 60 ahead")
            << alertOutlook(t, 0, {}, {6}) << 0 << alertsOn(1, 60) << false;
        QTest::newRow("the older observations are past")
            << alertOutlook(t, 0) << 0 << alertsOn(0.1) << false;
        QTest::newRow("stale") << alertOutlook(t, 6) << 16 << alertsOn() << false;
        QTest::newRow("switched off") << alertOutlook(t, 6) << 0 << RainAlertSettings{} << false;

        RainOutlook unknown = alertOutlook(t, 0, {0, 7});
        unknown.steps[3].known = false;
        QTest::newRow("unknown step") << unknown << 0 << alertsOn() << false;
        RainOutlook forecastSoon = alertOutlook(t, 0);
        forecastSoon.steps.append({t.addSecs(1800), AlertStepKind::Forecast, 4, true});
        QTest::newRow("forecast step inside the lead time")
            << forecastSoon << 0 << alertsOn() << true;
    }

    void whichOutlookAlerts()
    {
        QFETCH(RainOutlook, outlook);
        QFETCH(int, minutesLate);
        QFETCH(RainAlertSettings, settings);
        QFETCH(bool, alerts);
        FakeClock clock(outlook.dataTime.addSecs(60 * minutesLate));
        RainAlert alert;
        alert.setSettings(settings);
        QSignalSpy alerted(&alert, &RainAlert::alerted);
        alert.consider(outlook);
        QCOMPARE(alerted.size(), alerts ? 1 : 0);
    }

    void theAlertTellsThePlaceAndTheSentence()
    {
        FakeClock clock;
        RainAlert alert;
        alert.setSettings(alertsOn());
        QSignalSpy alerted(&alert, &RainAlert::alerted);
        alert.consider(alertOutlook(clock.now(), 0, {0, 0, 3}));
        QCOMPARE(alerted.size(), 1);
        QCOMPARE(alerted[0][0].toString(), QStringLiteral("雨の見込み"));
        QCOMPARE(alerted[0][1].toString(),
                 QStringLiteral("千代田区：約15分後から雨の見込み（5〜10 mm/h）"));
    }

    // Once an episode: rain that stays, or comes back before 30 dry minutes, is not told again.
    void oneAlertAnEpisode_data()
    {
        QTest::addColumn<QList<int>>("minutesAndBands"); // pairs: minutes of frames, band
        QTest::addColumn<int>("alerts");
        QTest::newRow("rain that stays") << QList<int>{60, 3} << 1;
        QTest::newRow("back after 25 dry minutes") << QList<int>{25, 0, 5, 3} << 1;
        QTest::newRow("back after 30 dry minutes") << QList<int>{30, 0, 5, 3} << 2;
        QTest::newRow("a shower inside the dry wait starts it again")
            << QList<int>{20, 0, 5, 3, 20, 0, 5, 3} << 1;
        QTest::newRow("a stale frame inside the dry wait starts it again")
            << QList<int>{20, 0, 5, -1, 20, 0, 5, 3} << 1;
        QTest::newRow("rain below the threshold is dry") << QList<int>{30, 1, 5, 3} << 2;
    }

    void oneAlertAnEpisode()
    {
        QFETCH(QList<int>, minutesAndBands);
        QFETCH(int, alerts);
        FakeClock clock;
        RainAlert alert;
        alert.setSettings(alertsOn());
        QSignalSpy alerted(&alert, &RainAlert::alerted);
        alert.consider(alertOutlook(clock.now(), 3));
        QCOMPARE(alerted.size(), 1);
        for (qsizetype i = 0; i + 1 < minutesAndBands.size(); i += 2) {
            const int band = minutesAndBands[i + 1];
            if (band < 0) { // an outlook from before an outage
                clock.advance(std::chrono::minutes(minutesAndBands[i]));
                alert.consider(alertOutlook(clock.now().addSecs(-20 * 60), 0));
            } else {
                framesFor(clock, alert, minutesAndBands[i], band);
            }
        }
        QCOMPARE(alerted.size(), alerts);
    }

    // Switching on, or moving to another place, starts a new episode at once.
    void newEpisodes()
    {
        FakeClock clock;
        RainAlert alert;
        QSignalSpy alerted(&alert, &RainAlert::alerted);
        alert.consider(alertOutlook(clock.now(), 4));
        QCOMPARE(alerted.size(), 0);
        alert.setSettings(alertsOn());
        QCOMPARE(alerted.size(), 1);
        alert.setSettings(alertsOn(0.1));
        QCOMPARE(alerted.size(), 1);
        alert.setSettings({});
        alert.setSettings(alertsOn());
        QCOMPARE(alerted.size(), 2);

        RainOutlook elsewhere = alertOutlook(clock.now(), 4);
        elsewhere.placeName = QStringLiteral("那覇市");
        elsewhere.place = {26.21, 127.68};
        alert.consider(elsewhere);
        QCOMPARE(alerted.size(), 3);
        QVERIFY(alerted[2][1].toString().startsWith(QStringLiteral("那覇市：")));
    }
};

SHIGUREN_GUILESS_TEST(TestRainAlert)
#include "tst_rainalert.moc"
