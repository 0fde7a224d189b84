#include "FakeHttpServer.h"
#include "FakeTileOverlay.h"
#include "SceneTestValues.h"
#include "TestRegistry.h"
#include "mapwidget/BaseMapLayer.h"
#include "mapwidget/CircleOverlay.h"
#include "mapwidget/MapAnnotation.h"
#include "mapwidget/MapAnnotationView.h"
#include "mapwidget/MapScene.h"
#include "mapwidget/PolylineOverlay.h"
#include "mapwidget/ShapeRenderer.h"
#include "mapwidget/TileOverlayLayer.h"
#include "mapwidget/TileOverlayRenderer.h"
#include "platform/DataHosts.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

QColor pixelAt(const QImage& image, const QPointF& point)
{
    const qreal dpr = image.devicePixelRatio();
    return image.pixelColor(QPoint(int(point.x() * dpr), int(point.y() * dpr)));
}

bool near(const QColor& a, const QColor& b, int tolerance = 3)
{
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

std::shared_ptr<CircleOverlay> filledCircle(MapScene& scene, double radius, const QColor& color,
                                            int z = MapZ::AboveLabels)
{
    auto circle = std::make_shared<CircleOverlay>(kCenter, radius);
    scene.addOverlay(circle, z);
    auto renderer = std::dynamic_pointer_cast<ShapeRenderer>(scene.renderer(circle.get()));
    renderer->setFillColor(color);
    renderer->setLineWidth(0);
    return circle;
}

std::shared_ptr<FakeTileOverlay> solidTiles(MapScene& scene, const QColor& color)
{
    auto overlay = std::make_shared<FakeTileOverlay>();
    // Encoded bytes, so the picture goes through the worker-thread decoder.
    const QByteArray png = FakeTileOverlay::solidPng(color);
    overlay->setAnswer([png](const TilePath&) { return TileResult::fromEncoded(png); });
    scene.addOverlay(overlay, MapZ::AboveRoads);
    return overlay;
}

// Tiles that show nothing from an overlay that says it hides the base map.
class CoveringTiles : public FakeTileOverlay {
public:
    CoveringTiles()
    {
        setAnswer([](const TilePath&) { return TileResult::fromEncoded({}, true); });
    }
    bool canReplaceMapContent() const override { return true; }
};

// A light scene with a base map whose downloads never end, 600 × 400 points at zoom 7
// around kCenter; tests put the tiles they want in its cache.
struct BaseMapScene {
    FakeHttpServer server;
    QTemporaryDir cacheDir;
    std::unique_ptr<MapScene> scene;
    bool listening = server.listen();

    BaseMapScene()
    {
        server.setHandler([](const RecordedRequest&) { return FakeResponse::hanging(); });
        DataHosts::pointAllAt(server.baseUrl());
        MapSceneOptions options;
        options.baseMap.cacheDirectory = cacheDir.path();
        scene = std::make_unique<MapScene>(options);
        scene->setDarkOverride(false);
        scene->setViewportSize(QSizeF(600, 400));
        scene->setCamera(MapProjection::toMapPoint(kCenter), 7.0);
    }
    ~BaseMapScene() { DataHosts::setCurrent(DataHosts::production()); }
};

} // namespace

