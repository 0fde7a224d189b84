// What one frame of the map costs, offscreen at 1280 × 800: a full repaint with base tiles
// and radar tiles at alpha 0.75 against a bare loop that blits the same pictures to the same
// places; the same after a radar frame change with the 87 prefecture borders (casing and
// core) and 47 labels on top; a pan step and a zoom step. See bench/README.md.

#include "PrefectureSample.h"
#include "mapwidget/BaseMapLayer.h"
#include "mapwidget/MapAnnotation.h"
#include "mapwidget/MapDelegate.h"
#include "mapwidget/MapScene.h"
#include "mapwidget/ShapeRenderer.h"
#include "mapwidget/TileCover.h"
#include "mapwidget/TileDecoder.h"
#include "mapwidget/TileOverlay.h"
#include "mapwidget/TileOverlayLayer.h"
#include "mapwidget/TileOverlayRenderer.h"
#include "platform/DataHosts.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <memory>

namespace {

const QSize kSize(1280, 800);
const GeoCoordinate kCenter{35.2, 136.0};

QByteArray readData(const char* name)
{
    QFile file(QStringLiteral(SHIGUREN_BENCH_DATA_DIR "/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing %s", name);
    return file.readAll();
}

// Answers every request at once with the same decoded radar picture (a frame's tiles come
// from the loader's memory cache in the common case).
class RadarTiles : public TileOverlay {
public:
    QImage picture = TileDecoder::decode(readData("hrpns_rain_blobs_p4.png"));
    void loadTile(const TilePath&, ResultCallback result) override
    {
        result(TileResult::fromImage(picture));
    }
    int minimumZ() const override { return 4; }
    int maximumZ() const override { return 16; }
};

using PrefectureSample::Border;

class Delegate : public MapDelegate {
public:
    std::shared_ptr<MapOverlayRenderer>
    rendererFor(const std::shared_ptr<MapOverlay>& overlay) override
    {
        auto renderer = MapDelegate::rendererFor(overlay);
        if (auto border = std::dynamic_pointer_cast<Border>(overlay))
            PrefectureSample::styleBorder(*std::static_pointer_cast<ShapeRenderer>(renderer),
                                          *border, false);
        else if (renderer)
            renderer->setAlpha(0.75);
        return renderer;
    }
    std::shared_ptr<MapAnnotationView>
    viewFor(MapScene& map, const std::shared_ptr<MapAnnotation>& annotation) override
    {
        return PrefectureSample::labelView(map, *annotation, false);
    }
};

QImage baseTile(const TileId& tile)
{
    // Opaque like GSI's tiles; the content does not matter to a blit.
    QImage image(256, 256, QImage::Format_RGB32);
    image.fill(QColor(240, 238, 232));
    QPainter painter(&image);
    painter.setPen(QColor(190, 200, 210));
    for (int i = 0; i < 256; i += 32)
        painter.drawLine(0, (i + tile.x) % 256, 255, (i * 3 + tile.y) % 256);
    return image;
}

// One map, set up once: base tiles in memory for the whole neighbourhood, a radar overlay,
// and optionally the prefecture layers.
struct Map {
    QTemporaryDir cacheDir;
    Delegate delegate;
    std::unique_ptr<MapScene> scene;
    std::shared_ptr<RadarTiles> radar = std::make_shared<RadarTiles>();
    QImage target{kSize, QImage::Format_ARGB32_Premultiplied};

    Map(double zoom, bool prefectures)
    {
        MapSceneOptions options;
        options.baseMap.cacheDirectory = cacheDir.path();
        scene = std::make_unique<MapScene>(options);
        scene->setDarkOverride(false);
        scene->setDelegate(&delegate);
        scene->setViewportSize(kSize);
        const MapPoint center = MapProjection::toMapPoint(kCenter);
        for (int z = 5; z <= 9; ++z) {
            const double margin = kMapWorldWidth / (1 << 6) * 4;
            for (const TileId& tile : TileCover::covering(
                     {center.x - margin, center.y - margin, 2 * margin, 2 * margin}, z))
                scene->baseMap().cache().insert({tile, 0}, baseTile(tile));
        }
        scene->setCamera(center, zoom);
        scene->addOverlay(radar, MapZ::AboveRoads);
        if (prefectures)
            addPrefectures();
        settle();
        paint();
    }

    void addPrefectures()
    {
        scene->addOverlays(PrefectureSample::borders());
        scene->addAnnotations(PrefectureSample::labels());
    }

    void settle()
    {
        while (!scene->isLoaded())
            QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    void paint()
    {
        QPainter painter(&target);
        scene->paint(painter);
    }

    std::shared_ptr<const TileOverlayLayer> radarLayer() const
    {
        return scene->tileLayer(radar.get());
    }
};

// The reference: the same pictures to the same device rectangles, nothing else.
void plainBlit(benchmark::State& state, double zoom)
{
    Map map(zoom, false);
    const MapViewport& view = map.scene->viewport();
    QList<QRect> baseRects;
    for (const TileId& tile : map.scene->baseMap().visibleTiles())
        baseRects.append(view.deviceRect(tile.mapRect()));
    QList<QRect> radarRects;
    for (const TileId& tile : map.radarLayer()->visibleTiles())
        radarRects.append(view.deviceRect(tile.mapRect()));
    const QImage base = baseTile({0, 0, 0});
    const QImage& radar = map.radar->picture;
    const bool scaled = baseRects.first().width() != 256;
    for (auto _ : state) {
        QPainter painter(&map.target);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, scaled);
        for (const QRect& rect : baseRects)
            painter.drawImage(rect, base);
        painter.setOpacity(0.75);
        for (const QRect& rect : radarRects)
            painter.drawImage(rect, radar);
    }
    state.counters["base_tiles"] = double(baseRects.size());
    state.counters["radar_tiles"] = double(radarRects.size());
}

void fullRepaint(benchmark::State& state, double zoom)
{
    Map map(zoom, false);
    for (auto _ : state)
        map.paint();
    state.counters["radar_tiles"] = double(map.radarLayer()->visibleTiles().size());
}

// A new radar frame has arrived: the tiles change, the lines and labels do not.
void frameChangeWithPrefectures(benchmark::State& state, double zoom)
{
    Map map(zoom, true);
    auto renderer =
        std::static_pointer_cast<TileOverlayRenderer>(map.scene->renderer(map.radar.get()));
    const int rendersBefore = map.scene->vectorRenderCount();
    for (auto _ : state) {
        state.PauseTiming();
        renderer->reloadData();
        map.settle();
        state.ResumeTiming();
        map.paint();
    }
    state.counters["vector_renders"] = double(map.scene->vectorRenderCount() - rendersBefore);
}

// A drag step of 12 points, with the hand still on the map.
void panStep(benchmark::State& state, double zoom)
{
    Map map(zoom, true);
    map.scene->beginGesture();
    int step = 0;
    for (auto _ : state) {
        const double dx = (step++ / 20) % 2 == 0 ? 12 : -12;
        map.scene->panBy(QPointF(dx, 4 * (dx > 0 ? 1 : -1)));
        QCoreApplication::processEvents();
        map.paint();
    }
    map.scene->endGesture();
    state.counters["vector_renders"] = double(map.scene->vectorRenderCount());
}

// A wheel step of 0.05 levels about a point off the centre; while the gesture runs the line
// picture is scaled, so `settled` also measures drawing the lines afresh at every step.
void zoomStep(benchmark::State& state, double zoom, bool settled)
{
    Map map(zoom, true);
    if (!settled)
        map.scene->beginGesture();
    int step = 0;
    for (auto _ : state) {
        const double delta = (step++ / 10) % 2 == 0 ? 0.05 : -0.05;
        map.scene->zoomAround(map.scene->zoom() + delta, QPointF(500, 300));
        QCoreApplication::processEvents();
        map.paint();
    }
    state.counters["vector_renders"] = double(map.scene->vectorRenderCount());
}

} // namespace

BENCHMARK_CAPTURE(plainBlit, whole_zoom, 7.0)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(fullRepaint, whole_zoom, 7.0)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(frameChangeWithPrefectures, whole_zoom, 7.0)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(plainBlit, fractional_zoom, 6.45)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(fullRepaint, fractional_zoom, 6.45)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(frameChangeWithPrefectures, fractional_zoom, 6.45)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(panStep, whole_zoom, 7.0)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(zoomStep, in_gesture, 7.0, false)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(zoomStep, settled, 7.0, true)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Nothing may reach the internet: the base map's neighbourhood is in memory, and a tile
    // outside it fails at once against a closed local port.
    DataHosts::pointAllAt(QUrl(QStringLiteral("http://127.0.0.1:1")));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
