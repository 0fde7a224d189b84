#include "FakeClock.h"
#include "FakeHttpServer.h"
#include "LogCapture.h"
#include "TaskTestUtils.h"
#include "TestData.h"
#include "TileLoaderFixture.h"
#include "platform/DataHosts.h"
#include "platform/async/WhenAll.h"
#include "radar/JMATime.h"
#include "tiles/RadarTileLoader.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {

RadarFrame frame(RadarProduct product, const char* base, const char* valid)
{
    const QString b = QString::fromLatin1(base);
    const QString v = QString::fromLatin1(valid);
    return RadarFrame{product, b, v,
                      b == v ? RadarFrame::Kind::Observation : RadarFrame::Kind::Forecast,
                      *JMATime::parse(v)};
}

const RadarFrame kNowcast = frame(RadarProduct::Nowcast, "20250829053000", "20250829053000");
const RadarFrame kAnalysis = frame(RadarProduct::Analysis, "20250829052000", "20250829062000");

QByteArray tileFile(const char* name)
{
    return TestData::read(QStringLiteral("jma/tiles/") + QLatin1String(name));
}

} // namespace

class TestRadarTileLoader : public QObject {
    Q_OBJECT

    std::unique_ptr<TileLoaderFixture> m_fixture;
    std::unique_ptr<LogCapture> m_log;
    FakeHttpServer* m_server = nullptr;
    RadarTileLoader* m_loader = nullptr;

    void serveEverything(const QByteArray& body) { m_fixture->serveEverything(body); }
    QStringList logLines(const QString& fragment) const { return m_log->matching(fragment); }

    int tileRequests(const QString& fragment) const
    {
        return m_server->requestCount([&](const QString& path) { return path.contains(fragment); });
    }

private Q_SLOTS:
    void init()
    {
        m_fixture = std::make_unique<TileLoaderFixture>();
        QVERIFY(m_fixture->listening);
        m_server = &m_fixture->server;
        m_loader = m_fixture->loader.get();
        m_log = std::make_unique<LogCapture>(QStringLiteral("jp.shiguren.Shiguren.radar"));
    }
    void cleanup()
    {
        m_log.reset();
        m_fixture.reset();
    }

    void addressesFollowTheAgencyLayout()
    {
        serveEverything(tileFile("hrpns_rain_blobs_p4.png"));
        QVERIFY(runTask(m_loader->tileData(kNowcast, {6, 56, 25})).value());
        QCOMPARE(m_server->requests().first().path,
                 QStringLiteral("/bosai/jmatile/data/nowc/20250829053000/none/20250829053000/"
                                "surf/hrpns/6/56/25.png"));
        QVERIFY(m_server->requests().first().query.isEmpty());
    }

    void threeNotFoundsGiveNothingAfterTwoPausesAndNoLog()
    {
        m_server->setHandler([](const RecordedRequest&) { return FakeResponse::error(404); });
        FakeClock clock;
        std::optional<QByteArray> result = QByteArray("unset");
        bool done = false;
        async::TaskScope scope;
        scope.spawn([](RadarTileLoader* loader, std::optional<QByteArray>* out,
                       bool* finished) -> async::Task<void> {
            *out = co_await loader->tileData(kNowcast, {6, 56, 25});
            *finished = true;
        }(m_loader, &result, &done));
        QTRY_COMPARE(m_server->requests().size(), 1);
        QVERIFY(clock.waitForTimerDueIn(400ms));
        clock.advance(399ms);
        QTest::qWait(50);
        QCOMPARE(m_server->requests().size(), 1);
        clock.advance(1ms);
        QTRY_COMPARE(m_server->requests().size(), 2);
        QVERIFY(clock.waitForTimerDueIn(400ms));
        clock.advance(400ms);
        QTRY_VERIFY(done);
        QCOMPARE(m_server->requests().size(), 3);
        QVERIFY(!result);
        QCOMPARE(m_loader->consecutiveFailures(), 1);
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
        std::optional<QByteArray> first;
        async::TaskScope scope;
        scope.spawn(
            [](RadarTileLoader* loader, std::optional<QByteArray>* out) -> async::Task<void> {
                *out = co_await loader->tileData(kAnalysis, {6, 56, 25});
            }(m_loader, &first));
        QTRY_COMPARE(tileRequests(QStringLiteral("/immed/")), 1);
        QVERIFY(clock.waitForTimerDueIn(400ms));
        clock.advance(400ms);
        QTRY_COMPARE(tileRequests(QStringLiteral("/immed/")), 2);
        QVERIFY(clock.waitForTimerDueIn(400ms));
        clock.advance(400ms);
        QTRY_VERIFY(first.has_value());
        QCOMPARE(*first, rain);
        QCOMPARE(tileRequests(QStringLiteral("/immed/")), 3);
        QCOMPARE(m_loader->resolvedMember(kAnalysis), QStringLiteral("none"));

        QVERIFY(runTask(m_loader->tileData(kAnalysis, {6, 57, 25})).value());
        QCOMPARE(tileRequests(QStringLiteral("/immed/")), 3); // straight to "none"
    }

