#include "HazardTiles.h"
#include "TaskTestUtils.h"
#include "TestRegistry.h"
#include "TileLoaderFixture.h"
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