class TestMapScene : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Above-roads overlays lie under above-labels ones whatever the order of addition, and
    // later additions lie on top within a level.
    void zOrderByLevelThenInsertion()
    {
        Scene scene;
        solidTiles(scene, Qt::blue);
        auto red = filledCircle(scene, 150000, Qt::red);
        filledCircle(scene, 40000, Qt::green);
        auto yellow = solidTiles(scene, Qt::yellow);
        QTRY_VERIFY(scene.isLoaded());

        const QPointF center = scene.pointForCoordinate(kCenter);
        const QPointF insideRed =
            scene.pointForCoordinate({kCenter.latitude, kCenter.longitude + 0.9});
        const QPointF corner(8, 8);
        QImage image = scene.render();
        QCOMPARE(pixelAt(image, center), QColor(Qt::green));
        QCOMPARE(pixelAt(image, insideRed), QColor(Qt::red));
        QCOMPARE(pixelAt(image, corner), QColor(Qt::yellow));

        scene.removeOverlay(red);
        scene.renderer(yellow.get())->setAlpha(0.5);
        image = scene.render();
        QVERIFY(near(pixelAt(image, insideRed), QColor(128, 128, 127)));
    }

    // A z value outranks the order of addition, also against the scene's own layers.
    void explicitZValuesOutrankTheOrderOfAddition()
    {
        Scene scene;
        filledCircle(scene, 40000, Qt::green, MapZ::AboveLabels + 1);
        filledCircle(scene, 150000, Qt::red);
        const QPointF center = scene.pointForCoordinate(kCenter);
        QCOMPARE(pixelAt(scene.render(), center), QColor(Qt::green));

        auto marked = std::make_shared<MapAnnotation>(kCenter);
        scene.addAnnotation(marked);
        const QPointF onMarker = scene.view(marked.get())->frameAt(center).center();
        QVERIFY(pixelAt(scene.render(), onMarker) != QColor(Qt::green));
        filledCircle(scene, 40000, Qt::blue, MapZ::Annotations + 1);
        QCOMPARE(pixelAt(scene.render(), onMarker), QColor(Qt::blue));
    }

    // An overlay that replaces the map content leaves the scene's background and no credit
    // where it shows nothing.
    void aCoveringOverlayHidesTheBaseMapAndItsCredit()
    {
        BaseMapScene base;
        QVERIFY(base.listening);
        MapScene& scene = *base.scene;
        for (const TileId& tile : scene.baseMap().visibleTiles())
            scene.baseMap().cache().insert(
                {tile, 0},
                FakeTileOverlay::solid(Qt::magenta).convertToFormat(QImage::Format_RGB32));
        const QPointF middle(300, 200);
        const QPointF credit(6, 393);
        QImage image = scene.render();
        QCOMPARE(pixelAt(image, middle), QColor(Qt::magenta));
        QVERIFY(pixelAt(image, credit) != QColor(Qt::magenta));

        scene.addOverlay(std::make_shared<CoveringTiles>(), MapZ::AboveRoads);
        QTRY_VERIFY(scene.isLoaded());
        image = scene.render();
        for (const QPointF point : {middle, credit})
            QCOMPARE(pixelAt(image, point), BaseMapLayer::backgroundColor(false));
    }

    // A shape that covers the whole view (a typhoon's forecast circle around the detail map)
    // is drawn up to the right edge, and what lies under it stays drawn.
    void aShapeCoveringTheWholeViewIsDrawn()
    {
        Scene scene; // a cached picture that is no whole number of blocks
        filledCircle(scene, 40000, Qt::green);
        filledCircle(scene, 3'000'000, QColor(255, 0, 0, 128));
        const QImage image = scene.render();
        // Half red over the scene's background in both far corners, half red over green inside.
        for (const QPointF corner : {QPointF(8, 8), QPointF(396, 296)})
            QVERIFY(pixelAt(image, corner).red() - pixelAt(image, corner).green() > 80);
        QVERIFY(near(pixelAt(image, scene.pointForCoordinate(kCenter)), QColor(128, 127, 0)));
    }

    // Width and dash reach the picture: a 4-point line covers 2 points either side, and a
    // dashed one leaves gaps.
    void shapesStrokeWidthAndDash()
    {
        Scene scene;
        auto line = std::make_shared<PolylineOverlay>(
            QList<GeoCoordinate>{scene.coordinateForPoint(QPointF(50, 150.5)),
                                 scene.coordinateForPoint(QPointF(350, 150.5))});
        scene.addOverlay(line);
        auto renderer = std::dynamic_pointer_cast<ShapeRenderer>(scene.renderer(line.get()));
        renderer->setStrokeColor(Qt::red);
        renderer->setLineWidth(4);
        renderer->setLineCap(Qt::FlatCap);
        renderer->setLineDashPattern({10, 10});
        const QImage image = scene.render();
        QCOMPARE(pixelAt(image, QPointF(200, 156)), BaseMapLayer::backgroundColor(false));
        int red = 0;
        for (int x = 60; x < 340; ++x)
            red += pixelAt(image, QPointF(x, 150)) == QColor(Qt::red);
        QVERIFY(red > 100 && red < 180);
    }

    // After reloadData every visible tile is asked for exactly once; the old pictures stay
    // until their replacements come, and answers to superseded requests are dropped.
    void reloadAsksEveryVisibleTileOnceAndKeepsOldPictures()
    {
        Scene scene(QSizeF(700, 500));
        auto overlay = std::make_shared<FakeTileOverlay>();
        scene.addOverlay(overlay, MapZ::AboveRoads);
        auto layer = scene.tileLayer(overlay.get());
        const QSet<TileId> visible(layer->visibleTiles().cbegin(), layer->visibleTiles().cend());
        QVERIFY(visible.size() >= 6);

        const auto checkOncePerVisibleTile = [&](const QList<FakeTileOverlay::Request>& requests) {
            QSet<TileId> asked;
            for (const auto& request : requests)
                asked.insert(request.path.tile);
            QCOMPARE(requests.size(), visible.size());
            QCOMPARE(asked, visible);
        };
        const auto answerAll = [](const QList<FakeTileOverlay::Request>& requests,
                                  const QColor& color) {
            for (const auto& request : requests)
                request.result(TileResult::fromImage(FakeTileOverlay::solid(color)));
        };

        const QList<FakeTileOverlay::Request> first = overlay->takeRequests();
        checkOncePerVisibleTile(first);
        QVERIFY(first.first().path.tile.z == layer->level());
        answerAll(first, Qt::red);
        QTRY_VERIFY(scene.isLoaded());

        auto renderer =
            std::dynamic_pointer_cast<TileOverlayRenderer>(scene.renderer(overlay.get()));
        renderer->reloadData();
        const QList<FakeTileOverlay::Request> superseded = overlay->takeRequests();
        checkOncePerVisibleTile(superseded);
        renderer->reloadData();
        const QList<FakeTileOverlay::Request> second = overlay->takeRequests();
        checkOncePerVisibleTile(second);
        QVERIFY(!scene.isLoaded());
        QCOMPARE(pixelAt(scene.render(), QPointF(350, 250)), QColor(Qt::red));

        answerAll(superseded, Qt::green);
        QTRY_COMPARE(layer->counters().dropped, int(superseded.size()));
        QCOMPARE(pixelAt(scene.render(), QPointF(350, 250)), QColor(Qt::red));
        answerAll(second, Qt::blue);
        QTRY_VERIFY(scene.isLoaded());
        QCOMPARE(pixelAt(scene.render(), QPointF(350, 250)), QColor(Qt::blue));
        QCOMPARE(layer->counters().requests, 3 * int(visible.size()));
    }

    // Tiles that leave the view are no longer wanted; the new ones are asked for from the
    // middle of the view outwards.
    void panAbandonsTilesThatLeftTheView()
    {
        Scene scene(QSizeF(700, 500));
        auto overlay = std::make_shared<FakeTileOverlay>();
        scene.addOverlay(overlay, MapZ::AboveRoads);
        auto layer = scene.tileLayer(overlay.get());
        const QList<FakeTileOverlay::Request> before = overlay->takeRequests();

        scene.setCenterCoordinate({kCenter.latitude, kCenter.longitude + 20});
        const QList<FakeTileOverlay::Request> after = overlay->takeRequests();
        QCOMPARE(layer->counters().abandoned, int(before.size()));
        const MapRect centerTile = after.first().path.tile.mapRect();
        QVERIFY(MapProjection::contains(centerTile, scene.viewport().center()));

        for (const auto& request : before)
            request.result(TileResult::fromImage(FakeTileOverlay::solid(Qt::red)));
        for (const auto& request : after)
            request.result(TileResult::failure(TileResult::Error::NotFound));
        QTRY_COMPARE(layer->counters().dropped + layer->counters().failed,
                     int(before.size() + after.size()));
        QCOMPARE(layer->counters().dropped, int(before.size()));
        QVERIFY(scene.isLoaded()); // failed tiles count as done until the next reload
    }

    // While a base tile loads, its parent is drawn in its place: the right quarter of it.
    void parentTileStandsInForAMissingChild()
    {
        BaseMapScene base;
        QVERIFY(base.listening);
        MapScene& scene = *base.scene;
        QCOMPARE(scene.baseMap().level(), 7);

        const TileId child = scene.baseMap().visibleTiles().first();
        const TileId parent = child.ancestor(1);
        QImage quarters(256, 256, QImage::Format_RGB32);
        const QColor colors[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
        for (int i = 0; i < 4; ++i) {
            for (int y = 0; y < 128; ++y)
                for (int x = 0; x < 128; ++x)
                    quarters.setPixelColor((i & 1) * 128 + x, (i >> 1) * 128 + y, colors[i]);
        }
        scene.baseMap().cache().insert({parent, 0}, quarters);
        const QPointF middle = QRectF(scene.viewport().deviceRect(child.mapRect())).center();
        QCOMPARE(pixelAt(scene.render(), middle), colors[(child.x & 1) + 2 * (child.y & 1)]);

        scene.baseMap().cache().insert(
            {child, 0}, FakeTileOverlay::solid(Qt::magenta).convertToFormat(QImage::Format_RGB32));
        QCOMPARE(pixelAt(scene.render(), middle), QColor(Qt::magenta));
    }

    // A new tile frame repaints tiles only; lines are drawn again only for a new scale.
    void vectorLayersAreCached()
    {
        Scene scene;
        auto overlay = solidTiles(scene, Qt::blue);
        for (int i = 0; i < 3; ++i) {
            scene.addOverlay(std::make_shared<PolylineOverlay>(
                QList<GeoCoordinate>{{34.0 + i * 0.5, 135.5}, {36.0, 138.5}}));
        }
        QTRY_VERIFY(scene.isLoaded());
        scene.render();
        QCOMPARE(scene.vectorRenderCount(), 1);

        std::dynamic_pointer_cast<TileOverlayRenderer>(scene.renderer(overlay.get()))->reloadData();
        QTRY_VERIFY(scene.isLoaded());
        scene.render();
        scene.panBy(QPointF(30, -20));
        scene.render();
        QCOMPARE(scene.vectorRenderCount(), 1);

        scene.beginGesture();
        scene.zoomAround(scene.zoom() + 0.3, QPointF(100, 100));
        scene.render(); // the old picture, scaled, while the hand moves
        QCOMPARE(scene.vectorRenderCount(), 1);
        scene.endGesture();
        scene.render();
        QCOMPARE(scene.vectorRenderCount(), 2);

        std::dynamic_pointer_cast<ShapeRenderer>(scene.renderer(scene.overlays().last().get()))
            ->setStrokeColor(Qt::red);
        scene.render();
        QCOMPARE(scene.vectorRenderCount(), 3);
    }
};

SHIGUREN_TEST(TestMapScene)
#include "tst_mapscene.moc"