    void warmTilesComeFromMemory()
    {
        serveEverything(tileFile("hrpns_rain_blobs_p4.png"));
        QVERIFY(runTask(m_loader->tileData(kNowcast, {6, 56, 25})).value());
        QVERIFY(runTask(m_loader->tileData(kNowcast, {6, 56, 25})).value());
        QCOMPARE(m_server->requests().size(), 1);
    }

    void freshEmptyTilesAreFetchedAgain()
    {
        serveEverything(tileFile("empty_placeholder_rgba.png"));
        FakeClock clock(kNowcast.date.addSecs(60)); // the frame is a minute old
        QVERIFY(runTask(m_loader->tileData(kNowcast, {6, 56, 25})).value());
        QVERIFY(runTask(m_loader->tileData(kNowcast, {6, 56, 25})).value());
        QCOMPARE(m_server->requests().size(), 2);

        FakeClock later(kNowcast.date.addSecs(1200)); // old enough to keep
        QVERIFY(runTask(m_loader->tileData(kNowcast, {6, 56, 25})).value());
        QVERIFY(runTask(m_loader->tileData(kNowcast, {6, 56, 25})).value());
        QCOMPARE(m_server->requests().size(), 3);
    }

    void oddZoomsAreComposedFromTheNextLevel()
    {
        const QByteArray empty = tileFile("empty_placeholder_rgba.png");
        serveEverything(empty);
        const auto allEmpty = runTask(m_loader->displayTileData(kNowcast, {{7, 113, 50}, 2}));
        QVERIFY(allEmpty && *allEmpty);
        QVERIFY((*allEmpty)->empty);
        QCOMPARE((*allEmpty)->encoded, empty);
        QCOMPARE(tileRequests(QStringLiteral("/8/22")), 4);

        const QByteArray rain = tileFile("hrpns_rain_blobs_p4.png");
        m_server->setHandler([rain](const RecordedRequest& request) {
            return request.path.endsWith(QStringLiteral("/8/228/100.png"))
                       ? FakeResponse::png(rain)
                       : FakeResponse::png(tileFile("empty_placeholder_rgba.png"));
        });
        const auto composed = runTask(m_loader->displayTileData(kNowcast, {{7, 114, 50}, 2}));
        QVERIFY(composed && *composed);
        QCOMPARE((*composed)->image.size(), QSize(512, 512));

        // Made as large as the tile on screen, once per screen scale; then kept.
        const auto onePixelPerPoint =
            runTask(m_loader->displayTileData(kNowcast, {{7, 114, 50}, 1}));
        QCOMPARE((*onePixelPerPoint)->image.size(), QSize(256, 256));
        const auto again = runTask(m_loader->displayTileData(kNowcast, {{7, 114, 50}, 1}));
        QCOMPARE((*again)->image.cacheKey(), (*onePixelPerPoint)->image.cacheKey());
        const auto inMemory = m_loader->displayTileInMemory(kNowcast, {{7, 114, 50}, 2});
        QVERIFY(inMemory);
        QCOMPARE(inMemory->image.cacheKey(), (*composed)->image.cacheKey());
        QCOMPARE(m_loader->derivedCacheCount(), 2);
    }

