#include "TestRegistry.h"
#include "TestTime.h"
#include "radar/ListingSchedule.h"

#include <QTest>

#include <algorithm>
#include <random>

namespace {

// An agency that lists each 5-minute time at `phase` seconds after it, give or take
// `jitter`, and a client that asks when the schedule says, each answer 0.3 s after asking.
struct Listing {
    double phase = 90;
    double jitter = 0;
    double phaseFrom = 0; // seconds into the run where the phase becomes `laterPhase`
    double laterPhase = 0;
    int lateSlot = -1;    // this slot is listed 100 s late
    int skippedSlot = -1; // this slot is never listed
};

struct Outcome {
    double worstDelayLearning = 0; // listing to first answer showing it, in the first 30 min
    double worstDelayKnown = 0;    // the same afterwards (late and moved listings left out)
    int worstRequestsPerHour = 0;
    bool phaseKnown = false;
};

Outcome simulate(const Listing& agency, int hours, unsigned seed)
{
    const QDateTime start = testing::utc(2025, 8, 29, 3, 2, 17);
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> jitter(-agency.jitter, agency.jitter);
    // Slot i is the time start − 5 min + 5i min, rounded down to five minutes.
    const QDateTime firstSlot =
        QDateTime::fromSecsSinceEpoch((start.toSecsSinceEpoch() / 300 - 1) * 300, start.timeZone());
    const int slots = hours * 12 + 2;
    QList<double> listedAt; // seconds since start
    for (int i = 0; i < slots; ++i) {
        const double slot = double(start.secsTo(firstSlot.addSecs(300 * i)));
        const double phase =
            slot >= agency.phaseFrom && agency.phaseFrom > 0 ? agency.laterPhase : agency.phase;
        double at = slot + phase + jitter(random);
        if (i == agency.lateSlot)
            at += 100;
        if (i == agency.skippedSlot)
            at = 1e12;
        listedAt.append(i == 0 ? -1 : at);
    }

    ListingSchedule schedule;
    Outcome outcome;
    QList<double> asked;
    QList<double> seenAt(slots, -1);
    double t = 0;
    const double end = hours * 3600.0;
    while (t < end) {
        const QDateTime now = start.addMSecs(qint64(t * 1000));
        t += std::max(0.05, schedule.secondsUntilNextPoll(now));
        asked.append(t);
        const double answered = t + 0.3;
        int newest = -1;
        for (int i = 0; i < slots; ++i) {
            if (listedAt[i] <= t) {
                newest = std::max(newest, i);
                if (seenAt[i] < 0)
                    seenAt[i] = answered;
            }
        }
        schedule.noteList(start.addMSecs(qint64(answered * 1000)),
                          newest < 0 ? QDateTime() : firstSlot.addSecs(300 * newest));
        t = answered;
    }
    for (int i = 1; i < slots; ++i) {
        if (seenAt[i] < 0 || listedAt[i] < 0 || listedAt[i] > end - 60)
            continue;
        const double delay = seenAt[i] - listedAt[i];
        const bool disturbed = i == agency.lateSlot || i == agency.lateSlot + 1 ||
                               (agency.phaseFrom > 0 && listedAt[i] >= agency.phaseFrom &&
                                listedAt[i] < agency.phaseFrom + 1800);
        double& worst =
            listedAt[i] < 1800 || disturbed ? outcome.worstDelayLearning : outcome.worstDelayKnown;
        worst = std::max(worst, delay);
    }
    for (double from = 0; from + 3600 <= end; from += 300) {
        const auto inHour = std::count_if(asked.cbegin(), asked.cend(), [from](double a) {
            return a >= from && a < from + 3600;
        });
        outcome.worstRequestsPerHour = std::max(outcome.worstRequestsPerHour, int(inHour));
    }
    outcome.phaseKnown = schedule.isPhaseKnown();
    return outcome;
}

} // namespace

