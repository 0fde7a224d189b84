// One rain outlook recompute: GUI-thread CPU time with the tiles in the source's memory, and
// the downloads a recompute costs, warm and cold.
#include "FakeHttpServer.h"
#include "outlook/RainOutlookService.h"
#include "platform/DataHosts.h"
#include "platform/async/TaskScope.h"
#include "radar/JMATime.h"
#include "support/CpuTime.h"
#include "tiles/AgencyTileSource.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <memory>

namespace {

const GeoCoordinate kTokyo{35.681236, 139.767125};
const QDateTime kNewest = *JMATime::parse(QStringLiteral("20250829053000"));

RadarFrame frameOf(RadarProduct product, RadarFrame::Kind kind, const QDateTime& base, int minutes)
{
    const QDateTime valid = base.addSecs(qint64(minutes) * 60);
    return RadarFrame{product, JMATime::format(base), JMATime::format(valid), kind, valid};
}

// The three-hour range with the forecast range on: three hours of observations, an hour of
// nowcast, six hourly forecasts. The outlook samples 13 + 12 + 6 of them.
RadarFrames timelineFrames()
{
    RadarFrames frames;
    for (int m = -180; m <= 0; m += 5)
        frames.append(frameOf(RadarProduct::Nowcast, RadarFrame::Kind::Observation,
                              kNewest.addSecs(qint64(m) * 60), 0));
    for (int m = 5; m <= 60; m += 5)
        frames.append(frameOf(RadarProduct::Nowcast, RadarFrame::Kind::Forecast, kNewest, m));
    for (int h = 2; h <= 7; ++h)
        frames.append(frameOf(RadarProduct::Analysis, RadarFrame::Kind::Forecast,
                              kNewest.addSecs(-600), h * 60));
    return frames;
}

struct Agency {
    FakeHttpServer server;
    std::unique_ptr<QTemporaryDir> cache;
    std::unique_ptr<AgencyTileSource> tiles;

    Agency()
    {
        server.listen();
        QFile file(QStringLiteral(SHIGUREN_SAMPLE_TILES "/hrpns_all_classes_p4.png"));
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        server.setHandler([bytes](const RecordedRequest&) { return FakeResponse::png(bytes); });
        DataHosts::pointAllAt(server.baseUrl());
        fresh();
    }
    // A source with empty caches.
    void fresh()
    {
        tiles.reset();
        cache = std::make_unique<QTemporaryDir>();
        tiles = std::make_unique<AgencyTileSource>(cache->path(), 64 << 20, 64 << 20);
    }
    int downloads() const { return int(server.requests().size()); }
};

struct Measured {
    double guiCpuSeconds = 0;
    double wallSeconds = 0;
    qsizetype steps = 0;
};

// One recompute through the event loop, as the service runs it. The pool's decoding is on
// other threads, so the calling thread's CPU time is the GUI thread's share.
Measured recompute(AgencyTileSource& tiles, const RadarFrames& frames)
{
    Measured measured;
    bool done = false;
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = threadCpuSeconds();
    async::TaskScope scope;
    scope.spawn([](AgencyTileSource* source, RadarFrames input, bool* finished,
                   qsizetype* steps) -> async::Task<void> {
        async::Task<RainOutlook> computing =
            RainOutlookService::compute(*source, std::move(input), QStringLiteral("東京"), kTokyo);
        const RainOutlook outlook = co_await computing;
        *steps = outlook.steps.size();
        *finished = true;
    }(&tiles, frames, &done, &measured.steps));
    while (!done)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    measured.guiCpuSeconds = threadCpuSeconds() - cpu0;
    measured.wallSeconds = double(wall.nsecsElapsed()) / 1e9;
    return measured;
}

void report(benchmark::State& state, double wall, int downloads, qsizetype steps)
{
    const double n = double(state.iterations());
    state.counters["wall_ms"] = wall * 1000 / n;
    state.counters["downloads"] = downloads / n;
    state.counters["steps"] = double(steps);
}

// Every tile already in the source's memory (the detail map holds them at zoom 10).
void BM_RecomputeTilesHeld(benchmark::State& state)
{
    static Agency agency;
    const RadarFrames frames = timelineFrames();
    recompute(*agency.tiles, frames); // warms the memory cache
    const int before = agency.downloads();
    double wall = 0;
    qsizetype steps = 0;
    for (auto _ : state) {
        const Measured m = recompute(*agency.tiles, frames);
        state.SetIterationTime(m.guiCpuSeconds);
        wall += m.wallSeconds;
        steps = m.steps;
    }
    report(state, wall, agency.downloads() - before, steps);
}
BENCHMARK(BM_RecomputeTilesHeld)->UseManualTime()->Unit(benchmark::kMillisecond);

// Nothing held: every sampled frame's one tile comes from the local fake agency.
void BM_RecomputeCold(benchmark::State& state)
{
    static Agency agency;
    const RadarFrames frames = timelineFrames();
    int downloads = 0;
    double wall = 0;
    qsizetype steps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        agency.fresh();
        const int before = agency.downloads();
        state.ResumeTiming();
        const Measured m = recompute(*agency.tiles, frames);
        state.SetIterationTime(m.guiCpuSeconds);
        wall += m.wallSeconds;
        steps = m.steps;
        downloads += agency.downloads() - before;
    }
    report(state, wall, downloads, steps);
}
BENCHMARK(BM_RecomputeCold)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
