#include "AppStateHarness.h"

#include "AgencyLists.h"
#include "TestData.h"
#include "app/AppWatchdogs.h"
#include "locations/Geocoder.h"
#include "outlook/RainSampler.h"
#include "platform/DataHosts.h"
#include "platform/Preferences.h"
#include "radar/RadarTimeline.h"

#include <QTest>

AppStateHarness::AppStateHarness(Options options, PositionSourceFactory positionSource)
{
    QVERIFY(server.listen());
    DataHosts::pointAllAt(server.baseUrl());
    const QByteArray tile = TestData::read(QStringLiteral("jma/tiles/hrpns_rain_blobs_p4.png"));
    server.setHandler([tile](const RecordedRequest& request) -> std::optional<FakeResponse> {
        if (request.path.endsWith(QLatin1String(".png")))
            return FakeResponse::png(tile);
        return FakeResponse::error(503);
    });
    if (options.serveLists)
        serveAgencyLists();

    preferences = Preferences::openFile(directory.filePath(QStringLiteral("settings.json")));
    settings = std::make_unique<AppSettings>(preferences.get());
    if (options.configure)
        options.configure(*settings);
    locations = std::make_unique<LocationStore>(preferences.get());
    m_positionSource = std::move(positionSource);
    makeState();
}

void AppStateHarness::relaunch()
{
    state.reset();
    loader.reset();
    makeState();
}

void AppStateHarness::makeState()
{
    RadarTileLoader::Options loaderOptions;
    loaderOptions.cacheDirectory = directory.filePath(QStringLiteral("tiles"));
    loader = std::make_unique<RadarTileLoader>(loaderOptions);

    AppStateEnvironment environment;
    environment.makeWakeMonitor = [this] {
        ++wakeMonitorsMade;
        auto monitor = std::make_unique<WakeMonitor>();
        wake = monitor.get();
        return monitor;
    };
    environment.makeNetworkMonitor = [this] {
        ++networkMonitorsMade;
        auto monitor = std::make_unique<NetworkMonitor>();
        network = monitor.get();
        return monitor;
    };
    environment.processCpuSeconds = [this] {
        ++cpuReads;
        if (cpuReadings.empty())
            return 0.0;
        const double value = cpuReadings.front();
        cpuReadings.pop_front();
        return value;
    };
    environment.makePositionSource = m_positionSource;
    environment.geocoder = Geocoder::createDefault();
    environment.tileLoader = loader.get();
    environment.savedCopiesDirectory = savedCopiesDirectory();
    state = std::make_unique<AppState>(settings.get(), locations.get(), std::move(environment));
}

AppStateHarness::~AppStateHarness()
{
    state.reset();
    loader.reset();
    DataHosts::setCurrent(DataHosts::production());
}

void AppStateHarness::serveAgencyLists()
{
    AgencyLists::serve(server);
}

bool AppStateHarness::waitForFrames()
{
    return QTest::qWaitFor([this] { return !state->timeline()->frames().isEmpty(); }, 5000);
}

int AppStateHarness::listRequests() const
{
    return server.requestCount(AgencyLists::kN1);
}

int AppStateHarness::tileRequests() const
{
    return server.requestCount(
        [](const QString& path) { return path.endsWith(QLatin1String(".png")); });
}

bool AppStateHarness::isOutlookTile(const QString& path) const
{
    const TileId tile = RainSampler::pixelOf(locations->selected().coordinate()).tile;
    return path.endsWith(QStringLiteral("/%1/%2/%3.png").arg(tile.z).arg(tile.x).arg(tile.y));
}

int AppStateHarness::mapTileRequests() const
{
    return tileRequests() -
           server.requestCount([this](const QString& path) { return isOutlookTile(path); });
}

void AppStateHarness::runStuckRenderCheck(const std::function<void()>& during)
{
    async::TaskScope scope;
    async::TaskHandle handle = scope.spawn(state->watchdogs()->checkStuckRender());
    FakeClock::settle();
    if (during)
        during();
    clock.advance(std::chrono::seconds(3));
    FakeClock::settle();
    QVERIFY(!handle.isActive());
}
