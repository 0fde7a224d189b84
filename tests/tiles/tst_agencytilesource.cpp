// The agency's tiles as bytes: addresses, members, retries, caches and session resets.
#include "FakeClock.h"
#include "FakeHttpServer.h"
#include "LogCapture.h"
#include "TaskTestUtils.h"
#include "TestRegistry.h"
#include "TileLoaderFixture.h"
#include "platform/async/WhenAll.h"
#include "tiles/AgencyTileSource.h"

#include <QElapsedTimer>
#include <QTest>

using namespace std::chrono_literals;
using namespace TileTestData;

class TestAgencyTileSource : public QObject {
    Q_OBJECT

    std::unique_ptr<TileLoaderFixture> m_fixture;
    std::unique_ptr<LogCapture> m_log;
    FakeHttpServer* m_server = nullptr;
    AgencyTileSource* m_source = nullptr;

    void serveEverything(const QByteArray& body) { m_fixture->serveEverything(body); }
    QStringList logLines(const QString& fragment) const { return m_log->matching(fragment); }
    int tileRequests(const QString& fragment) const { return m_fixture->tileRequests(fragment); }

    // Starts fetching one tile; `out` holds its answer once there is one.
    void startTile(async::TaskScope& scope, const RadarFrame& frame, TileId tile,
                   std::optional<std::optional<QByteArray>>* out)
    {
        scope.spawn([](async::Task<std::optional<QByteArray>> fetch,
                       std::optional<std::optional<QByteArray>>* answer) -> async::Task<void> {
            answer->emplace(co_await fetch);
        }(m_source->tileData(frame, tile), out));
    }

private Q_SLOTS:
    void init()
    {
        m_fixture = std::make_unique<TileLoaderFixture>();
        QVERIFY(m_fixture->listening);
        m_server = &m_fixture->server;
        m_source = &m_fixture->loader->agency();
        m_log = std::make_unique<LogCapture>(QStringLiteral("jp.shiguren.Shiguren.radar"));
    }
    void cleanup()
    {
        m_log.reset();
        m_fixture.reset();
    }

    void addressesFollowTheAgencyLayoutAndWarmTilesComeFromMemory()
    {
        serveEverything(tileFile("hrpns_rain_blobs_p4.png"));
        QVERIFY(runTask(m_source->tileData(kNowcast, {6, 56, 25})).value());
        QVERIFY(runTask(m_source->tileData(kNowcast, {6, 56, 25})).value());
        QCOMPARE(m_server->requests().size(), 1);
        QCOMPARE(m_server->requests().first().path,
                 QStringLiteral("/bosai/jmatile/data/nowc/20250829053000/none/20250829053000/"
                                "surf/hrpns/6/56/25.png"));
        QVERIFY(m_server->requests().first().query.isEmpty());
    }

    // A file where the cache folder should be (to the program, as broken as a full or
    // read-only disk): tiles come from the network once, then from memory, with no retries,
    // and the file is left alone.
    void aCacheFolderThatCannotBeWrittenCostsOnlyTheDisk()
    {
        QTemporaryDir home;
        const QString blocked = home.filePath(QStringLiteral("jmatile"));
        QFile blocker(blocked);
        QVERIFY(blocker.open(QIODevice::WriteOnly) && blocker.write("not a folder") > 0);
        blocker.close();
        QTest::failOnWarning(QRegularExpression(QStringLiteral("QNetworkDiskCache")));
        TileLoaderFixture fixture(blocked);
        fixture.serveEverything(tileFile("hrpns_rain_blobs_p4.png"));
        AgencyTileSource& source = fixture.loader->agency();
        for (int i = 0; i < 3; ++i)
            QCOMPARE(runTask(source.tileData(kNowcast, {6, 56, 25})).value(),
                     tileFile("hrpns_rain_blobs_p4.png"));
        QCOMPARE(fixture.server.requests().size(), 1);
        QCOMPARE(source.consecutiveFailures(), 0);
        QVERIFY(QFileInfo(blocked).isFile());
        // Said once, not at every download.
        QCOMPARE(logLines(QStringLiteral("キャッシュフォルダーに書き込めません")).size(), 1);
    }

    void threeNotFoundsGiveNothingAfterTwoPausesAndNoLog()
    {
        m_server->setHandler([](const RecordedRequest&) { return FakeResponse::error(404); });
        FakeClock clock;
        std::optional<std::optional<QByteArray>> result;
        async::TaskScope scope;
        startTile(scope, kNowcast, {6, 56, 25}, &result);
        QVERIFY(m_fixture->endRetryPauses(clock, 1));
        QTRY_VERIFY(result);
        QCOMPARE(m_server->requests().size(), 3);
        QVERIFY(!*result);
        QCOMPARE(m_source->consecutiveFailures(), 1);
        QVERIFY(m_log->lines().isEmpty());
    }

    void theServingMemberIsLearnedPerBaseTime()
    {
        const QByteArray rain = tileFile("rasrf_rain_blobs_p4.png");
        m_server->setHandler([rain](const RecordedRequest& request) {
            return request.path.contains(QStringLiteral("/immed/")) ? FakeResponse::error(404)
                                                                    : FakeResponse::png(rain);
        });
        FakeClock clock;
        std::optional<std::optional<QByteArray>> first;
        async::TaskScope scope;
        startTile(scope, kAnalysis, {6, 56, 25}, &first);
        QVERIFY(m_fixture->endRetryPauses(clock, 1, QStringLiteral("/immed/")));
        QTRY_VERIFY(first);
        QCOMPARE(*first, rain);
        QCOMPARE(tileRequests(QStringLiteral("/immed/")), 3);
        QCOMPARE(m_source->resolvedMember(kAnalysis), QStringLiteral("none"));

        QVERIFY(runTask(m_source->tileData(kAnalysis, {6, 57, 25})).value());
        QCOMPARE(tileRequests(QStringLiteral("/immed/")), 3); // straight to "none"
    }

