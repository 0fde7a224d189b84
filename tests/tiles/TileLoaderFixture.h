#pragma once

#include "FakeClock.h"
#include "FakeHttpServer.h"
#include "TestData.h"
#include "platform/DataHosts.h"
#include "radar/JMATime.h"
#include "tiles/RadarTileLoader.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace TileTestData {

inline RadarFrame frame(RadarProduct product, const char* base, const char* valid)
{
    const QString b = QString::fromLatin1(base);
    const QString v = QString::fromLatin1(valid);
    return RadarFrame{product, b, v,
                      b == v ? RadarFrame::Kind::Observation : RadarFrame::Kind::Forecast,
                      *JMATime::parse(v)};
}

inline const RadarFrame kNowcast = frame(RadarProduct::Nowcast, "20250829053000", "20250829053000");
inline const RadarFrame kAnalysis =
    frame(RadarProduct::Analysis, "20250829052000", "20250829062000");

inline QByteArray tileFile(const char* name)
{
    return TestData::read(QStringLiteral("jma/tiles/") + QLatin1String(name));
}

} // namespace TileTestData

// A tile loader over a temporary cache (8 MiB in memory and on disk) that talks to a fake
// agency; every data host points at the fake server while it exists.
struct TileLoaderFixture {
    FakeHttpServer server;
    QTemporaryDir cacheDir;
    std::unique_ptr<RadarTileLoader> loader;
    bool listening = false;

    // `cacheDirectory`: where the disk cache goes instead of a fresh temporary folder.
    explicit TileLoaderFixture(const QString& cacheDirectory = {})
    {
        listening = server.listen();
        DataHosts::pointAllAt(server.baseUrl());
        loader = std::make_unique<RadarTileLoader>(RadarTileLoader::Options{
            cacheDirectory.isEmpty() ? cacheDir.path() : cacheDirectory, 8 << 20, 8 << 20});
    }
    ~TileLoaderFixture()
    {
        loader.reset();
        DataHosts::setCurrent(DataHosts::production());
    }

    // Every address answers with `png`.
    void serveEverything(const QByteArray& png)
    {
        server.setHandler([png](const RecordedRequest&) { return FakeResponse::png(png); });
    }
    int tileRequests(const QString& fragment) const
    {
        return server.requestCount([&](const QString& path) { return path.contains(fragment); });
    }
    // Ends the two 400 ms pauses between a tile's three tries, each once `tries` (then one
    // more) requests whose path holds `fragment` have gone out.
    bool endRetryPauses(FakeClock& clock, int tries, const QString& fragment = {}) const
    {
        for (int pause = 0; pause < 2; ++pause) {
            const bool asked =
                QTest::qWaitFor([&] { return tileRequests(fragment) == tries + pause; }, 5000);
            if (!asked || !clock.waitForTimerDueIn(std::chrono::milliseconds(400)))
                return false;
            clock.advance(std::chrono::milliseconds(400));
        }
        return true;
    }
};
