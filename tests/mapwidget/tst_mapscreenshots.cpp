#include "FakeHttpServer.h"
#include "FakeTileOverlay.h"
#include "LandTiles.h"
#include "TestData.h"
#include "mapwidget/CircleOverlay.h"
#include "mapwidget/MapAnnotation.h"
#include "mapwidget/MapDelegate.h"
#include "mapwidget/MapWidget.h"
#include "mapwidget/MarkerAnnotationView.h"
#include "mapwidget/MultiPolylineOverlay.h"
#include "mapwidget/PolylineOverlay.h"
#include "mapwidget/ShapeRenderer.h"
#include "mapwidget/TextAnnotationView.h"
#include "platform/DataHosts.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

class Border : public MultiPolylineOverlay {
public:
    Border(const QList<QList<GeoCoordinate>>& lines, bool casing)
        : MultiPolylineOverlay(lines)
        , isCasing(casing)
    {}
    const bool isCasing;
};

class Label : public MapAnnotation {
public:
    using MapAnnotation::MapAnnotation;
};

class Track : public PolylineOverlay {
public:
    using PolylineOverlay::PolylineOverlay;
};

QList<QList<GeoCoordinate>> linesOf(const QJsonObject& geometry)
{
    QJsonArray parts = geometry.value(QLatin1String("coordinates")).toArray();
    if (geometry.value(QLatin1String("type")).toString() == QLatin1String("LineString"))
        parts = QJsonArray{parts};
    QList<QList<GeoCoordinate>> lines;
    for (const QJsonValue part : parts) {
        QList<GeoCoordinate> line;
        for (const QJsonValue position : part.toArray())
            line.append({position.toArray().at(1).toDouble(), position.toArray().at(0).toDouble()});
        lines.append(line);
    }
    return lines;
}

// Draws like the radar map's layers will: dashed borders over a casing, haloed names,
// an orange forecast track and probability circle, a red typhoon marker.
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
            renderer->setAlpha(0.75); // the radar
            return renderer;
        }
        if (auto border = std::dynamic_pointer_cast<Border>(overlay)) {
            const QColor core =
                dark ? QColor::fromRgbF(1.0f, 0.78f, 0.78f) : QColor::fromRgbF(0.35f, 0, 0);
            shape->setStrokeColor(border->isCasing
                                      ? (dark ? QColor(0, 0, 0, 191) : QColor(255, 255, 255, 230))
                                      : core);
            shape->setLineWidth(border->isCasing ? 3.2 : 1.4);
            shape->setLineDashPattern({3, 3});
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
        if (std::dynamic_pointer_cast<Label>(annotation)) {
            auto view = std::dynamic_pointer_cast<TextAnnotationView>(
                map.dequeueReusableView(QStringLiteral("PrefectureLabel")));
            if (!view)
                view = std::make_shared<TextAnnotationView>(QStringLiteral("PrefectureLabel"));
            QFont font;
            font.setPixelSize(11);
            font.setWeight(QFont::DemiBold);
            view->setFont(font);
            view->setTextColor(dark ? QColor(235, 235, 235) : QColor(20, 20, 20));
            view->setHalo(dark ? QColor(0, 0, 0, 217) : QColor(255, 255, 255, 217), 3);
            view->setDisplayPriority(MapAnnotationView::kPriorityDefaultLow);
            view->setText(annotation->title());
            return view;
        }
        auto marker = std::make_shared<MarkerAnnotationView>(QStringLiteral("TyphoonMarker"));
        marker->setMarkerTintColor(QColor(255, 59, 48));
        marker->setGlyphImage(glyph);
        return marker;
    }
};

