#include "FakeHttpServer.h"
#include "FakeTileOverlay.h"
#include "LandTiles.h"
#include "PrefectureSample.h"
#include "TestData.h"
#include "mapwidget/CircleOverlay.h"
#include "mapwidget/MapDelegate.h"
#include "mapwidget/MapWidget.h"
#include "mapwidget/MarkerAnnotationView.h"
#include "mapwidget/PolylineOverlay.h"
#include "platform/DataHosts.h"

#include <QDir>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Pictures of the map with the layers the radar map will have, light and dark, written to
// the build folder for people to look at.
namespace {

using PrefectureSample::Border;

class Track : public PolylineOverlay {
public:
    using PolylineOverlay::PolylineOverlay;
};

// Borders and labels as the radar map draws them, an orange forecast track and probability
// circle, a red typhoon marker, the radar at 0.75.
class Delegate : public MapDelegate {
public:
    bool dark = false;
    QImage glyph;

    std::shared_ptr<MapOverlayRenderer>
    rendererFor(const std::shared_ptr<MapOverlay>& overlay) override
    {
        auto renderer = MapDelegate::rendererFor(overlay);
        auto shape = std::dynamic_pointer_cast<ShapeRenderer>(renderer);
        if (!shape) {
            renderer->setAlpha(0.75);
        } else if (auto border = std::dynamic_pointer_cast<Border>(overlay)) {
            PrefectureSample::styleBorder(*shape, *border, dark);
        } else if (std::dynamic_pointer_cast<Track>(overlay)) {
            shape->setStrokeColor(QColor(255, 149, 0));
            shape->setLineWidth(2.5);
            shape->setLineDashPattern({6, 4});
        } else {
            shape->setStrokeColor(QColor(255, 149, 0, 153));
            shape->setFillColor(QColor(255, 149, 0, 31));
        }
        return renderer;
    }

    std::shared_ptr<MapAnnotationView>
    viewFor(MapScene& map, const std::shared_ptr<MapAnnotation>& annotation) override
    {
        if (annotation->subtitle().isEmpty())
            return PrefectureSample::labelView(map, *annotation, dark);
        auto marker = std::make_shared<MarkerAnnotationView>(QStringLiteral("TyphoonMarker"));
        marker->setMarkerTintColor(QColor(255, 59, 48));
        marker->setGlyphImage(glyph);
        return marker;
    }
};

int countNear(const QImage& image, const QPoint& center, const QColor& color, int tolerance)
{
    int count = 0;
    for (int y = center.y() - 3; y <= center.y() + 3; ++y) {
        for (int x = center.x() - 3; x <= center.x() + 3; ++x) {
            const QColor c = image.pixelColor(x, y);
            count += std::abs(c.red() - color.red()) <= tolerance &&
                     std::abs(c.green() - color.green()) <= tolerance &&
                     std::abs(c.blue() - color.blue()) <= tolerance;
        }
    }
    return count;
}

} // namespace

class TestMapScreenshots : public QObject {
    Q_OBJECT

    FakeHttpServer m_server;
    LandTiles m_land;
    QTemporaryDir m_cacheDir;
    Delegate m_delegate;
    QList<std::shared_ptr<MapOverlay>> m_borders;
    QList<std::shared_ptr<MapAnnotation>> m_labels;
    std::shared_ptr<MapOverlay> m_radar;

