#include "FakeClock.h"
#include "LogCapture.h"
#include "TestRegistry.h"
#include "platform/Logging.h"
#include "platform/ServiceStatus.h"
#include "platform/async/RefreshLoop.h"
#include "platform/async/Sleep.h"

#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using FirstRound = async::RefreshLoop::FirstRound;

namespace {

// One pass of a service: notes when it starts (in seconds on the fake clock) and whether
// it was torn down before it ended, and takes `seconds` to run.
struct Passes {
    QDateTime origin = Clock::current().now();
    QList<double> starts;
    int unfinished = 0;

    async::Task<void> pass(double seconds)
    {
        starts.append(secondsBetween(origin, Clock::current().now()));
        bool finished = false;
        auto mark = qScopeGuard([this, &finished] { unfinished += finished ? 0 : 1; });
        async::SleepAwaiter work = async::sleepSeconds(seconds);
        co_await work;
        finished = !async::isCancelled();
    }
};

} // namespace

// Forwards a status's signals the way the services do.
class StatusOwner : public QObject {
    Q_OBJECT
Q_SIGNALS:
    void loadingChanged();
    void messageChanged();
};

class TestServiceStatus : public QObject {
    Q_OBJECT

    std::optional<FakeClock> m_clock;

private Q_SLOTS:
    void init() { m_clock.emplace(); }
    void cleanup() { m_clock.reset(); }

    void signalsFireOnlyOnRealChanges()
    {
        ServiceStatus status(lcWeather, u"予報取得失敗"_s, u"天気予報"_s);
        StatusOwner owner;
        status.forwardTo(&owner, &StatusOwner::loadingChanged, &StatusOwner::messageChanged);
        QSignalSpy loading(&owner, &StatusOwner::loadingChanged);
        QSignalSpy message(&owner, &StatusOwner::messageChanged);
        QSignalSpy updated(&status, &ServiceStatus::lastUpdatedChanged);

        status.setLoading(false);
        status.setLoading(true);
        status.setLoading(true);
        QCOMPARE(loading.count(), 1);

        // Null and empty differ: null is "no error".
        status.setErrorMessage(QString());
        status.setErrorMessage(u""_s);
        status.setErrorMessage(u""_s);
        QCOMPARE(message.count(), 1);
        QVERIFY(!status.errorMessage().isNull());

        status.markSucceeded();
        status.markSucceeded(); // the same instant: nothing new
        QCOMPARE(updated.count(), 1);
        QCOMPARE(message.count(), 2);
        QVERIFY(status.errorMessage().isNull());
        QCOMPARE(status.lastUpdated(), m_clock->now());

        m_clock->advance(30s);
        status.markSucceeded();
        QCOMPARE(updated.count(), 2);
        QCOMPARE(status.lastUpdated(), m_clock->now());
    }

    void aFailureIsLoggedAndToldInJapaneseKeepingTheLastSuccess()
    {
        LogCapture log(QString::fromLatin1(lcTyphoon().categoryName()));
        ServiceStatus status(lcTyphoon, u"targetTc 取得失敗"_s, u"台風情報"_s);
        status.markSucceeded();
        const QDateTime succeeded = status.lastUpdated();
        m_clock->advance(60s);

        status.markFailed(u"HTTP 503"_s);
        QCOMPARE(status.errorMessage(), u"台風情報を取得できませんでした（HTTP 503）"_s);
        QCOMPARE(status.lastUpdated(), succeeded);
        QCOMPARE(log.matching(u"targetTc 取得失敗: HTTP 503"_s).size(), 1);
    }

    // Passes take 10 s; the next one starts 30 s after the previous one ended.
    void passesFollowTheIntervalAfterTheLastOneEnded_data()
    {
        QTest::addColumn<bool>("immediately");
        QTest::addColumn<QList<double>>("starts");
        QTest::newRow("first pass at once") << true << QList<double>{0, 40, 80};
        QTest::newRow("first pass after an interval") << false << QList<double>{30, 70, 110};
    }
    void passesFollowTheIntervalAfterTheLastOneEnded()
    {
        QFETCH(bool, immediately);
        QFETCH(QList<double>, starts);
        const FirstRound first = immediately ? FirstRound::Immediately : FirstRound::AfterInterval;
        Passes passes;
        async::TaskScope scope;
        async::RefreshLoop loop;
        loop.start(scope, 30, first, [&passes] { return passes.pass(10); });
        FakeClock::settle();
        for (int step = 0; step < 11; ++step)
            m_clock->advance(10s);
        QCOMPARE(passes.starts, starts);
        QVERIFY(loop.isRunning());
    }

    void startReplacesTheLoopAndStopEndsThePassUnderWay()
    {
        Passes passes;
        async::TaskScope scope;
        async::RefreshLoop loop;
        loop.start(scope, 30, FirstRound::Immediately, [&passes] { return passes.pass(10); });
        FakeClock::settle();
        loop.start(scope, 30, FirstRound::Immediately, [&passes] { return passes.pass(10); });
        FakeClock::settle();
        QCOMPARE(passes.unfinished, 1); // the first loop's pass, cut short
        m_clock->advance(5s);
        QCOMPARE(passes.starts, (QList<double>{0, 0}));

        loop.stop();
        FakeClock::settle();
        QVERIFY(!loop.isRunning());
        QCOMPARE(passes.unfinished, 2);
        m_clock->advance(300s);
        QCOMPARE(passes.starts.size(), 2);
    }

    void aLoopDiesWithItsScope()
    {
        Passes passes;
        async::RefreshLoop loop;
        {
            async::TaskScope scope;
            loop.start(scope, 30, FirstRound::Immediately, [&passes] { return passes.pass(10); });
            FakeClock::settle();
        }
        QCOMPARE(passes.unfinished, 1);
        QVERIFY(!loop.isRunning());
        QCOMPARE(m_clock->pendingTimers(), 0);
        loop.stop(); // a handle to a loop that is gone is harmless
    }
};

SHIGUREN_GUILESS_TEST(TestServiceStatus)
#include "tst_servicestatus.moc"
