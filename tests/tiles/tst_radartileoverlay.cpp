#include "FakeClock.h"
#include "FakeHttpServer.h"
#include "TestRegistry.h"
#include "TileLoaderFixture.h"
#include "tiles/RadarTileLoader.h"
#include "tiles/RadarTileOverlay.h"

#include <QTest>
#include <QThread>

#include <atomic>

using namespace std::chrono_literals;

namespace {

const RadarFrame kFrame = TileTestData::kNowcast;

// Collects the results handed to the map; each request must answer exactly once.
struct Results {
    QList<TileResult> received;
    TileOverlay::ResultCallback callback()
    {
        return [this](TileResult result) { received.append(std::move(result)); };
    }
};

} // namespace

class TestRadarTileOverlay : public QObject {
    Q_OBJECT

    std::unique_ptr<TileLoaderFixture> m_fixture;
    FakeHttpServer* m_server = nullptr;
    RadarTileLoader* m_loader = nullptr;
    QByteArray m_rain;

private Q_SLOTS:
    void init()
    {
        m_fixture = std::make_unique<TileLoaderFixture>();
        QVERIFY(m_fixture->listening);
        m_server = &m_fixture->server;
        m_loader = m_fixture->loader.get();
        m_rain = TileTestData::tileFile("hrpns_rain_blobs_p4.png");
        m_fixture->serveEverything(m_rain);
    }
    void cleanup() { m_fixture.reset(); }

    void withoutAFrameTheRequestFailsAtOnce()
    {
        auto overlay = RadarTileOverlay::create(m_loader);
        int busyCalls = 0;
        overlay->setOnBusyChange([&] { ++busyCalls; });
        Results results;
        overlay->loadTile(TilePath{{6, 56, 25}, 1}, results.callback());
        QCOMPARE(results.received.size(), 1);
        QCOMPARE(results.received.first().error, TileResult::Error::NotFound);
        QVERIFY(!overlay->isBusy());
        QCOMPARE(busyCalls, 0);
        QVERIFY(!overlay->lastRequestAt());
    }

    void aDeliveredTileIsRecorded()
    {
        auto overlay = RadarTileOverlay::create(m_loader);
        overlay->setFrame(kFrame);
        Results results;
        overlay->loadTile(TilePath{{6, 56, 25}, 1}, results.callback());
        QVERIFY(overlay->isBusy());
        QTRY_COMPARE(results.received.size(), 1);
        QVERIFY(results.received.first().ok());
        QCOMPARE(results.received.first().encoded, m_rain);
        QTRY_VERIFY(!overlay->isBusy());
        QCOMPARE(overlay->deliveredKeys(), QSet<QString>{QStringLiteral("6/56/25")});

        // Now in the loader's memory: answered before the call returns, nothing in flight.
        overlay->loadTile(TilePath{{6, 56, 25}, 1}, results.callback());
        QCOMPARE(results.received.size(), 2);
        QCOMPARE(results.received.last().encoded, m_rain);
        QVERIFY(!overlay->isBusy());
        QCOMPARE(overlay->lastRequestedZ(), 6);
        QVERIFY(overlay->lastSuccessAt());
    }

    void aSecondRequestForTheSameKeyCancelsTheFirst()
    {
        m_server->setHandler([rain = m_rain](const RecordedRequest&) {
            return FakeResponse::png(rain).withDelay(100);
        });
        auto overlay = RadarTileOverlay::create(m_loader);
        overlay->setFrame(kFrame);
        Results first;
        Results second;
        overlay->loadTile(TilePath{{6, 56, 25}, 1}, first.callback());
        overlay->loadTile(TilePath{{6, 56, 25}, 1}, second.callback());
        QTRY_COMPARE(first.received.size(), 1);
        QCOMPARE(first.received.first().error, TileResult::Error::Cancelled);
        QCOMPARE(overlay->inFlightCount(), 1); // the first's clean-up left the second alone
        QTRY_COMPARE(second.received.size(), 1);
        QVERIFY(second.received.first().ok());
        QTRY_COMPARE(overlay->inFlightCount(), 0);
        QCOMPARE(first.received.size(), 1);
    }