    void aPictureWithAFreshEmptySourceIsMadeAgain()
    {
        // The agency may still be filling in the empty quadrants of a recent frame.
        FakeClock clock(kNowcast.date.addSecs(60));
        const QByteArray rain = tileFile("hrpns_rain_blobs_p4.png");
        m_server->setHandler([rain](const RecordedRequest& request) {
            return request.path.endsWith(QStringLiteral("/8/228/100.png"))
                       ? FakeResponse::png(rain)
                       : FakeResponse::png(tileFile("empty_placeholder_rgba.png"));
        });
        QVERIFY(runTask(m_loader->displayTileData(kNowcast, {{7, 114, 50}, 2})).value());
        QVERIFY(!m_loader->displayTileInMemory(kNowcast, {{7, 114, 50}, 2}));
        QCOMPARE(m_loader->derivedCacheCount(), 0);
    }

    void oneMissingQuadrantGivesNothing()
    {
        FakeClock clock;
        const QByteArray empty = tileFile("empty_placeholder_rgba.png");
        m_server->setHandler([empty](const RecordedRequest& request) {
            return request.path.endsWith(QStringLiteral("/8/227/101.png"))
                       ? FakeResponse::error(404)
                       : FakeResponse::png(empty);
        });
        std::optional<std::optional<TileImages::DisplayTile>> result;
        async::TaskScope scope;
        scope.spawn([](RadarTileLoader* loader, auto* out) -> async::Task<void> {
            *out = co_await loader->displayTileData(kNowcast, {{7, 113, 50}, 2});
        }(m_loader, &result));
        QTRY_COMPARE(m_server->requests().size(), 4);
        QVERIFY(clock.waitForTimerDueIn(400ms));
        clock.advance(400ms);
        QTRY_COMPARE(m_server->requests().size(), 5);
        QVERIFY(clock.waitForTimerDueIn(400ms));
        clock.advance(400ms);
        QTRY_VERIFY(result.has_value());
        QVERIFY(!*result);
    }

    void deepZoomsAreCutFromZoomTen()
    {
        serveEverything(tileFile("hrpns_rain_blobs_p4.png"));
        const auto cut = runTask(m_loader->displayTileData(kNowcast, {{12, 3605, 1612}, 2}));
        QVERIFY(cut && *cut);
        QCOMPARE((*cut)->image.size(), QSize(512, 512)); // a 64-pixel square, enlarged
        QCOMPARE(m_server->requests().size(), 1);
        QVERIFY(m_server->requests().first().path.endsWith(QStringLiteral("/10/901/403.png")));
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
                tiles.push_back(m_loader->tileData(kNowcast, {6, first + i, 25}));
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
        QCOMPARE(m_loader->consecutiveFailures(), 0);

        QVERIFY(failTiles(24, 1));
        QCOMPARE(logLines(QStringLiteral("作り直した")).size(), 1);
        QCOMPARE(m_loader->consecutiveFailures(), 1);
        m_loader->resetSession(false); // within 30 s: refused
        QCOMPARE(m_loader->consecutiveFailures(), 1);
        m_loader->resetSession(true);
        QCOMPARE(m_loader->consecutiveFailures(), 0);
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
        QVERIFY(runTask(m_loader->prefetch({kNowcast}, tiles), 10000));
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
        async::TaskScope scope;
        scope.spawn([](RadarTileLoader* loader) -> async::Task<void> {
            co_await loader->tileData(kNowcast, {6, 0, 25});
        }(m_loader));
        QTRY_COMPARE(m_server->requests().size(), 1);
        QList<TilePath> others;
        for (int i = 1; i <= 12; ++i)
            others.append(TilePath{{6, i, 25}, 1.0});
        QElapsedTimer elapsed;
        elapsed.start();
        QVERIFY(runTask(m_loader->prefetch({kNowcast}, others), 4000));
        QVERIFY(elapsed.elapsed() < 3000);
        QCOMPARE(m_loader->memoryCacheCount(), 12);
    }
};

QTEST_GUILESS_MAIN(TestRadarTileLoader)
#include "tst_radartileloader.moc"
