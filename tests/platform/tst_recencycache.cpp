#include "TestRegistry.h"
#include "platform/RecencyCache.h"

#include <QTest>

class TestRecencyCache : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aLoopLargerThanTheBudgetKeepsHittingWhatFits()
    {
        // Five pictures shown in turn, one a second, in room for three.
        RecencyCache<int, QString> cache(3, 20'000);
        qint64 now = 0;
        int hits = 0;
        for (int pass = 0; pass < 3; ++pass) {
            for (int key = 0; key < 5; ++key, now += 1000) {
                if (cache.find(key, now))
                    ++hits;
                else
                    cache.insert(key, QString::number(key), 1, now);
            }
        }
        QCOMPARE(hits, 6); // keys 0–2 on the second and third pass; plain LRU would hit none
        QCOMPARE(cache.count(), 3);
        QCOMPARE(cache.totalCost(), 3);
    }

    void entriesUnusedForAWhileMakeRoom()
    {
        RecencyCache<int, QString> cache(2, 20'000);
        QVERIFY(cache.insert(1, QStringLiteral("a"), 1, 0));
        QVERIFY(cache.insert(2, QStringLiteral("b"), 1, 15'000));
        QVERIFY(!cache.insert(3, QStringLiteral("c"), 1, 19'999)); // both still in use
        QVERIFY(cache.insert(3, QStringLiteral("c"), 1, 20'000));  // 1 has aged out
        QVERIFY(!cache.find(1, 20'000));
        QCOMPARE(*cache.find(2, 20'000), QStringLiteral("b"));
        QVERIFY(!cache.insert(4, QStringLiteral("too big"), 3, 90'000));
        QCOMPARE(cache.count(), 2);
    }

    void replacingAnEntryCountsItsNewCost()
    {
        RecencyCache<int, QString> cache(10, 20'000);
        cache.insert(1, QStringLiteral("a"), 4, 0);
        cache.insert(1, QStringLiteral("A"), 6, 1);
        QCOMPARE(cache.totalCost(), 6);
        QCOMPARE(*cache.find(1, 2), QStringLiteral("A"));
        cache.remove(1);
        QCOMPARE(cache.totalCost(), 0);
        QCOMPARE(cache.count(), 0);
    }
};

SHIGUREN_TEST(TestRecencyCache)
#include "tst_recencycache.moc"