    void oneFailureGivesOneReloadAfterFiveSeconds()
    {
        m_server->setHandler([](const RecordedRequest&) { return FakeResponse::error(404); });
        FakeClock clock;
        auto overlay = RadarTileOverlay::create(m_loader);
        overlay->setFrame(kFrame);
        QList<RadarTileOverlay::Recovery> notices;
        QList<bool> busyReports;
        overlay->setOnLoadFailure([&](RadarTileOverlay::Recovery r) { notices.append(r); });
        overlay->setOnBusyChange([&] { busyReports.append(overlay->isBusy()); });
        Results results;
        overlay->loadTile(TilePath{{6, 56, 25}, 1}, results.callback());
        QVERIFY(m_fixture->endRetryPauses(clock, 1));
        QTRY_COMPARE(results.received.size(), 1);
        QCOMPARE(results.received.first().error, TileResult::Error::NotFound);
        QTRY_COMPARE(overlay->inFlightCount(), 0);

        clock.advance(4999ms);
        QVERIFY(notices.isEmpty());
        clock.advance(1ms);
        QCOMPARE(notices, QList<RadarTileOverlay::Recovery>{RadarTileOverlay::Recovery::Reload});
        clock.advance(60s);
        QCOMPARE(notices.size(), 1);
        QCOMPARE(busyReports, QList<bool>{true}); // idle → busy once, then busy throughout
        QVERIFY(overlay->isBusy());

        // Further failures without a success: reload, then rebuild from the third notice.
        for (int round = 0; round < 2; ++round) {
            overlay->loadTile(TilePath{{6, 56, 26 + round}, 1}, results.callback());
            QVERIFY(m_fixture->endRetryPauses(clock, 4 + 3 * round));
            QTRY_COMPARE(results.received.size(), 2 + round);
            clock.advance(5s);
        }
        QCOMPARE(notices, (QList<RadarTileOverlay::Recovery>{RadarTileOverlay::Recovery::Reload,
                                                             RadarTileOverlay::Recovery::Reload,
                                                             RadarTileOverlay::Recovery::Rebuild}));
    }

    void deliveredKeysAreBounded()
    {
        // Zoom 16 tiles are cut from a few zoom-10 tiles, so thousands cost few downloads.
        auto overlay = RadarTileOverlay::create(m_loader);
        overlay->setFrame(kFrame);
        Results results;
        for (int x = 0; x < 4097; ++x)
            overlay->loadTile(TilePath{{16, 58000 + x, 25000}, 1}, results.callback());
        QTRY_COMPARE_WITH_TIMEOUT(results.received.size(), 4097, 20000);
        QTRY_COMPARE(overlay->inFlightCount(), 0);
        QCOMPARE(overlay->deliveredKeys().size(), 1);
    }

    void teardownAnswersEveryRequestAndDropsCallbacks()
    {
        m_server->setHandler([](const RecordedRequest&) { return FakeResponse::hanging(); });
        auto overlay = RadarTileOverlay::create(m_loader);
        overlay->setFrame(kFrame);
        int busyCalls = 0;
        overlay->setOnBusyChange([&] { ++busyCalls; });
        Results results;
        for (int x = 0; x < 5; ++x)
            overlay->loadTile(TilePath{{6, x, 25}, 1}, results.callback());
        QTRY_COMPARE(m_server->requests().size(), 5);
        const int before = busyCalls;
        overlay->teardown();
        QTRY_COMPARE(results.received.size(), 5);
        for (const TileResult& result : results.received)
            QCOMPARE(result.error, TileResult::Error::Cancelled);
        QCOMPARE(overlay->inFlightCount(), 0);
        QCOMPARE(busyCalls, before);
    }

    void requestsFromManyThreadsEachAnswerOnce()
    {
        auto overlay = RadarTileOverlay::create(m_loader);
        overlay->setFrame(kFrame);
        std::atomic<int> answered{0};
        std::atomic<int> delivered{0};
        constexpr int kThreads = 8;
        constexpr int kPerThread = 60;
        QList<QThread*> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.append(QThread::create([&, t] {
                for (int i = 0; i < kPerThread; ++i) {
                    // Overlapping keys: neighbouring threads ask for the same tiles.
                    const int x = (t * 7 + i) % 40;
                    overlay->loadTile(TilePath{{6, x, 25}, 1}, [&](TileResult result) {
                        answered.fetch_add(1);
                        if (result.ok())
                            delivered.fetch_add(1);
                    });
                    if (i % 10 == 0)
                        overlay->resetDeliveries();
                    (void)overlay->isBusy();
                }
            }));
            threads.last()->start();
        }
        for (QThread* thread : threads) {
            while (!thread->wait(10))
                QCoreApplication::processEvents();
            delete thread;
        }
        QTRY_COMPARE_WITH_TIMEOUT(answered.load(), kThreads * kPerThread, 20000);
        QTRY_COMPARE(overlay->inFlightCount(), 0);
        QVERIFY(delivered.load() > 0);
        QVERIFY(!overlay->isBusy());
    }
};

SHIGUREN_GUILESS_TEST(TestRadarTileOverlay)
#include "tst_radartileoverlay.moc"
