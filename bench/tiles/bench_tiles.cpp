// Costs of the radar tile paths, each beside the cost of decoding the same input PNGs once,
// so the figures read as ratios on any machine.
#include "FakeHttpServer.h"
#include "mapwidget/TileDecoder.h"
#include "platform/AllocatorTuning.h"
#include "platform/DataHosts.h"
#include "platform/async/TaskScope.h"
#include "radar/JMATime.h"
#include "tiles/RadarTileLoader.h"
#include "tiles/TileImages.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QByteArray sampleTile(const char* name)
{
    QFile file(QStringLiteral(SHIGUREN_SAMPLE_TILES "/") + QLatin1String(name));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

const QByteArray& rain()
{
    static const QByteArray bytes = sampleTile("hrpns_rain_blobs_p4.png");
    return bytes;
}

const RadarFrame kFrame{RadarProduct::Nowcast, QStringLiteral("20250829053000"),
                        QStringLiteral("20250829053000"), RadarFrame::Kind::Observation,
                        *JMATime::parse(QStringLiteral("20250829053000"))};

void BM_DecodeOnePng(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(TileDecoder::decode(rain()));
}
BENCHMARK(BM_DecodeOnePng);

void BM_DecodeFourPngs(benchmark::State& state)
{
    for (auto _ : state) {
        for (int i = 0; i < 4; ++i)
            benchmark::DoNotOptimize(TileDecoder::decode(rain()));
    }
}
BENCHMARK(BM_DecodeFourPngs);

// At the canvas side of a 1× screen (each quarter halved) and of a 2× one (copied).
void BM_ComposeFourRainTiles(benchmark::State& state)
{
    const std::array<std::optional<QByteArray>, 4> four{rain(), rain(), rain(), rain()};
    for (auto _ : state)
        benchmark::DoNotOptimize(TileImages::compose(four, int(state.range(0))));
}
BENCHMARK(BM_ComposeFourRainTiles)->Arg(256)->Arg(512);

// A zoom-11 square (half the tile) and a zoom-12 one (a quarter), enlarged to 256 pixels.
void BM_CropZoom10(benchmark::State& state)
{
    const int scale = int(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(TileImages::crop(rain(), scale, 1, 0, 256));
}
BENCHMARK(BM_CropZoom10)->Arg(2)->Arg(4);

void BM_IsEmptyTile(benchmark::State& state)
{
    const QByteArray empty = sampleTile("empty_placeholder_rgba.png");
    for (auto _ : state) {
        benchmark::DoNotOptimize(TileImages::isEmptyTile(empty));
        benchmark::DoNotOptimize(TileImages::isEmptyTile(rain()));
    }
}
BENCHMARK(BM_IsEmptyTile);

// A loader whose memory cache already holds every tile the benchmarks ask for.
struct WarmLoader {
    FakeHttpServer server;
    QTemporaryDir cache;
    std::unique_ptr<RadarTileLoader> loader;

    WarmLoader()
    {
        server.listen();
        const QByteArray bytes = rain();
        server.setHandler([bytes](const RecordedRequest&) { return FakeResponse::png(bytes); });
        DataHosts::pointAllAt(server.baseUrl());
        loader = std::make_unique<RadarTileLoader>(
            RadarTileLoaderOptions{cache.path(), 64 << 20, 64 << 20});
        for (int z : {6, 7, 12})
            run(z);
    }

    // Runs one displayTile call to completion through the event loop, as the overlay does.
    bool run(int z)
    {
        const int x = z == 12 ? 3605 : (z == 7 ? 113 : 56);
        const int y = z == 12 ? 1612 : (z == 7 ? 50 : 25);
        bool done = false;
        bool ok = false;
        async::TaskScope scope;
        scope.spawn([](RadarTileLoader* tiles, int zoom, int tx, int ty, bool* finished,
                       bool* good) -> async::Task<void> {
            const auto tile = co_await tiles->pictures().displayTile(kFrame, {{zoom, tx, ty}, 2.0});
            *good = tile.has_value();
            *finished = true;
        }(loader.get(), z, x, y, &done, &ok));
        while (!done)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        return ok;
    }
};

WarmLoader& warm()
{
    static WarmLoader loader;
    return loader;
}

void BM_WarmDisplayTile(benchmark::State& state)
{
    const int z = int(state.range(0));
    WarmLoader& loader = warm();
    for (auto _ : state)
        benchmark::DoNotOptimize(loader.run(z));
}
BENCHMARK(BM_WarmDisplayTile)->Arg(6)->Arg(7)->Arg(12)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    tuneAllocatorForTileImages(); // as the program does at start-up
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