    QImage shoot(const MapRegion& region, bool dark, const QString& name)
    {
        m_delegate.dark = dark;
        MapSceneOptions options;
        options.baseMap.cacheDirectory = m_cacheDir.path();
        MapWidget map(nullptr, options);
        map.resize(1000, 700);
        map.setDelegate(&m_delegate);
        map.scene().setDarkOverride(dark);
        map.addOverlay(m_radar, MapOverlayLevel::AboveRoads);
        map.addOverlay(std::make_shared<Track>(
            QList<GeoCoordinate>{{28.5, 131.0}, {30.2, 132.4}, {32.6, 133.1}, {35.4, 135.8}}));
        map.addOverlay(std::make_shared<CircleOverlay>(GeoCoordinate{32.6, 133.1}, 180000));
        map.scene().addOverlays(m_borders);
        map.addAnnotations(m_labels);
        auto typhoon = std::make_shared<MapAnnotation>(
            GeoCoordinate{30.2, 132.4}, QStringLiteral("台風第10号"), QStringLiteral("強い勢力"));
        map.addAnnotation(typhoon);
        map.scene().selectAnnotation(typhoon);
        map.show();
        if (!QTest::qWaitForWindowExposed(&map))
            return {};
        map.setRegion(region);
        if (!QTest::qWaitFor([&] { return map.scene().isLoaded(); }, 20000))
            return {};
        const QImage image = map.grab().toImage();
        QDir().mkpath(QStringLiteral(SHIGUREN_SCREENSHOT_DIR));
        image.save(QStringLiteral(SHIGUREN_SCREENSHOT_DIR "/") + name);
        return image;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(!m_land.isEmpty());
        QVERIFY(m_server.listen());
        m_server.setHandler([this](const RecordedRequest& request) -> std::optional<FakeResponse> {
            const TileId tile = LandTiles::parsePath(request.path);
            if (!tile.isValid())
                return std::nullopt;
            return FakeResponse::png(m_land.png(tile));
        });
        DataHosts::pointAllAt(m_server.baseUrl());
        m_delegate.glyph = QImage(64, 64, QImage::Format_ARGB32_Premultiplied);
        m_delegate.glyph.fill(Qt::transparent);
        QSvgRenderer svg(TestData::read(QStringLiteral("mapwidget/hurricane.svg")));
        QPainter painter(&m_delegate.glyph);
        svg.render(&painter);
        m_borders = PrefectureSample::borders();
        m_labels = PrefectureSample::labels();
        QCOMPARE(m_borders.size(), 2 * 87);
        QCOMPARE(m_labels.size(), 47);

        // Rain over a few tiles south of Kyushu and Shikoku, nothing elsewhere.
        auto radar = std::make_shared<FakeTileOverlay>(4, 10);
        const QByteArray rain = TestData::read(QStringLiteral("mapwidget/hrpns_rain_blobs_p4.png"));
        radar->setAnswer([rain](const TilePath& path) {
            const MapRect rect = TileId{path.z, path.x, path.y}.mapRect();
            const GeoCoordinate nw = MapProjection::toCoordinate({rect.x, rect.y});
            const GeoCoordinate se =
                MapProjection::toCoordinate({rect.x + rect.width, rect.y + rect.height});
            const bool rainy =
                se.latitude < 34.5 && nw.latitude > 29 && se.longitude > 128 && nw.longitude < 134;
            return rainy ? TileResult::fromEncoded(rain) : TileResult::fromEncoded({}, true);
        });
        m_radar = radar;
    }

    void cleanupTestCase() { DataHosts::setCurrent(DataHosts::production()); }

    void overviewAndDetailLightAndDark()
    {
        const MapRegion overview{{36.0, 137.0}, 26.0, 26.0};
        const QImage light = shoot(overview, false, QStringLiteral("map-overview-light.png"));
        const QImage dark = shoot(overview, true, QStringLiteral("map-overview-dark.png"));
        QVERIFY(!light.isNull() && !dark.isNull());

        // Open Pacific and inland Hokkaido, away from labels and lines: the base map shows,
        // and the dark map is dark with land darker than sea.
        const MapViewport view =
            MapViewport(MapProjection::toMapPoint(overview.center), 5, QSizeF(1000, 700))
                .fitted(overview);
        const QPoint sea = view.pointForCoordinate({31.0, 145.0}).toPoint();
        const QPoint land = view.pointForCoordinate({43.9, 143.9}).toPoint();
        QCOMPARE(countNear(light, sea, LandTiles::kSea, 2), 49);
        QVERIFY(countNear(light, land, LandTiles::kLand, 4) > 20);
        QVERIFY(dark.pixelColor(sea).lightness() < 90);
        QVERIFY(dark.pixelColor(land).lightness() < dark.pixelColor(sea).lightness());

        const MapRegion detail{{35.68, 139.77}, 1.1, 1.1};
        QVERIFY(!shoot(detail, false, QStringLiteral("map-detail-light.png")).isNull());
        QVERIFY(!shoot(detail, true, QStringLiteral("map-detail-dark.png")).isNull());
    }

    void highDensityRender()
    {
        m_delegate.dark = false;
        MapSceneOptions options;
        options.baseMap.cacheDirectory = m_cacheDir.path();
        MapScene scene(options);
        scene.setDarkOverride(false);
        scene.setDelegate(&m_delegate);
        scene.setDevicePixelRatio(2);
        scene.setViewportSize(QSizeF(700, 500));
        scene.setRegion({{34.7, 135.5}, 3.0, 3.0});
        scene.addOverlays(m_borders);
        scene.addAnnotations(m_labels);
        QVERIFY(QTest::qWaitFor([&] { return scene.isLoaded(); }, 20000));
        const QImage image = scene.render();
        QCOMPARE(image.size(), QSize(1400, 1000));
        QVERIFY(image.save(QStringLiteral(SHIGUREN_SCREENSHOT_DIR "/map-kansai-light@2x.png")));
    }
};

QTEST_MAIN(TestMapScreenshots)
#include "tst_mapscreenshots.moc"
