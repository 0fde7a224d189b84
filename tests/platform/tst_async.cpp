#include "FakeClock.h"
#include "TestRegistry.h"
#include "platform/async/Sleep.h"
#include "platform/async/TaskScope.h"
#include "platform/async/WhenAll.h"

#include <QTest>

#include <memory>

using namespace std::chrono_literals;

namespace {

async::Task<int> answerAfter(std::chrono::milliseconds delay, int value)
{
    co_await async::sleep(delay);
    co_return value;
}

async::Task<void> sumInto(int* out)
{
    const int a = co_await answerAfter(1s, 20);
    const int b = co_await answerAfter(2s, 22);
    *out = a + b;
}

// Records what a sleeping task saw when it woke.
struct Wake {
    bool started = false;
    bool finished = false;
    bool completedSleep = false;
    bool sawCancel = false;
};

async::Task<void> sleeper(std::chrono::milliseconds delay, Wake* wake)
{
    wake->started = true;
    wake->completedSleep = co_await async::sleep(delay);
    wake->sawCancel = async::isCancelled();
    wake->finished = true;
}

// Holds `token` in its frame: the token's use count shows whether the frame still exists.
async::Task<void> holdsToken(std::shared_ptr<int> token, bool* resumed)
{
    co_await async::sleep(10s);
    *resumed = bool(token);
}

// Counts how many run at once. A negative size answers nothing.
async::Task<std::optional<QByteArray>> bytesAfter(std::chrono::milliseconds delay, int size,
                                                  int* running, int* peak)
{
    *peak = std::max(*peak, ++*running);
    co_await async::sleep(delay);
    --*running;
    if (size < 0)
        co_return std::nullopt;
    co_return QByteArray(size, 'x');
}

// Five tasks, two at a time; the later ones finish sooner.
async::Task<void> joinBytes(int* running, int* peak, std::vector<qsizetype>* sizes)
{
    std::vector<async::Task<std::optional<QByteArray>>> tasks;
    for (int i = 0; i < 5; ++i)
        tasks.push_back(bytesAfter(std::chrono::milliseconds(100 * (5 - i)), i - 1, running, peak));
    auto join = async::whenAll(std::move(tasks), 2);
    const std::vector<std::optional<QByteArray>> results = co_await join;
    for (const auto& result : results)
        sizes->push_back(result ? result->size() : -1);
}

} // namespace

class TestAsync : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void nestedTasksPassValuesInOrder()
    {
        FakeClock clock;
        async::TaskScope scope;
        int result = 0;
        scope.spawn(sumInto(&result));
        clock.advance(1s);
        QCOMPARE(result, 0); // second sleep still running
        clock.advance(1999ms);
        QCOMPARE(result, 0);
        clock.advance(1ms);
        QCOMPARE(result, 42);
        QCOMPARE(scope.activeCount(), 0);
    }

    void spawnStartsOnTheNextEventLoopTurnUnlessTheScopeIsGone()
    {
        FakeClock clock;
        Wake wake;
        Wake orphan;
        async::TaskScope scope;
        const async::TaskHandle handle = scope.spawn(sleeper(1s, &wake));
        {
            async::TaskScope gone;
            gone.spawn(sleeper(1s, &orphan));
        }
        QVERIFY(!wake.started);
        QVERIFY(handle.isActive());
        FakeClock::settle();
        QVERIFY(wake.started && !wake.finished);
        QVERIFY(!orphan.started);
    }

    void cancellationEndsSleepsAtOnceAndIsVisibleAfterThem_data()
    {
        QTest::addColumn<bool>("started");
        QTest::addColumn<bool>("throughScope");
        QTest::newRow("while sleeping") << true << false;
        QTest::newRow("before it started") << false << false;
        QTest::newRow("every task of the scope") << true << true;
    }
    void cancellationEndsSleepsAtOnceAndIsVisibleAfterThem()
    {
        QFETCH(bool, started);
        QFETCH(bool, throughScope);
        FakeClock clock;
        async::TaskScope scope;
        Wake first;
        Wake second;
        const async::TaskHandle handle = scope.spawn(sleeper(1h, &first));
        const async::TaskHandle other = scope.spawn(sleeper(2h, &second));
        if (started)
            FakeClock::settle();
        if (throughScope) {
            scope.cancelAll();
        } else {
            handle.cancel();
            other.cancel();
        }
        QVERIFY(!first.finished); // never resumed inside cancel()
        FakeClock::settle();
        for (const Wake* wake : {&first, &second})
            QVERIFY(wake->finished && !wake->completedSleep && wake->sawCancel);
        QVERIFY(!handle.isActive());
        QCOMPARE(clock.pendingTimers(), 0);
    }

    void destroyingTheScopeDestroysSuspendedTasksWithoutResumingThem()
    {
        FakeClock clock;
        auto token = std::make_shared<int>(0);
        bool resumed = false;
        async::TaskHandle handle;
        {
            async::TaskScope scope;
            handle = scope.spawn(holdsToken(token, &resumed));
            FakeClock::settle();
            QCOMPARE(token.use_count(), 2);
        }
        QCOMPARE(token.use_count(), 1); // locals of the suspended frame were destroyed
        QCOMPARE(clock.pendingTimers(), 0);
        clock.advance(20s);
        QVERIFY(!resumed);
        QVERIFY(!handle.isActive());
    }

    void whenAllKeepsOrderAndLimit()
    {
        FakeClock clock;
        async::TaskScope scope;
        int running = 0;
        int peak = 0;
        std::vector<qsizetype> sizes;
        scope.spawn(joinBytes(&running, &peak, &sizes));
        clock.advance(2s);
        QCOMPARE(sizes, (std::vector<qsizetype>{-1, 0, 1, 2, 3}));
        QCOMPARE(peak, 2);
        QCOMPARE(running, 0);
    }

    void systemClockSleepsForRealTime()
    {
        async::TaskScope scope;
        Wake wake;
        QElapsedTimer elapsed;
        elapsed.start();
        scope.spawn(sleeper(120ms, &wake));
        QTRY_VERIFY_WITH_TIMEOUT(wake.finished, 2000);
        QVERIFY(wake.completedSleep);
        QVERIFY(elapsed.elapsed() >= 110);
    }
};

SHIGUREN_GUILESS_TEST(TestAsync)
#include "tst_async.moc"
