// The frame switch of the radar maps, from update() to the last visible radar tile painted,
// beside the two floors it is judged against: blitting the same tiles, and decoding one
// PNG per tile. Every agency tile is in the loader's memory cache before timing starts
// (nothing is downloaded while timed), and each PNG is unique, as the agency's are. Each
// benchmark starts with a loader of its own, so no picture made for one is reused by another.
#include "FakeHttpServer.h"
#include "HazardTiles.h"
#include "map/RadarMapCoordinator.h"
#include "map/RadarMapHost.h"
#include "mapwidget/MapProjection.h"
#include "mapwidget/MapWidget.h"
#include "mapwidget/TileDecoder.h"
#include "mapwidget/TileOverlayLayer.h"
#include "platform/AllocatorTuning.h"
#include "platform/DataHosts.h"
#include "platform/async/TaskScope.h"
#include "radar/JMATime.h"
#include "support/CpuTime.h"
#include "tiles/RadarTileLoader.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>
#include <QThreadPool>

#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kFrames = 12;
const QSize kViewSize(1280, 800);

QImage sampleImage()
{
    static const QImage image(QStringLiteral(SHIGUREN_SAMPLE_TILES "/hrpns_rain_blobs_p4.png"));
    return image;
}

// The sample rain tile as a PNG of its own for every address, as the agency's tiles are.
QByteArray uniquePng(const QString& path)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setText(QStringLiteral("address"), path);
    writer.write(sampleImage());
    return buffer.data();
}

