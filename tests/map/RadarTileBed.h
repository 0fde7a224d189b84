#pragma once

#include "FakeClock.h"
#include "FakeHttpServer.h"
#include "TestData.h"
#include "mapwidget/MapWidget.h"
#include "mapwidget/TileOverlayLayer.h"
#include "platform/DataHosts.h"
#include "radar/JMATime.h"
#include "tiles/RadarTileLoader.h"
#include "tiles/RadarTileOverlay.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

// A fake agency that answers every tile with rain, a loader over a temporary cache and a
// manual clock, for tests of a map's radar overlay.
struct RadarTileBed {
    RadarTileBed()
    {
        QVERIFY(server.listen());
        DataHosts::pointAllAt(server.baseUrl());
        const QByteArray rain = TestData::read(QStringLiteral("jma/tiles/hrpns_rain_blobs_p4.png"));
        server.setHandler([rain](const RecordedRequest&) { return FakeResponse::png(rain); });
    }
    // Whatever showed the overlay must be gone by now.
    ~RadarTileBed()
    {
        // Tile requests travel through the event queue to the loader: let them arrive
        // before it goes.
        QCoreApplication::sendPostedEvents();
        FakeClock::settle();
        DataHosts::setCurrent(DataHosts::production());
    }

    static RadarFrame frameAt(const QString& time)
    {
        return {RadarProduct::Nowcast, time, time, RadarFrame::Kind::Observation,
                *JMATime::parse(time)};
    }

    // Every tile the map asked for has been answered.
    template <typename OverlayOf>
    static void waitForTiles(OverlayOf overlay)
    {
        QTRY_VERIFY(overlay() && overlay()->lastRequestAt());
        QTRY_COMPARE(overlay()->inFlightCount(), 0);
        QTRY_VERIFY(!overlay()->deliveredKeys().isEmpty());
    }
    static int radarRequests(MapWidget& map, const RadarTileOverlay* overlay)
    {
        auto layer = map.scene().tileLayer(overlay);
        return layer ? layer->counters().requests : -1;
    }

    FakeHttpServer server;
    QTemporaryDir cacheDir;
    RadarTileLoader loader{RadarTileLoaderOptions{cacheDir.path(), 8 << 20, 8 << 20}};
    FakeClock clock;
};

// Three frames five minutes apart.
inline const RadarFrame kFrameA = RadarTileBed::frameAt(QStringLiteral("20250829052000"));
inline const RadarFrame kFrameB = RadarTileBed::frameAt(QStringLiteral("20250829052500"));
inline const RadarFrame kFrameC = RadarTileBed::frameAt(QStringLiteral("20250829053000"));
