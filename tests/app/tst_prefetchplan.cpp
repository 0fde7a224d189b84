#include "RadarFrameFactory.h"
#include "TestRegistry.h"
#include "app/PrefetchPlan.h"

#include <QTest>

namespace {

const QDateTime kBase(QDate(2025, 8, 29), QTime(5, 30), Qt::UTC);

// Positions of `chosen` inside `all`, to compare windows by position.
QList<int> positions(const RadarFrames& all, const RadarFrames& chosen)
{
    QList<int> result;
    for (const RadarFrame& frame : chosen)
        result.append(int(all.indexOf(frame)));
    return result;
}

QList<int> range(int first, int last)
{
    QList<int> result;
    for (int i = first; i <= last; ++i)
        result.append(i);
    return result;
}

} // namespace

class TestPrefetchPlan : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void animationWindow_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("current"); // -1: no current frame; -2: one not in the list
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("near the start") << 30 << 3 << range(0, 13);
        QTest::newRow("near the end") << 30 << 27 << range(17, 29);
        QTest::newRow("middle") << 30 << 15 << range(5, 25);
        QTest::newRow("no current frame") << 30 << -1 << range(18, 29);
        QTest::newRow("current frame not in the list") << 30 << -2 << range(18, 29);
        QTest::newRow("short list, no current frame") << 12 << -1 << range(0, 11);
        QTest::newRow("empty") << 0 << -1 << QList<int>{};
    }
    void animationWindow()
    {
        QFETCH(int, count);
        QFETCH(int, current);
        QFETCH(QList<int>, expected);
        const RadarFrames frames = RadarFrameFactory::frames(kBase, count, {});
        std::optional<RadarFrame> currentFrame;
        if (current >= 0)
            currentFrame = frames[current];
        else if (current == -2)
            currentFrame = RadarFrameFactory::frameAt(kBase, 600, RadarFrame::Kind::Forecast);
        QCOMPARE(positions(frames, PrefetchPlan::aroundCurrentFrame(frames, currentFrame)),
                 expected);
    }

    void liveNeighbourhood_data()
    {
        QTest::addColumn<int>("currentIndex");
        QTest::addColumn<QList<int>>("expected");
        // Steps: 10 (now), 11..16 (+10 … +60), 18 (+2 h), 19 (+3 h), 20 (+4 h), 21 (+5 h).
        QTest::newRow("at the newest observation") << 10 << QList<int>{10, 11, 12, 13, 14, 15, 16};
        QTest::newRow("far ahead") << 20 << QList<int>{10, 11, 12, 13, 14, 15, 16, 18, 19, 20, 21};
        QTest::newRow("index not a step: as the first")
            << 17 << QList<int>{10, 11, 12, 13, 14, 15, 16};
    }
    void liveNeighbourhood()
    {
        QFETCH(int, currentIndex);
        QFETCH(QList<int>, expected);
        const RadarFrames frames =
            RadarFrameFactory::frames(kBase, 11, {10, 20, 30, 40, 50, 60, 70, 120, 180, 240, 300});
        const QList<int> steps{10, 11, 12, 13, 14, 15, 16, 18, 19, 20, 21};
        const auto minutesAhead = [&](int index) {
            return int(frames[10].date.secsTo(frames[index].date) / 60);
        };
        const RadarFrames chosen =
            PrefetchPlan::liveNeighbourhood(frames, steps, currentIndex, minutesAhead);
        QCOMPARE(positions(frames, chosen), expected);
    }
};

SHIGUREN_GUILESS_TEST(TestPrefetchPlan)
#include "tst_prefetchplan.moc"