    void freshEmptyTilesAreFetchedAgain()
    {
        serveEverything(tileFile("empty_placeholder_rgba.png"));
        FakeClock clock(kNowcast.date.addSecs(60)); // the frame is a minute old
        QVERIFY(runTask(m_source->tileData(kNowcast, {6, 56, 25})).value());
        QVERIFY(runTask(m_source->tileData(kNowcast, {6, 56, 25})).value());
        QCOMPARE(m_server->requests().size(), 2);

        FakeClock later(kNowcast.date.addSecs(1200)); // old enough to keep
        QVERIFY(runTask(m_source->tileData(kNowcast, {6, 56, 25})).value());
        QVERIFY(runTask(m_source->tileData(kNowcast, {6, 56, 25})).value());
        QCOMPARE(m_server->requests().size(), 3);
    }

    void twentyFourFailuresResetTheSessionOnce()
    {
        m_server->setHandler([](const RecordedRequest&) { return FakeResponse::dropped({}); });
        FakeClock clock;
        auto failTiles = [this, &clock](int first, int count) {
            // Counted from the log: requests pipelined behind a dropped one fail before the
            // server has read them.
            auto failures = [this] {
                return int(logLines(QStringLiteral("タイル取得失敗")).size());
            };
            const int base = failures();
            std::vector<async::Task<std::optional<QByteArray>>> tiles;
            for (int i = 0; i < count; ++i)
                tiles.push_back(m_source->tileData(kNowcast, {6, first + i, 25}));
            bool done = false;
            async::TaskScope scope;
            scope.spawn([](std::vector<async::Task<std::optional<QByteArray>>> all,
                           bool* finished) -> async::Task<void> {
                co_await async::whenAll(std::move(all));
                *finished = true;
            }(std::move(tiles), &done));
            // Each tile: a request, a pause, a retry, a pause, a last retry.
            for (int round = 1; round <= 3; ++round) {
                if (!QTest::qWaitFor([&] { return failures() >= base + round * count; }, 3000))
                    return false;
                if (round < 3) {
                    if (!clock.waitForTimers(count))
                        return false;
                    clock.advance(400ms);
                }
            }
            return QTest::qWaitFor([&] { return done; }, 3000);
        };
        QVERIFY(failTiles(0, 24));
        const int resets = int(logLines(QStringLiteral("作り直した")).size());
        QCOMPARE(resets, 1);
        QCOMPARE(logLines(QStringLiteral("タイル取得失敗")).size(), 24 * 3);
        QCOMPARE(m_source->consecutiveFailures(), 0);

        QVERIFY(failTiles(24, 1));
        QCOMPARE(logLines(QStringLiteral("作り直した")).size(), 1);
        QCOMPARE(m_source->consecutiveFailures(), 1);
        m_source->resetSession(false); // within 30 s: refused
        QCOMPARE(m_source->consecutiveFailures(), 1);
        m_source->resetSession(true);
        QCOMPARE(m_source->consecutiveFailures(), 0);
    }

    void prefetchKeepsAtMostSixDownloadsGoing()
    {
        const QByteArray rain = tileFile("hrpns_rain_blobs_p4.png");
        m_server->setHandler(
            [rain](const RecordedRequest&) { return FakeResponse::png(rain).withDelay(150); });
        QList<TilePath> tiles;
        for (int i = 0; i < 20; ++i)
            tiles.append(TilePath{{6, i, 25}, 1.0});
        QElapsedTimer clock;
        int arrivedEarly = 0;
        connect(m_server, &FakeHttpServer::requestReceived, this, [&] {
            if (clock.elapsed() < 100)
                ++arrivedEarly;
        });
        clock.start();
        QVERIFY(runTask(m_source->prefetch({kNowcast}, tiles), 10000));
        QCOMPARE(m_server->requests().size(), 20);
        QCOMPARE(arrivedEarly, 6);
    }

    void aHangingTileDoesNotStallOthers()
    {
        const QByteArray rain = tileFile("hrpns_rain_blobs_p4.png");
        m_server->setHandler([rain](const RecordedRequest& request) {
            return request.path.endsWith(QStringLiteral("/6/0/25.png")) ? FakeResponse::hanging()
                                                                        : FakeResponse::png(rain);
        });
        std::optional<std::optional<QByteArray>> hung;
        async::TaskScope scope;
        startTile(scope, kNowcast, {6, 0, 25}, &hung);
        QTRY_COMPARE(m_server->requests().size(), 1);
        QList<TilePath> others;
        for (int i = 1; i <= 12; ++i)
            others.append(TilePath{{6, i, 25}, 1.0});
        QElapsedTimer elapsed;
        elapsed.start();
        QVERIFY(runTask(m_source->prefetch({kNowcast}, others), 4000));
        QVERIFY(elapsed.elapsed() < 3000);
        QCOMPARE(m_source->memoryCacheCount(), 12);
    }
};

SHIGUREN_GUILESS_TEST(TestAgencyTileSource)
#include "tst_agencytilesource.moc"
