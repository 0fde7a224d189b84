#pragma once

#include "FakeHttpServer.h"
#include "platform/DataHosts.h"
#include "tiles/RadarTileLoader.h"

#include <QTemporaryDir>

#include <memory>

// A tile loader over a temporary cache (8 MiB in memory and on disk) that talks to a fake
// agency; every data host points at the fake server while it exists.
struct TileLoaderFixture {
    FakeHttpServer server;
    QTemporaryDir cacheDir;
    std::unique_ptr<RadarTileLoader> loader;
    bool listening = false;

    TileLoaderFixture()
    {
        listening = server.listen();
        DataHosts::pointAllAt(server.baseUrl());
        loader = std::make_unique<RadarTileLoader>(
            RadarTileLoader::Options{cacheDir.path(), 8 << 20, 8 << 20});
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
};