QImage svgGlyph(const QString& fixture)
{
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer svg(TestData::read(fixture));
    QPainter painter(&image);
    svg.render(&painter);
    return image;
}

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
    std::shared_ptr<MapAnnotation> m_typhoon;

    void populate(MapWidget& map)
    {
        map.setDelegate(&m_delegate);
        map.scene().setDarkOverride(m_delegate.dark);
        map.addOverlay(m_radar, MapOverlayLevel::AboveRoads);
        auto track = std::make_shared<Track>(
            QList<GeoCoordinate>{{28.5, 131.0}, {30.2, 132.4}, {32.6, 133.1}, {35.4, 135.8}});
        map.addOverlay(track);
        map.addOverlay(std::make_shared<CircleOverlay>(GeoCoordinate{32.6, 133.1}, 180000));
        map.removeOverlays(m_borders); // re-added on top, as after a typhoon update
        map.scene().addOverlays(m_borders);
        map.addAnnotations(m_labels);
        map.addAnnotation(m_typhoon);
        map.scene().selectAnnotation(m_typhoon);
    }

    QImage shoot(const MapRegion& region, bool dark, const QString& name)
    {
        m_delegate.dark = dark;
        MapSceneOptions options;
        options.baseMap.cacheDirectory = m_cacheDir.path();
        MapWidget map(nullptr, options);
        map.resize(1000, 700);
        populate(map);
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
        m_delegate.glyph = svgGlyph(QStringLiteral("mapwidget/hurricane.svg"));

        const QJsonDocument borders = QJsonDocument::fromJson(
            TestData::read(QStringLiteral("mapwidget/PrefectureBorderLines.geojson")));
        const QJsonArray features = borders.object().value(QLatin1String("features")).toArray();
        for (bool casing : {true, false}) {
            for (const QJsonValue feature : features)
                m_borders.append(std::make_shared<Border>(
                    linesOf(feature.toObject().value(QLatin1String("geometry")).toObject()),
                    casing));
        }
        const QJsonArray labels =
            QJsonDocument::fromJson(
                TestData::read(QStringLiteral("mapwidget/PrefectureLabels.json")))
                .array();
        for (const QJsonValue label : labels) {
            const QJsonObject object = label.toObject();
            m_labels.append(std::make_shared<Label>(
                GeoCoordinate{object.value(QLatin1String("lat")).toDouble(),
                              object.value(QLatin1String("lon")).toDouble()},
                object.value(QLatin1String("name")).toString()));
        }
        QCOMPARE(m_borders.size(), 2 * 87);
        QCOMPARE(m_labels.size(), 47);
        m_typhoon = std::make_shared<MapAnnotation>(
            GeoCoordinate{30.2, 132.4}, QStringLiteral("台風第10号"), QStringLiteral("強い勢力"));

        // Rain over a few tiles south of Kyushu and Shikoku, nothing elsewhere.
        auto radar = std::make_shared<FakeTileOverlay>(4, 10);
        const QByteArray rain = TestData::read(QStringLiteral("mapwidget/hrpns_rain_blobs_p4.png"));
        radar->setAnswer([rain](const TilePath& path) {
            const MapRect rect = TileId{path.z, path.x, path.y}.mapRect();
            const GeoCoordinate northWest = MapProjection::toCoordinate({rect.x, rect.y});
            const GeoCoordinate southEast =
                MapProjection::toCoordinate({rect.x + rect.width, rect.y + rect.height});
            const bool rainy = southEast.latitude < 34.5 && northWest.latitude > 29 &&
                               southEast.longitude > 128 && northWest.longitude < 134;
            return rainy ? TileResult::fromEncoded(rain) : TileResult::fromEncoded({}, true);
        });
        m_radar = radar;
    }

    void cleanupTestCase() { DataHosts::setCurrent(DataHosts::production()); }

    void overviewLightAndDark()
    {
        const MapRegion overview{{36.0, 137.0}, 26.0, 26.0};
        const QImage light = shoot(overview, false, QStringLiteral("map-overview-light.png"));
        QVERIFY(!light.isNull());
        const QImage dark = shoot(overview, true, QStringLiteral("map-overview-dark.png"));
        QVERIFY(!dark.isNull());

        // Open Pacific and inland Hokkaido, away from labels and lines.
        MapViewport view(MapProjection::toMapPoint(overview.center), 5, QSizeF(1000, 700));
        view = view.fitted(overview);
        const QPoint sea = view.pointForCoordinate({31.0, 145.0}).toPoint();
        const QPoint land = view.pointForCoordinate({43.9, 143.9}).toPoint();
        QVERIFY(countNear(light, sea, LandTiles::kSea, 2) == 49);
        QVERIFY(countNear(light, land, LandTiles::kLand, 4) > 20);
        QVERIFY(dark.pixelColor(sea).lightness() < 90);
        QVERIFY(dark.pixelColor(land).lightness() < dark.pixelColor(sea).lightness());
    }

    void detailLightAndDark()
    {
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
