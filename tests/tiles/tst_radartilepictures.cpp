// Pictures made from agency tiles: composed odd zooms, cut-out deep zooms, and which of
// them are kept.
#include "FakeClock.h"
#include "FakeHttpServer.h"
#include "HazardTiles.h"
#include "TaskTestUtils.h"
#include "TestRegistry.h"
#include "TileLoaderFixture.h"
#include "tiles/RadarTilePictures.h"

#include <QTest>

using namespace TileTestData;
using namespace Qt::StringLiterals;

class TestRadarTilePictures : public QObject {
    Q_OBJECT

    std::unique_ptr<TileLoaderFixture> m_fixture;
    FakeHttpServer* m_server = nullptr;
    RadarTilePictures* m_pictures = nullptr;

    // Rain in the top-right quarter of zoom-7 tile 114/50, nothing in the other three.
    void serveRainInOneQuadrant()
    {
        m_server->setHandler([](const RecordedRequest& request) {
            return FakeResponse::png(
                tileFile(request.path.endsWith(QStringLiteral("/8/228/100.png"))
                             ? "hrpns_rain_blobs_p4.png"
                             : "empty_placeholder_rgba.png"));
        });
    }

private Q_SLOTS:
    void init()
    {
        m_fixture = std::make_unique<TileLoaderFixture>();
        QVERIFY(m_fixture->listening);
        m_server = &m_fixture->server;
        m_pictures = &m_fixture->loader->pictures();
    }
    void cleanup() { m_fixture.reset(); }

    void agencyZoomsAreTheSourcesOwnBytesAndDeeperOnesAreCut()
    {
        const QByteArray rain = tileFile("hrpns_rain_blobs_p4.png");
        m_fixture->serveEverything(rain);
        QVERIFY(!m_pictures->displayTileInMemory(kNowcast, {{6, 56, 25}, 2}));
        const auto fetched = runTask(m_pictures->displayTile(kNowcast, {{6, 56, 25}, 2}));
        QVERIFY(fetched && *fetched);
        QCOMPARE((*fetched)->encoded, rain);
        QVERIFY((*fetched)->image.isNull()); // the map decodes agency tiles itself
        const auto inMemory = m_pictures->displayTileInMemory(kNowcast, {{6, 56, 25}, 1});
        QVERIFY(inMemory);
        QCOMPARE(inMemory->encoded, rain);
        QCOMPARE(m_server->requests().size(), 1);
        QCOMPARE(m_pictures->cacheCount(), 0);

        // Deeper than zoom 10: a 64-pixel square of a zoom-10 tile, enlarged.
        const auto cut = runTask(m_pictures->displayTile(kNowcast, {{12, 3605, 1612}, 2}));
        QVERIFY(cut && *cut);
        QCOMPARE((*cut)->image.size(), QSize(512, 512));
        QCOMPARE(m_server->requests().size(), 2);
        QVERIFY(m_server->requests().last().path.endsWith(QStringLiteral("/10/901/403.png")));
    }

    void oddZoomsAreComposedFromTheNextLevel()
    {
        const QByteArray empty = tileFile("empty_placeholder_rgba.png");
        m_fixture->serveEverything(empty);
        const auto allEmpty = runTask(m_pictures->displayTile(kNowcast, {{7, 113, 50}, 2}));
        QVERIFY(allEmpty && *allEmpty);
        QVERIFY((*allEmpty)->empty);
        QCOMPARE((*allEmpty)->encoded, empty);
        QCOMPARE(m_fixture->tileRequests(QStringLiteral("/8/22")), 4);

        serveRainInOneQuadrant();
        const auto composed = runTask(m_pictures->displayTile(kNowcast, {{7, 114, 50}, 2}));
        QVERIFY(composed && *composed);
        QCOMPARE((*composed)->image.size(), QSize(512, 512));

        // Made as large as the tile on screen, once per screen scale; then kept.
        const auto onePixelPerPoint = runTask(m_pictures->displayTile(kNowcast, {{7, 114, 50}, 1}));
        QCOMPARE((*onePixelPerPoint)->image.size(), QSize(256, 256));
        const auto again = runTask(m_pictures->displayTile(kNowcast, {{7, 114, 50}, 1}));
        QCOMPARE((*again)->image.cacheKey(), (*onePixelPerPoint)->image.cacheKey());
        const auto inMemory = m_pictures->displayTileInMemory(kNowcast, {{7, 114, 50}, 2});
        QVERIFY(inMemory);
        QCOMPARE(inMemory->image.cacheKey(), (*composed)->image.cacheKey());
        QCOMPARE(m_pictures->cacheCount(), 2);
    }

    void aPictureWithAFreshEmptySourceIsMadeAgain()
    {
        // The agency may still be filling in the empty quadrants of a recent frame.
        FakeClock clock(kNowcast.date.addSecs(60));
        serveRainInOneQuadrant();
        QVERIFY(runTask(m_pictures->displayTile(kNowcast, {{7, 114, 50}, 2})).value());
        QVERIFY(!m_pictures->displayTileInMemory(kNowcast, {{7, 114, 50}, 2}));
        QCOMPARE(m_pictures->cacheCount(), 0);
    }

