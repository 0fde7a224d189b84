#include "TestRegistry.h"
#include "tiles/TileMath.h"

#include <QTest>

using TileMath::Viewport;
using TileMath::ZoomRange;

namespace {

Viewport view(double width, double lat, double lon, double latSpan, double lonSpan)
{
    return Viewport{width, MapRegion{{lat, lon}, latSpan, lonSpan}};
}

} // namespace

class TestTileMath : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void columnsAndRowsAreClampedAtTheEdges_data()
    {
        QTest::addColumn<bool>("column");
        QTest::addColumn<double>("degrees");
        QTest::addColumn<int>("zoom");
        QTest::addColumn<int>("expected");
        QTest::newRow("lon 180 z4") << true << 180.0 << 4 << 15;
        QTest::newRow("lon -180 z4") << true << -180.0 << 4 << 0;
        QTest::newRow("lon 139.7 z6") << true << 139.7 << 6 << 56;
        QTest::newRow("lat 90 z6") << false << 90.0 << 6 << 0;
        QTest::newRow("lat -90 z6") << false << -90.0 << 6 << 63;
        QTest::newRow("lat 35.68 z6") << false << 35.68 << 6 << 25;
        QTest::newRow("lat 85.06 z10") << false << 85.06 << 10 << 0;
    }
    void columnsAndRowsAreClampedAtTheEdges()
    {
        QFETCH(bool, column);
        QFETCH(double, degrees);
        QFETCH(int, zoom);
        QFETCH(int, expected);
        QCOMPARE(column ? TileMath::tileX(degrees, zoom) : TileMath::tileY(degrees, zoom),
                 expected);
    }

    void zoomIsRoundedClampedAndMadeEven_data()
    {
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("lonSpan");
        QTest::addColumn<int>("expected");
        QTest::newRow("exactly 6") << 1024.0 << 22.5 << 6;
        QTest::newRow("5.58 rounds to 6") << 1024.0 << 30.0 << 6;
        QTest::newRow("6.6 rounds to 7, raised to 8") << 1024.0 << 22.5 / std::pow(2.0, 0.6) << 8;
        QTest::newRow("below range") << 256.0 << 300.0 << 4;
        QTest::newRow("zero width and span") << 0.0 << 0.0 << 10;
        QTest::newRow("9.5 rounds to 10") << 1024.0 << 22.5 / std::pow(2.0, 3.5) << 10;
    }
    void zoomIsRoundedClampedAndMadeEven()
    {
        QFETCH(double, width);
        QFETCH(double, lonSpan);
        QFETCH(int, expected);
        QCOMPARE(TileMath::zoomLevel(view(width, 35, 139, 10, lonSpan), ZoomRange{4, 10}),
                 expected);
        // An odd upper bound is returned unchanged, never passed.
        QCOMPARE(TileMath::zoomLevel(view(1024, 35, 139, 1, 0.01), ZoomRange{4, 9}), 9);
    }

    void keysCoverTheRectangleInclusively()
    {
        const double tile = kMapWorldWidth / 64; // zoom 6
        const QSet<QString> keys =
            TileMath::tileKeys(MapRect{56 * tile + 1, 25 * tile + 1, tile, 0}, 6);
        QCOMPARE(keys, (QSet<QString>{QStringLiteral("6/56/25"), QStringLiteral("6/57/25")}));
        QVERIFY(TileMath::tileKeys(MapRect{0, 0, -1, 5}, 6).isEmpty());
        QVERIFY(TileMath::tileKeys(MapRect{qInf(), 0, 1, 1}, 6).isEmpty());
        // Beyond the world the edge tiles are repeated, not wrapped.
        QCOMPARE(TileMath::tileKeys(MapRect{kMapWorldWidth - 1, -50, 500, 10}, 2),
                 QSet<QString>{QStringLiteral("2/3/0")});
    }

    void visibleTilesAreOrderedAndCapped()
    {
        // Around Tokyo at zoom 6: a 3 × 3 block plus one tile of margin, west to east.
        const QList<TilePath> tiles =
            TileMath::visibleTiles(view(1024, 35.68, 139.7, 8, 22.5), ZoomRange{4, 10}, 1, 90);
        QVERIFY(!tiles.isEmpty());
        QCOMPARE(tiles.first().tile.z, 6);
        for (qsizetype i = 1; i < tiles.size(); ++i) {
            const TilePath& a = tiles.at(i - 1);
            const TilePath& b = tiles.at(i);
            QVERIFY(a.tile.x < b.tile.x || (a.tile.x == b.tile.x && a.tile.y < b.tile.y));
        }

        const QList<TilePath> deep =
            TileMath::visibleTiles(view(4000, 35.68, 139.7, 3, 4), ZoomRange{4, 10}, 1, 90);
        QCOMPARE(deep.first().tile.z, 10);
        QCOMPARE(deep.size(), 60);
        const QList<TilePath> wide =
            TileMath::visibleTiles(view(2700, 35, 137, 40, 60), ZoomRange{4, 10}, 1, 90);
        QCOMPARE(wide.first().tile.z, 6);
        QVERIFY(wide.size() > 60 && wide.size() <= 90);
    }

    void theAntimeridianIsNotWrapped()
    {
        const QList<TilePath> tiles =
            TileMath::visibleTiles(view(1024, 0, 179.9, 10, 22.5), ZoomRange{4, 10}, 1, 90);
        for (const TilePath& tile : tiles)
            QVERIFY(tile.tile.x >= 0 && tile.tile.x < 64);
        QCOMPARE(tiles.last().tile.x, 63);
    }
};

SHIGUREN_GUILESS_TEST(TestTileMath)
#include "tst_tilemath.moc"
