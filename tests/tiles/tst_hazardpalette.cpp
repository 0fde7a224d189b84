#include "HazardTiles.h"
#include "TaskTestUtils.h"
#include "TestRegistry.h"
#include "TileLoaderFixture.h"
#include "platform/async/TaskScope.h"
#include "tiles/HazardAtPlace.h"
#include "tiles/HazardPalette.h"

#include <QSignalSpy>
#include <QTest>

class TestHazardPalette : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void levelsAndColoursComeFromThePalette()
    {
        for (const QList<QColor>* colours :
             {&HazardTiles::thunderColours(), &HazardTiles::tornadoColours()}) {
            for (int level = 1; level <= colours->size(); ++level) {
                const QByteArray png = HazardTiles::tile(*colours, level);
                QCOMPARE(HazardPalette::levelColours(png), *colours);
                const QImage decoded = QImage::fromData(png, "PNG");
                QCOMPARE(HazardPalette::levelAt(decoded, {128, 128}), level);
                QCOMPARE(HazardPalette::levelAt(decoded, {10, 10}), 0);
                QCOMPARE(HazardPalette::levelAt(decoded, {300, 10}), 0);
            }
        }
    }

    void picturesWithoutAPaletteHaveNoLevels()
    {
        const QByteArray empty = TileTestData::tileFile("empty_placeholder_rgba.png");
        QVERIFY(HazardPalette::levelColours(empty).isEmpty());
        QVERIFY(HazardPalette::levelColours("not a picture").isEmpty());
        QImage argb(4, 4, QImage::Format_ARGB32);
        argb.fill(Qt::red);
        QCOMPARE(HazardPalette::levelAt(argb, {1, 1}), 0);
    }

    // A place's level comes from its own pixel of its own tile: the storm's centre has the
    // highest level, its rim the lowest, a place beside it none.
    void aPlacesLevelIsReadFromItsPixel_data()
    {
        QTest::addColumn<double>("latitude");
        QTest::addColumn<double>("longitude");
        QTest::addColumn<int>("level");
        QTest::newRow("centre") << 35.80 << 139.60 << 4;
        QTest::newRow("rim, west") << 35.80 << 139.60 - 0.32 << 1; // 58 of 70 pixels out
        QTest::newRow("beside") << 35.80 << 139.60 + 0.45 << 0;
    }

    void aPlacesLevelIsReadFromItsPixel()
    {
        QFETCH(double, latitude);
        QFETCH(double, longitude);
        QFETCH(int, level);
        const GeoCoordinate place{latitude, longitude};
        const HazardPalette::PlacePixel where = HazardPalette::placePixel(place, 8);
        const auto png = HazardTiles::storm(HazardTiles::thunderColours(), 35.80, 139.60, 70, 8,
                                            where.tile.x, where.tile.y);
        QVERIFY(png);
        QCOMPARE(HazardPalette::levelAtPlace(*png, place, 8), level);
        QCOMPARE(HazardPalette::levelAtPlace(TileTestData::tileFile("empty_placeholder_rgba.png"),
                                             place, 8),
                 0);
    }

    void placesFallOnTheirTile()
    {
        // Tokyo Station: zoom-8 tile 227/100, near its bottom edge.
        const auto tokyo = HazardPalette::placePixel({35.681, 139.767}, 8);
        QCOMPARE(tokyo.tile, (TileId{8, 227, 100}));
        QCOMPARE(tokyo.pixel, QPoint(99, 206));
        const auto deeper = HazardPalette::placePixel({35.681, 139.767}, 10);
        QCOMPARE(deeper.tile.ancestor(2), tokyo.tile);
    }

    // The outlook's level at a place: the highest of the frames given, each read from the
    // place's own tile at the deepest served zoom; a tile that cannot be had counts as none.
    void theHighestLevelAtAPlaceOverTheHour()
    {
        TileLoaderFixture fixture;
        QVERIFY(fixture.listening);
        const GeoCoordinate tokyo{35.681, 139.767};
        const QString tile = QStringLiteral("/surf/thns/8/227/100.png");
        fixture.server.setHandler([=](const RecordedRequest& request) {
            if (!request.path.endsWith(tile))
                return FakeResponse::error(404);
            // 05:40 shows the storm on Tokyo (level 2 there), 05:50 nothing, 06:00 no tile.
            if (request.path.contains(QStringLiteral("/20250829054000/")))
                return FakeResponse::png(*HazardTiles::storm(HazardTiles::thunderColours(), 35.681,
                                                             139.767 + 0.2, 70, 8, 227, 100));
            if (request.path.contains(QStringLiteral("/20250829055000/")))
                return FakeResponse::png(TileTestData::tileFile("empty_placeholder_rgba.png"));
            return FakeResponse::error(404);
        });
        using TileTestData::frame;
        const RadarFrames hour{
            frame(RadarProduct::ThunderNowcast, "20250829053000", "20250829055000"),
            frame(RadarProduct::ThunderNowcast, "20250829053000", "20250829054000"),
            frame(RadarProduct::ThunderNowcast, "20250829053000", "20250829060000")};
        FakeClock clock;
        auto task = HazardAtPlace::highestLevel(fixture.loader->agency(), hour, tokyo);
        bool done = false;
        int level = -1;
        async::TaskScope scope;
        scope.spawn([](async::Task<int> inner, int* out, bool* finished) -> async::Task<void> {
            *out = co_await inner;
            *finished = true;
        }(std::move(task), &level, &done));
        QVERIFY(fixture.endRetryPauses(clock, 1, QStringLiteral("/20250829060000/")));
        QTRY_VERIFY(done);
        QCOMPARE(level, 2); // 0.2° east of the centre: 36 of 70 pixels out
        for (const RecordedRequest& request : fixture.server.requests())
            QVERIFY(request.path.endsWith(tile));
        QCOMPARE(HazardAtPlace::thunderLine(level), QStringLiteral("雷の可能性（活動度2）"));
        QVERIFY(HazardAtPlace::thunderLine(0).isEmpty());
        QCOMPARE(HazardAtPlace::tornadoLine(1), QStringLiteral("竜巻などの激しい突風の可能性"));
        QVERIFY(HazardAtPlace::tornadoLine(0).isEmpty());
    }

    // The source learns the colours from the first served tile with a palette, per product,
    // and never from rain.
    void theSourceLearnsEachProductsColoursOnce()
    {
        TileLoaderFixture fixture;
        QVERIFY(fixture.listening);
        fixture.server.setHandler([](const RecordedRequest& request) {
            if (request.path.contains(QStringLiteral("/thns/8/")))
                return FakeResponse::png(HazardTiles::tile(HazardTiles::thunderColours(), 3));
            if (request.path.contains(QStringLiteral("/trns/")))
                return FakeResponse::png(HazardTiles::tile(HazardTiles::tornadoColours(), 1));
            if (request.path.contains(QStringLiteral("/hrpns/")))
                return FakeResponse::png(HazardTiles::tile(HazardTiles::thunderColours(), 1));
            return FakeResponse::png(TileTestData::tileFile("empty_placeholder_rgba.png"));
        });
        AgencyTileSource& source = fixture.loader->agency();
        QSignalSpy changes(&source, &AgencyTileSource::levelColoursChanged);
        using TileTestData::frame;
        const RadarFrame thunder =
            frame(RadarProduct::ThunderNowcast, "20250829053000", "20250829053000");
        const RadarFrame tornado =
            frame(RadarProduct::TornadoNowcast, "20250829053000", "20250829053000");

        QVERIFY(runTask(source.tileData(TileTestData::kNowcast, {8, 226, 100})));
        QVERIFY(runTask(source.tileData(thunder, {6, 56, 25}))); // the empty placeholder
        QCOMPARE(changes.size(), 0);
        QVERIFY(source.levelColours(RadarProduct::Nowcast).isEmpty());
        QVERIFY(source.levelColours(RadarProduct::ThunderNowcast).isEmpty());

        QVERIFY(runTask(source.tileData(thunder, {8, 226, 100})));
        QVERIFY(runTask(source.tileData(thunder, {8, 227, 100})));
        QCOMPARE(changes.size(), 1);
        QCOMPARE(source.levelColours(RadarProduct::ThunderNowcast), HazardTiles::thunderColours());
        QVERIFY(runTask(source.tileData(tornado, {8, 226, 100})));
        QCOMPARE(changes.size(), 2);
        QCOMPARE(source.levelColours(RadarProduct::TornadoNowcast), HazardTiles::tornadoColours());
    }
};

SHIGUREN_GUILESS_TEST(TestHazardPalette)

#include "tst_hazardpalette.moc"