// A thunder or tornado tile, unique to its address likewise. Their areas are far smaller than
// the rain's: one tile in four (even column and row) shows a storm, a level-3 or level-1
// square over its middle quarter; the others are the agency's empty placeholder.
QByteArray uniqueHazardPng(const QString& path)
{
    static const QByteArray empty = [] {
        QFile file(QStringLiteral(SHIGUREN_SAMPLE_TILES "/empty_placeholder_rgba.png"));
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();
    const QStringList parts = path.chopped(4).split(u'/');
    if (parts.size() < 2 || parts.at(parts.size() - 2).toInt() % 2 != 0 ||
        parts.last().toInt() % 2 != 0)
        return empty;
    const bool thunder = path.contains(QStringLiteral("/thns/"));
    const QImage image =
        QImage::fromData(thunder ? HazardTiles::tile(HazardTiles::thunderColours(), 3)
                                 : HazardTiles::tile(HazardTiles::tornadoColours(), 1));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setText(QStringLiteral("address"), path);
    writer.write(image);
    return buffer.data();
}

RadarFrames makeFrames(RadarProduct product = RadarProduct::Nowcast)
{
    RadarFrames frames;
    const QDateTime start = *JMATime::parse(QStringLiteral("20250829043000"));
    for (int i = 0; i < kFrames; ++i) {
        const QString time = start.addSecs(300 * i).toString(QStringLiteral("yyyyMMddHHmmss"));
        frames.append({product, time, time, RadarFrame::Kind::Observation, *JMATime::parse(time)});
    }
    return frames;
}

// The fake agency, shared by every benchmark, and the loader of the running benchmark.
struct Agency {
    FakeHttpServer server;
    QTemporaryDir cacheDir;
    std::unique_ptr<RadarTileLoader> loader;
    RadarFrames frames = makeFrames();
    // One of each every five minutes; a map shows them at the agency's pace, every ten.
    RadarFrames thunderFrames = makeFrames(RadarProduct::ThunderNowcast);
    RadarFrames tornadoFrames = makeFrames(RadarProduct::TornadoNowcast);

    Agency()
    {
        server.listen();
        server.setHandler([](const RecordedRequest& request) -> std::optional<FakeResponse> {
            static QHash<QString, QByteArray> pngs;
            auto png = pngs.find(request.path);
            if (png == pngs.end()) {
                const bool hazard = request.path.contains(QStringLiteral("/thns/")) ||
                                    request.path.contains(QStringLiteral("/trns/"));
                png = pngs.insert(request.path,
                                  hazard ? uniqueHazardPng(request.path) : uniquePng(request.path));
            }
            return FakeResponse::png(*png);
        });
        DataHosts::pointAllAt(server.baseUrl());
    }
    void freshLoader()
    {
        loader.reset();
        loader = std::make_unique<RadarTileLoader>(
            RadarTileLoaderOptions{cacheDir.path(), qint64(512) << 20, qint64(512) << 20});
    }
    static Agency& instance()
    {
        static Agency agency;
        return agency;
    }
};

// One map, hidden (the benchmark paints it), 1280 × 800 points at ratio 1.
struct Map {
    RadarMapView view;
    std::unique_ptr<RadarMapHost> host;
    QImage canvas{kViewSize, QImage::Format_ARGB32_Premultiplied};
    double cpuSeconds = 0;    // spent in showFrame()
    double guiCpuSeconds = 0; // of that, on the GUI thread
    int shown = 0;

    bool nowcasts = false; // thunder and tornado over the rain

    Map(RadarMapView::Style style, double zoom, bool withNowcasts = false)
        : nowcasts(withNowcasts)
    {
        view.style = style;
        view.location = style == RadarMapView::Style::Detail
                            ? SavedLocation::create(QStringLiteral("東京"), {}, 35.68, 139.76)
                            : SavedLocation::create(QStringLiteral("日本"), {}, 36.0, 137.0);
        view.opacity = 0.75;
        setFrames(0);
        MapSceneOptions options;
        options.showBaseMap = false;
        host = std::make_unique<RadarMapHost>(view, nullptr, options,
                                              Agency::instance().loader.get(), PrefectureData{});
        scene().setViewportSize(kViewSize);
        host->update(view);
        scene().setCamera(MapProjection::toMapPoint(view.location.coordinate()), zoom);
        waitAndPaint();
    }
    MapScene& scene() { return host->mapWidget().scene(); }
    std::shared_ptr<const TileOverlayLayer> layer()
    {
        return scene().tileLayer(host->coordinator().overlay().get());
    }
    void setFrames(int index)
    {
        const Agency& agency = Agency::instance();
        view.frame = agency.frames[index % kFrames];
        // The agency's nowcasts come every ten minutes: every other radar frame changes them.
        if (nowcasts) {
            view.thunderFrame = agency.thunderFrames[index % kFrames / 2 * 2];
            view.tornadoFrame = agency.tornadoFrames[index % kFrames / 2 * 2];
        }
    }
    bool complete()
    {
        const auto tiles = layer();
        if (!tiles || !tiles->isComplete())
            return false;
        if (!nowcasts)
            return true;
        const RadarMapCoordinator& coordinator = host->coordinator();
        for (const HazardTileLayer* hazard :
             {&coordinator.thunderLayer(), &coordinator.tornadoLayer()}) {
            const auto hazardTiles = scene().tileLayer(hazard->overlay().get());
            if (!hazardTiles || !hazardTiles->isComplete())
                return false;
        }
        return true;
    }
    void waitAndPaint()
    {
        while (!complete())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        // No clearing first: without its base map the scene fills the view with the
        // background itself, as the blit floor clears its canvas once.
        QPainter painter(&canvas);
        scene().paint(painter);
    }
    // From the new value to the picture with every tile of the new frame.
    double showFrame(int index)
    {
        QElapsedTimer timer;
        const double cpu = processCpuSeconds();
        const double guiCpu = threadCpuSeconds();
        timer.start();
        setFrames(index);
        host->update(view);
        waitAndPaint();
        const double wall = double(timer.nsecsElapsed()) / 1e9;
        cpuSeconds += processCpuSeconds() - cpu;
        guiCpuSeconds += threadCpuSeconds() - guiCpu;
        ++shown;
        return wall;
    }
};

// The agency tiles a map tile is made from: itself at even zooms up to the deepest served
// one (10 for rain, 8 for the nowcasts), its four children at odd zooms, its ancestor at the
// deepest zoom below that.
QList<TilePath> sourceTiles(const QList<TileId>& shown, int deepest = 10)
{
    QList<TilePath> sources;
    for (const TileId& tile : shown) {
        if (tile.z > deepest) {
            const TileId up = tile.ancestor(tile.z - deepest);
            sources.append({up, 1.0});
        } else if (tile.z % 2 == 1) {
            for (int i = 0; i < 4; ++i)
                sources.append({{tile.z + 1, 2 * tile.x + i % 2, 2 * tile.y + i / 2}, 1.0});
        } else {
            sources.append({tile, 1.0});
        }
    }
    sources.removeIf([&, seen = QSet<TileId>()](const TilePath& path) mutable {
        const bool repeated = seen.contains(path.tile);
        seen.insert(path.tile);
        return repeated;
    });
    return sources;
}

// Every agency tile the map will ask for into the loader's memory cache, through the
// loader's own prefetch: nothing the measured map draws has been decoded, composed or cut
// out yet (except the first frame, which the set-up shows).
void warm(RadarMapView::Style style, double zoom, bool withNowcasts = false)
{
    Agency& agency = Agency::instance();
    Map probe(style, zoom, withNowcasts);
    const auto prefetch = [&](const RadarFrames& frames, const QList<TilePath>& sources) {
        bool done = false;
        async::TaskScope scope;
        scope.spawn([](async::Task<void> task, bool* finished) -> async::Task<void> {
            co_await task;
            *finished = true;
        }(agency.loader->prefetch(frames, sources), &done));
        while (!done)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    };
    prefetch(agency.frames, sourceTiles(probe.layer()->visibleTiles()));
    if (withNowcasts) {
        const RadarMapCoordinator& coordinator = probe.host->coordinator();
        const auto tiles = probe.scene().tileLayer(coordinator.thunderLayer().overlay().get());
        const QList<TilePath> sources = sourceTiles(tiles->visibleTiles(), 8);
        prefetch(agency.thunderFrames, sources);
        prefetch(agency.tornadoFrames, sources);
    }
}

void report(benchmark::State& state, Map& map)
{
    const auto tiles = map.layer();
    state.counters["tiles"] = double(tiles->visibleTiles().size());
    state.counters["level"] = tiles->level();
    state.counters["process_cpu_ms"] = map.shown ? 1000 * map.cpuSeconds / map.shown : 0;
    state.counters["gui_cpu_ms"] = map.shown ? 1000 * map.guiCpuSeconds / map.shown : 0;
    state.counters["radar_requests"] = tiles->counters().requests;
    if (map.nowcasts) {
        int requests = 0;
        const RadarMapCoordinator& coordinator = map.host->coordinator();
        for (const HazardTileLayer* hazard :
             {&coordinator.thunderLayer(), &coordinator.tornadoLayer()})
            requests += map.scene().tileLayer(hazard->overlay().get())->counters().requests;
        state.counters["nowcast_requests"] = requests;
    }
}

// A frame change with pictures that were never decoded for this map.
void frameChangeFirstPass(benchmark::State& state, RadarMapView::Style style, double zoom,
                          bool withNowcasts = false)
{
    Agency::instance().freshLoader();
    warm(style, zoom, withNowcasts);
    Map map(style, zoom, withNowcasts);
    const qsizetype before = Agency::instance().server.requests().size();
    int index = 1;
    for (auto _ : state)
        state.SetIterationTime(map.showFrame(index++));
    report(state, map);
    state.counters["downloads"] = double(Agency::instance().server.requests().size() - before);
}

// The same frames again, as an animation loop shows them.
void frameChangeSecondPass(benchmark::State& state, RadarMapView::Style style, double zoom,
                           bool withNowcasts = false)
{
    Agency::instance().freshLoader();
    warm(style, zoom, withNowcasts);
    Map map(style, zoom, withNowcasts);
    for (int i = 1; i <= kFrames; ++i)
        map.showFrame(i);
    map.cpuSeconds = 0;
    map.guiCpuSeconds = 0;
    map.shown = 0;
    int index = 1;
    for (auto _ : state)
        state.SetIterationTime(map.showFrame(index++));
    report(state, map);
}

// The floor: drawing as many prepared 256-pixel tiles over 1280 × 800 at the radar's alpha.
// Each is a picture of its own, as a frame's tiles are (one picture drawn again and again
// would stay in the processor's cache and flatter the floor).
void plainBlit(benchmark::State& state, int tileCount)
{
    const QImage tile = sampleImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    std::vector<QImage> tiles;
    for (int i = 0; i < tileCount; ++i)
        tiles.push_back(tile.copy());
    QImage canvas(kViewSize, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        painter.setOpacity(0.75);
        for (int i = 0; i < tileCount; ++i)
            painter.drawImage(QPoint((i % 6) * 256 - 100, (i / 6 % 5) * 256 - 100),
                              tiles[size_t(i)]);
    }
}

// The other floor: one PNG decode (to a prepared picture) per tile.
void decodeOnePng(benchmark::State& state)
{
    const QByteArray png = uniquePng(QStringLiteral("/decode"));
    for (auto _ : state)
        benchmark::DoNotOptimize(TileDecoder::decode(png));
}

// The first pass's floor measured rather than assumed: as many distinct PNGs as a frame
// change decodes, decoded (and prepared) on the global thread pool the map uses, from the
// first start to the last picture. Dividing one decode by two would assume both cores
// decode at full speed side by side, which two cores sharing caches and memory do not.
void decodeOnBothCores(benchmark::State& state)
{
    const int count = int(state.range(0));
    std::vector<QByteArray> pngs;
    for (int i = 0; i < count; ++i)
        pngs.push_back(uniquePng(QStringLiteral("/decode/%1").arg(i)));
    QThreadPool* pool = QThreadPool::globalInstance();
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        for (const QByteArray& png : pngs)
            pool->start([&png] { benchmark::DoNotOptimize(TileDecoder::decode(png)); });
        pool->waitForDone();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
    }
}