    // The thunder and tornado nowcasts are served to zoom 8 only: every zoom is drawn from
    // the served even zooms, and no deeper address is ever asked for.
    void hazardZoomsComeFromServedZoomsOnly_data()
    {
        QTest::addColumn<int>("product");
        QTest::addColumn<int>("z");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<int>("side"); // 0: the agency's bytes as they are
        const int thunder = int(RadarProduct::ThunderNowcast);
        const int tornado = int(RadarProduct::TornadoNowcast);
        QTest::newRow("thunder 6 as served")
            << thunder << 6 << QStringList{u"/thns/6/56/25.png"_s} << 0;
        QTest::newRow("thunder 8 as served")
            << thunder << 8 << QStringList{u"/thns/8/226/100.png"_s} << 0;
        QTest::newRow("thunder 7 composed")
            << thunder << 7
            << QStringList{u"/thns/8/226/100.png"_s, u"/thns/8/227/100.png"_s,
                           u"/thns/8/226/101.png"_s, u"/thns/8/227/101.png"_s}
            << 512;
        QTest::newRow("thunder 9 cut from 8")
            << thunder << 9 << QStringList{u"/thns/8/226/100.png"_s} << 512;
        QTest::newRow("tornado 10 cut from 8")
            << tornado << 10 << QStringList{u"/trns/8/226/100.png"_s} << 512;
        QTest::newRow("tornado 13 cut from 8")
            << tornado << 13 << QStringList{u"/trns/8/226/100.png"_s} << 512;
    }

    void hazardZoomsComeFromServedZoomsOnly()
    {
        QFETCH(int, product);
        QFETCH(int, z);
        QFETCH(QStringList, asked);
        QFETCH(int, side);
        m_fixture->serveEverything(HazardTiles::tile(HazardTiles::thunderColours(), 2));
        const RadarFrame frame =
            TileTestData::frame(RadarProduct(product), "20250829053000", "20250829054000");
        // Tile 226/100 at zoom 8 and everything under it.
        const int shift = z - 8;
        const TileId tile = shift >= 0 ? TileId{z, 226 << shift, 100 << shift}
                                       : TileId{z, 226 >> -shift, 100 >> -shift};
        const auto picture = runTask(m_pictures->displayTile(frame, {tile, 2}));
        QVERIFY(picture && *picture);
        QCOMPARE((*picture)->image.width(), side);
        QStringList paths;
        for (const RecordedRequest& request : m_server->requests()) {
            QVERIFY(request.path.startsWith(QStringLiteral(
                "/bosai/jmatile/data/nowc/20250829053000/none/20250829054000/surf/")));
            paths.append(QLatin1Char('/') + request.path.section(u'/', -4));
        }
        std::sort(paths.begin(), paths.end());
        std::sort(asked.begin(), asked.end());
        QCOMPARE(paths, asked);
    }

    // Empty sources make no picture to keep, so what they make is answered from the sources
    // in memory, without a task; one missing source still needs the task.
    void tilesOfEmptySourcesAreAnsweredFromMemory()
    {
        const QByteArray empty = tileFile("empty_placeholder_rgba.png");
        m_fixture->serveEverything(empty);
        const RadarFrame thunder =
            TileTestData::frame(RadarProduct::ThunderNowcast, "20250829053000", "20250829053000");
        for (const auto& [frame, path] : {std::pair{thunder, TilePath{{10, 904, 400}, 1}},
                                          std::pair{thunder, TilePath{{7, 113, 50}, 1}},
                                          std::pair{kNowcast, TilePath{{11, 1808, 800}, 1}}}) {
            QVERIFY(!m_pictures->displayTileInMemory(frame, path));
            QVERIFY(runTask(m_pictures->displayTile(frame, path)));
            const auto answered = m_pictures->displayTileInMemory(frame, path);
            QVERIFY(answered);
            QVERIFY(answered->empty);
            QCOMPARE(answered->encoded, empty);
        }
        // Three of the four children of zoom 7 tile 113/51 in memory: not enough.
        for (const TileId& child : {TileId{8, 226, 102}, TileId{8, 227, 102}, TileId{8, 226, 103}})
            QVERIFY(runTask(m_fixture->loader->agency().tileData(thunder, child)));
        QVERIFY(!m_pictures->displayTileInMemory(thunder, {{7, 113, 51}, 1}));
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
        scope.spawn([](RadarTilePictures* pictures, auto* out) -> async::Task<void> {
            *out = co_await pictures->displayTile(kNowcast, {{7, 113, 50}, 2});
        }(m_pictures, &result));
        QVERIFY(m_fixture->endRetryPauses(clock, 4));
        QTRY_VERIFY(result.has_value());
        QVERIFY(!*result);
    }
};

SHIGUREN_GUILESS_TEST(TestRadarTilePictures)
#include "tst_radartilepictures.moc"