class TestListingSchedule : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void followsTheAgency_data()
    {
        QTest::addColumn<Listing>("agency");
        QTest::addColumn<bool>("endsKnown");
        QTest::newRow("steady 40 s") << Listing{40} << true;
        QTest::newRow("steady 97 s") << Listing{97} << true;
        QTest::newRow("steady 233 s, 2 s jitter") << Listing{233, 2} << true;
        QTest::newRow("151 s, 4 s jitter") << Listing{151, 4} << true;
        QTest::newRow("one listing late") << Listing{120, 1, 0, 0, 20} << true;
        QTest::newRow("one listing skipped") << Listing{75, 1, 0, 0, -1, 20} << true;
        QTest::newRow("the phase moves by 50 s") << Listing{80, 1, 5400, 130} << true;
        // Jitter wider than the schedule's window: it keeps up at the steady pace at worst.
        QTest::newRow("20 s jitter") << Listing{100, 20} << false;
    }
    void followsTheAgency()
    {
        QFETCH(Listing, agency);
        QFETCH(bool, endsKnown);
        for (unsigned seed = 1; seed <= 5; ++seed) {
            const Outcome outcome = simulate(agency, 4, seed);
            QVERIFY2(outcome.worstRequestsPerHour <= 60,
                     qPrintable(QString::number(outcome.worstRequestsPerHour)));
            QVERIFY2(outcome.worstDelayLearning <= 61,
                     qPrintable(QString::number(outcome.worstDelayLearning)));
            if (endsKnown) {
                QVERIFY2(outcome.worstDelayKnown <= 10,
                         qPrintable(QString::number(outcome.worstDelayKnown)));
                QVERIFY(outcome.phaseKnown);
            } else {
                QVERIFY2(outcome.worstDelayKnown <= 61,
                         qPrintable(QString::number(outcome.worstDelayKnown)));
            }
            if (seed == 1)
                qInfo("%s: worst delay %.1f s learning, %.1f s after; %d requests/h at most",
                      QTest::currentDataTag(), outcome.worstDelayLearning, outcome.worstDelayKnown,
                      outcome.worstRequestsPerHour);
        }
    }

    // Before anything is known, and after the machine slept through listings: the steady
    // pace, and at once when the last request is long past.
    void startsAndWakesAtTheSteadyPace()
    {
        ListingSchedule schedule;
        const QDateTime t0 = testing::utc(2025, 8, 29, 5, 31, 30);
        QCOMPARE(schedule.secondsUntilNextPoll(t0), 0.0);
        schedule.noteList(t0, testing::utc(2025, 8, 29, 5, 30));
        QCOMPARE(schedule.secondsUntilNextPoll(t0), 60.0);
        QVERIFY(!schedule.nextListing(t0));

        // 5:35 was listed between 5:36:30 and 5:36:33: 90–93 s after its time.
        schedule.noteList(t0.addSecs(300), testing::utc(2025, 8, 29, 5, 30));
        QVERIFY(!schedule.isPhaseKnown());
        schedule.noteList(t0.addSecs(303), testing::utc(2025, 8, 29, 5, 35));
        QVERIFY(schedule.isPhaseKnown());
        QCOMPARE(schedule.nextListing(t0.addSecs(303)), testing::utc(2025, 8, 29, 5, 41, 33));
        // Asked again 91 s after 5:40, just after it can first be there.
        QCOMPARE(schedule.secondsUntilNextPoll(t0.addSecs(303)), 300.0 - 3 + 1);

        // Asleep for two hours: ask at once.
        QCOMPARE(schedule.secondsUntilNextPoll(t0.addSecs(7200)), 0.0);
        // A request without an answer paces the next one without teaching anything.
        schedule.noteRequest(t0.addSecs(7200));
        QVERIFY(schedule.secondsUntilNextPoll(t0.addSecs(7200)) >= 3.0);
    }
};

SHIGUREN_GUILESS_TEST(TestListingSchedule)
#include "tst_listingschedule.moc"