// Both maps switching frames 12 times a second for three seconds: the requests the map has
// not had answered must not pile up.
void bothMapsAt12Fps(benchmark::State& state)
{
    Agency::instance().freshLoader();
    warm(RadarMapView::Style::Detail, 8);
    warm(RadarMapView::Style::Overview, 6);
    Map detail(RadarMapView::Style::Detail, 8);
    Map overview(RadarMapView::Style::Overview, 6);
    for (auto _ : state) {
        int maxPending = 0;
        int lastPending = 0;
        int completeFrames = 0;
        QElapsedTimer clock;
        clock.start();
        for (int tick = 0; tick < 36; ++tick) {
            for (Map* map : {&detail, &overview}) {
                completeFrames += map->complete();
                map->view.frame = Agency::instance().frames[(tick + 1) % kFrames];
                map->host->update(map->view);
            }
            const qint64 due = (tick + 1) * 1000 / 12;
            while (clock.elapsed() < due) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, int(due - clock.elapsed()));
                // What a 60 Hz screen would show.
                for (Map* map : {&detail, &overview}) {
                    QPainter painter(&map->canvas);
                    map->scene().paint(painter);
                }
            }
            lastPending = detail.layer()->pendingCount() + overview.layer()->pendingCount();
            maxPending = std::max(maxPending, lastPending);
        }
        state.counters["max_pending"] = maxPending;
        state.counters["last_pending"] = lastPending;
        state.counters["complete_frames_of_72"] = completeFrames;
        state.counters["tiles_on_screen"] =
            double(detail.layer()->visibleTiles().size() + overview.layer()->visibleTiles().size());
    }
}

