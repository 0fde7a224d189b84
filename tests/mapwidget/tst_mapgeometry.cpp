#include "SceneTestValues.h"
#include "TestRegistry.h"
#include "geo/GeoDistance.h"
#include "mapwidget/MapProjection.h"
#include "mapwidget/MapViewport.h"
#include "mapwidget/TileCover.h"

#include <QTest>

#include <cmath>

Q_DECLARE_METATYPE(GeoCoordinate)

namespace {

constexpr double kWorld = kMapWorldWidth;

MapViewport viewAt(const GeoCoordinate& center, double zoom, QSizeF size, qreal dpr = 1.0)
{
    return MapViewport(MapProjection::toMapPoint(center), zoom, size, dpr);
}

} // namespace

class TestMapGeometry : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Known corners where x is given; every point inside the projection's range also comes
    // back from a round trip.
    void projection_data()
    {
        QTest::addColumn<double>("latitude");
        QTest::addColumn<double>("longitude");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        const double any = std::nan("");
        QTest::newRow("origin") << 0.0 << 0.0 << kWorld / 2 << kWorld / 2;
        QTest::newRow("north-west") << MapProjection::kMaxLatitude << -180.0 << 0.0 << 0.0;
        QTest::newRow("south-east") << -MapProjection::kMaxLatitude << 180.0 << kWorld << kWorld;
        QTest::newRow("pole clamped") << 90.0 << 0.0 << kWorld / 2 << 0.0;
        QTest::newRow("Tokyo") << 35.681236 << 139.767125 << any << any;
        QTest::newRow("antimeridian") << -12.5 << 179.999999 << any << any;
        QTest::newRow("far north") << 85.05 << -179.5 << any << any;
    }
    void projection()
    {
        QFETCH(double, latitude);
        QFETCH(double, longitude);
        QFETCH(double, x);
        QFETCH(double, y);
        const MapPoint p = MapProjection::toMapPoint({latitude, longitude});
        if (!std::isnan(x))
            QVERIFY(near(p.x, x, 1e-6) && near(p.y, y, 1e-6));
        if (std::abs(latitude) < MapProjection::kMaxLatitude) {
            const GeoCoordinate back = MapProjection::toCoordinate(p);
            QVERIFY(near(back.latitude, latitude) && near(back.longitude, longitude));
        }
    }

    // A 1024-point view showing 22.5° of longitude is zoom 6: the same zoom convention as
    // the tile maths of the radar layer.
    void zoomConventionMatchesTileMaths()
    {
        MapViewport view = viewAt({35, 135}, 3, QSizeF(1024, 700));
        view = view.fitted({{35, 135}, 0.001, 22.5});
        QVERIFY(near(view.zoom(), 6.0) && near(view.region().longitudeDelta, 22.5));
        QVERIFY(near(view.visibleMapRect().width, 1024 * kWorld / (256 * 64), 1e-6));
    }

    void regionRoundTrip_data()
    {
        QTest::addColumn<GeoCoordinate>("center");
        QTest::addColumn<double>("span");
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<qreal>("dpr");
        QTest::newRow("detail Naha hidpi")
            << GeoCoordinate{26.21, 127.68} << 1.1 << QSizeF(1280, 800) << 2.0;
        QTest::newRow("overview wide")
            << GeoCoordinate{43.06, 141.35} << 26.0 << QSizeF(800, 600) << 1.25;
        QTest::newRow("overview tall")
            << GeoCoordinate{36.0, 138.0} << 26.0 << QSizeF(400, 900) << 1.0;
    }
    void regionRoundTrip()
    {
        QFETCH(GeoCoordinate, center);
        QFETCH(double, span);
        QFETCH(QSizeF, size);
        QFETCH(qreal, dpr);
        const MapViewport view = viewAt({0, 0}, 4, size, dpr).fitted({center, span, span});
        const MapRegion shown = view.region();

        QVERIFY(near(shown.center.latitude, center.latitude));
        QVERIFY(near(shown.center.longitude, center.longitude));
        // The whole region is visible, and it fills the view in one direction.
        const MapRect visible = view.visibleMapRect();
        const double north = MapProjection::toMapPoint({center.latitude + span / 2, 0}).y;
        const double south = MapProjection::toMapPoint({center.latitude - span / 2, 0}).y;
        QVERIFY(north >= visible.y - 1e-6 && south <= visible.y + visible.height + 1e-6);
        QVERIFY(shown.longitudeDelta >= span - 1e-9);
        QVERIFY(std::min(shown.latitudeDelta, shown.longitudeDelta) - span < 1e-9);

        // Saving and restoring a region does not creep.
        const MapViewport again = view.fitted(shown);
        QVERIFY(near(again.zoom(), view.zoom()));
        QVERIFY(near(again.center().x, view.center().x, 1e-6));
        QVERIFY(near(again.center().y, view.center().y, 1e-6));
    }

    void zoomKeepsThePointUnderTheAnchor()
    {
        const MapViewport view = viewAt({35.6, 139.7}, 8.3, QSizeF(900, 700), 2.0);
        const QPointF anchor(120.5, 610.25);
        const GeoCoordinate under = view.coordinateForPoint(anchor);
        for (double zoom : {3.7, 8.31, 12.0, 18.9}) {
            const MapViewport zoomed = view.zoomedTo(zoom, anchor);
            const QPointF moved = zoomed.pointForCoordinate(under);
            // Within a device pixel: the origin snaps to whole pixels.
            QVERIFY2((moved - anchor).manhattanLength() <= 1.0, qPrintable(QString::number(zoom)));
        }
        const MapViewport panned = view.pannedBy(QPointF(100, -40));
        const QPointF there = panned.pointForCoordinate(view.coordinateForPoint(QPointF(300, 300)));
        QVERIFY((there - QPointF(400, 260)).manhattanLength() <= 1.0);
    }

    void viewStaysInsideTheWorld()
    {
        MapViewport view = viewAt({84.9, 0}, 5, QSizeF(800, 600));
        QVERIFY(view.visibleMapRect().y >= -1e-6);
        view.setCenter({kWorld / 2, kWorld * 2});
        QVERIFY(view.visibleMapRect().y + view.visibleMapRect().height <= kWorld + 1e-6);
        for (double zoom : {100.0, std::nan("")}) {
            view.setZoom(zoom);
            QCOMPARE(view.zoom(), MapViewport::kMaxZoom);
        }
    }

    // Tiles meet on whole device pixels at any zoom, without gaps or overlaps, and are
    // exactly 256 pixels at whole zooms.
    void tilesLandOnWholePixels()
    {
        for (double zoom : {6.0, 6.37, 9.81}) {
            const MapViewport view = viewAt({35.3, 136.9}, zoom, QSizeF(1280, 800), 1.25);
            const int z = TileCover::levelForDevice(view, 0, 18);
            const TileId tile{z, 56 << (z - 6), 25 << (z - 6)};
            const QRect a = view.deviceRect(tile.mapRect());
            const QRect right = view.deviceRect(TileId{z, tile.x + 1, tile.y}.mapRect());
            const QRect below = view.deviceRect(TileId{z, tile.x, tile.y + 1}.mapRect());
            QCOMPARE(a.right() + 1, right.left());
            QCOMPARE(a.bottom() + 1, below.top());
        }
        const MapViewport whole = viewAt({35.3, 136.9}, 6.0, QSizeF(1280, 800));
        QCOMPARE(whole.deviceRect(TileId{6, 56, 25}.mapRect()).size(), QSize(256, 256));
    }

    void levelsForTheView_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::addColumn<qreal>("dpr");
        QTest::addColumn<int>("device");
        QTest::addColumn<int>("points");
        QTest::newRow("whole") << 5.0 << 1.0 << 5 << 5;
        QTest::newRow("hidpi") << 5.0 << 2.0 << 6 << 5;
        QTest::newRow("just under") << 5.39 << 1.0 << 5 << 5;
        QTest::newRow("finer from 0.4") << 5.41 << 1.0 << 6 << 6;
        QTest::newRow("clamped") << 19.0 << 2.0 << 18 << 18;
    }
    void levelsForTheView()
    {
        QFETCH(double, zoom);
        QFETCH(qreal, dpr);
        QFETCH(int, device);
        QFETCH(int, points);
        const MapViewport view = viewAt({35, 135}, zoom, QSizeF(500, 500), dpr);
        QCOMPARE(TileCover::levelForDevice(view, 2, 18), device);
        QCOMPARE(TileCover::levelForPoints(view, 2, 18), points);
    }

    void coverIsComplete_andStartsInTheMiddle()
    {
        const double tile = kWorld / 64; // zoom 6
        // Exactly one tile, then the same shifted by half a tile.
        QCOMPARE(TileCover::covering({10 * tile, 20 * tile, tile, tile}, 6),
                 (QList<TileId>{{6, 10, 20}}));
        QCOMPARE(TileCover::covering({10.5 * tile, 20.5 * tile, tile, tile}, 6).size(), 4);

        const QList<TileId> many =
            TileCover::covering({10.2 * tile, 20.1 * tile, 5 * tile, 3 * tile}, 6);
        QCOMPARE(many.size(), 6 * 4);
        QCOMPARE(many.first(), (TileId{6, 12, 21})); // holds the centre (12.7, 21.6)
        QCOMPARE(many.last().x == 10 || many.last().x == 15, true);

        // Beyond the world's edges nothing wraps.
        QCOMPARE(TileCover::covering({-3 * tile, -3 * tile, 4 * tile, 4 * tile}, 6),
                 (QList<TileId>{{6, 0, 0}}));
        QVERIFY(TileCover::covering({kWorld + 1, 0, tile, tile}, 6).isEmpty());
    }

    void ellipsoidDistance()
    {
        // WGS 84 geodesics: one degree along the equator and along a meridian, and
        // GeographicLib's own JFK–LHR example.
        QVERIFY(near(geoDistance({0, 0}, {0, 1}), 111319.491, 0.01));
        QVERIFY(near(geoDistance({0, 0}, {1, 0}), 110574.389, 0.01));
        QVERIFY(near(geoDistance({40.6, -73.8}, {51.6, -0.5}), 5551759.4, 1.0));
        QCOMPARE(geoDistance({35, 135}, {35, 135}), 0.0);
        QVERIFY(std::isnan(geoDistance({std::nan(""), 0}, {0, 0})));
    }
};

SHIGUREN_GUILESS_TEST(TestMapGeometry)
#include "tst_mapgeometry.moc"