#define FRAME_CHANGE(style, name, zoom)                                                            \
    BENCHMARK_CAPTURE(frameChangeFirstPass, name, RadarMapView::Style::style, zoom)                \
        ->Iterations(kFrames - 1)                                                                  \
        ->UseManualTime()                                                                          \
        ->Unit(benchmark::kMillisecond);                                                           \
    BENCHMARK_CAPTURE(frameChangeSecondPass, name, RadarMapView::Style::style, zoom)               \
        ->Iterations(kFrames - 1)                                                                  \
        ->UseManualTime()                                                                          \
        ->Unit(benchmark::kMillisecond)

FRAME_CHANGE(Detail, detail_even_z8, 8.0);
FRAME_CHANGE(Detail, detail_odd_z9, 9.0);
FRAME_CHANGE(Detail, detail_z11, 11.0);
FRAME_CHANGE(Overview, overview_even_z6, 6.0);
FRAME_CHANGE(Overview, overview_odd_z5, 5.0);

// The same with the thunder and tornado layers on, both over a storm on every tile.
#define FRAME_CHANGE_WITH_NOWCASTS(style, name, zoom)                                              \
    BENCHMARK_CAPTURE(frameChangeFirstPass, name##_nowcasts, RadarMapView::Style::style, zoom,     \
                      true)                                                                        \
        ->Iterations(kFrames - 1)                                                                  \
        ->UseManualTime()                                                                          \
        ->Unit(benchmark::kMillisecond);                                                           \
    BENCHMARK_CAPTURE(frameChangeSecondPass, name##_nowcasts, RadarMapView::Style::style, zoom,    \
                      true)                                                                        \
        ->Iterations(kFrames - 1)                                                                  \
        ->UseManualTime()                                                                          \
        ->Unit(benchmark::kMillisecond)

FRAME_CHANGE_WITH_NOWCASTS(Detail, detail_even_z8, 8.0);
FRAME_CHANGE_WITH_NOWCASTS(Detail, detail_odd_z9, 9.0);
FRAME_CHANGE_WITH_NOWCASTS(Detail, detail_z11, 11.0);
FRAME_CHANGE_WITH_NOWCASTS(Overview, overview_even_z6, 6.0);
BENCHMARK_CAPTURE(plainBlit, tiles_24, 24)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(plainBlit, tiles_30, 30)->Unit(benchmark::kMillisecond);
BENCHMARK(decodeOnePng)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(decodeOnBothCores)
    ->Arg(24)
    ->Arg(30)
    ->Arg(96)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(bothMapsAt12Fps)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    tuneAllocatorForTileImages(); // as the program does at start-up
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
