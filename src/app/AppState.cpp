#include "app/AppState.h"

#include "app/AppSettings.h"
#include "app/AppWatchdogs.h"
#include "app/KeyControl.h"
#include "app/PrefetchPlan.h"
#include "lightning/LightningService.h"
#include "locations/CurrentLocationProvider.h"
#include "locations/Geocoder.h"
#include "locations/LocationStore.h"
#include "locations/MapCameraStore.h"
#include "locations/PlaceSearchService.h"
#include "outlook/RainOutlookService.h"
#include "outlook/RainSampler.h"
#include "platform/Clock.h"
#include "platform/LastGoodCopies.h"
#include "platform/Logging.h"
#include "platform/PropertyHelpers.h"
#include "platform/SystemEvents.h"
#include "platform/async/RefreshLoop.h"
#include "radar/RadarPlayer.h"
#include "radar/RadarTimeline.h"
#include "tiles/RadarTileLoader.h"
#include "typhoon/TyphoonService.h"
#include "weather/WeatherService.h"

#include <QPointer>
#include <QSet>

#include <algorithm>

namespace {

constexpr double kLiveRefreshSeconds = 60;
constexpr double kAnimationRefreshSeconds = 300;
constexpr double kForecastRefreshSeconds = 600;
constexpr double kTyphoonRefreshSeconds = 600;
constexpr double kLightningRefreshSeconds = 60;
constexpr double kLiveForecastHorizonHours = 15.0;

} // namespace

AppStateEnvironment AppStateEnvironment::system()
{
    AppStateEnvironment environment;
    environment.makeWakeMonitor = &WakeMonitor::createSystem;
    environment.makeNetworkMonitor = &NetworkMonitor::createSystem;
    environment.processCpuSeconds = &ProcessCpu::seconds;
    environment.makePositionSource = &CurrentLocationProvider::createDefaultSource;
    environment.savedCopiesDirectory = LastGoodCopies::defaultDirectory();
    return environment;
}

AppState::AppState(AppSettings* settings, LocationStore* locations, AppStateEnvironment environment,
                   QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_locations(locations)
    , m_environment(std::move(environment))
{
    if (!m_environment.geocoder)
        m_environment.geocoder = Geocoder::createDefault();
    std::unique_ptr<PositionSource> positionSource =
        m_environment.makePositionSource ? m_environment.makePositionSource() : nullptr;

    m_weather = new WeatherService(this);
    m_timeline = new RadarTimeline(this);
    m_outlook = new RainOutlookService(tileLoader().agency(), this);
    m_typhoon = new TyphoonService(this);
    m_lightning = new LightningService(this);
    m_search = new PlaceSearchService(m_environment.geocoder, this);
    m_currentLocation =
        new CurrentLocationProvider(std::move(positionSource), m_environment.geocoder, this);
    m_mapCameras = new MapCameraStore(m_settings->defaults(), this);
    m_detailPlayer = new RadarPlayer(this);
    m_overviewPlayer = new RadarPlayer(this);

    const LastGoodCopies copies(m_environment.savedCopiesDirectory);
    m_timeline->setSavedCopies(copies);
    m_lightning->setSavedCopies(copies);
    m_typhoon->setSavedCopies(copies);
    m_weather->setSavedCopies(copies);
    m_timeline->setSavedFrameFilter(
        [this](const RadarFrame& frame) { return isFrameAtHand(frame); });
    connect(m_timeline, &RadarTimeline::framesChanged, this, &AppState::refreshOffline);
    connect(m_timeline, &RadarTimeline::savedCopyTimeChanged, this, &AppState::refreshOffline);

    AppWatchdogs::Radar radar{m_timeline,
                              &tileLoader(),
                              {m_detailPlayer, m_overviewPlayer},
                              [this] { return reloadSyncAndRedraw(); },
                              [this] { raiseRebuildToken(); }};
    m_watchdogs = std::make_unique<AppWatchdogs>(
        std::move(radar),
        AppWatchdogs::Machine{m_environment.makeWakeMonitor, m_environment.makeNetworkMonitor,
                              m_environment.processCpuSeconds});

    m_timeline->setRange(m_settings->range());
    applyTimelineOptions();
    connect(m_timeline, &RadarTimeline::isLoadingChanged, this, &AppState::noteTimelineLoading);
    m_detailPlayer->setMode(m_settings->playbackMode());
    m_overviewPlayer->setMode(m_settings->playbackMode());
    m_detailPlayer->setFollower(m_overviewPlayer);
    m_overviewPlayer->setDrivesLoop(false);
    applyPlaybackSettings();

    // Each finished load hands the frames over, changed or not: in the twelve-hour range the
    // outlook reloads its own nowcast then, which would otherwise age with unchanged frames.
    const auto feedFrames = [this] { m_outlook->setFrames(outlookFrames()); };
    connect(m_timeline, &RadarTimeline::framesChanged, m_outlook, feedFrames);
    connect(m_timeline, &RadarTimeline::lastUpdatedChanged, m_outlook, feedFrames);
    connect(m_locations, &LocationStore::selectedChanged, this, &AppState::feedOutlookPlace);
    connect(m_lightning, &LightningService::hazardFramesChanged, m_outlook, [this] {
        m_outlook->setHazardFrames(m_lightning->thunderFrames(), m_lightning->tornadoFrames());
    });
}

AppState::~AppState()
{
    // The key monitor and the watchdogs (with their observers and loops) go first, so no
    // event reaches a half-destroyed controller; the task scope (last member) then ends
    // every other loop.
    m_keyMonitor.reset();
    m_watchdogs.reset();
    // The prefetch runs on the loader's scope, which may outlive this controller (the shared
    // loader lives as long as the application): nobody wants its tiles any more.
    m_prefetchTask.cancel();
}

RadarPlayer* AppState::player(Pane pane) const
{
    return pane == Pane::Detail ? m_detailPlayer : m_overviewPlayer;
}

RadarTileLoader& AppState::tileLoader() const
{
    return m_environment.tileLoader ? *m_environment.tileLoader : RadarTileLoader::shared();
}

void AppState::start()
{
    qCInfo(lcApp, "start() 地点=%s", qUtf8Printable(m_locations->selected().name));
    m_settings->applyAppearance();
    m_weather->load(m_locations->selected().coordinate());
    QPointer<AppState> self(this);
    m_weather->startAutoRefresh(kForecastRefreshSeconds, [self] {
        return self ? self->m_locations->selected().coordinate() : GeoCoordinate{0, 0};
    });
    reloadTimelineAndSync();
    startTimelineAutoRefresh();
    m_tasks.spawn(m_typhoon->reload());
    m_typhoon->startAutoRefresh(kTyphoonRefreshSeconds);
    m_lightning->startAutoRefresh(kLightningRefreshSeconds);
    m_watchdogs->startFreshnessWatchdog();
    m_watchdogs->startStuckRenderWatchdog();
    m_watchdogs->startRecoveryObservers();
    startKeyMonitor();
    feedOutlookPlace();
}

RadarFrames AppState::outlookFrames() const
{
    if (m_timeline->includeForecast())
        return m_timeline->frames();
    // Hidden forecasts still leave the outlook its nowcast hour, which the load brought
    // anyway; the hourly forecasts stay hidden.
    RadarFrames frames = m_timeline->loadedFrames();
    frames.removeIf([](const RadarFrame& frame) {
        return frame.isForecast() && frame.product != RadarProduct::Nowcast;
    });
    return frames;
}

void AppState::feedOutlookPlace()
{
    const SavedLocation& place = m_locations->selected();
    m_outlook->setPlace(place.name, place.coordinate());
}

bool AppState::isFrameAtHand(const RadarFrame& frame) const
{
    // A frame with a hole where a tile is missing would show dry land where it may have
    // rained, so every tile the panes show must be there; a view moved or resized onto tiles
    // never fetched therefore keeps fewer frames (or, with none left, the frames shown). The
    // place's own tile stands in before the maps have a size: it is what the rain outlook
    // fetched for each frame it sampled.
    QSet<TileId> tiles;
    for (const QList<TilePath>& paneTiles : m_visibleTiles) {
        for (const TilePath& path : paneTiles)
            tiles.insert(path.tile);
    }
    if (tiles.isEmpty())
        tiles.insert(RainSampler::pixelOf(m_locations->selected().coordinate()).tile);
    AgencyTileSource& source = tileLoader().agency();
    return std::all_of(tiles.cbegin(), tiles.cend(),
                       [&](const TileId& tile) { return source.holdsTile(frame, tile); });
}

void AppState::refreshOffline()
{
    QDateTime dataTime;
    if (m_timeline->isShowingSavedCopy()) {
        dataTime = m_timeline->savedCopyTime();
        QDateTime newest;
        for (const RadarFrame& frame : m_timeline->frames()) {
            if (frame.isObservation() && (!newest.isValid() || frame.date > newest))
                newest = frame.date;
        }
        if (newest.isValid())
            dataTime = newest;
    }
    if (!assignIfChanged(m_offlineDataTime, dataTime))
        return;
    qCInfo(lcApp, "オフライン表示 %s", dataTime.isValid() ? "開始" : "終了");
    Q_EMIT offlineChanged();
}

void AppState::syncPlayers()
{
    noteRadarActivity();
    m_overviewPlayer->update(m_timeline->frames());
    m_detailPlayer->update(m_timeline->frames());
    m_overviewPlayer->setIndex(m_detailPlayer->index());
    // Whichever load first brings frames starts the animation: starting offline must not
    // leave a still picture once the agency answers.
    if (m_autoplayPending && !m_timeline->frames().isEmpty()) {
        m_autoplayPending = false;
        qCInfo(lcApp, "タイムライン取得完了 コマ数=%lld", qlonglong(m_timeline->frames().size()));
        m_detailPlayer->play();
        m_overviewPlayer->play();
    }
    startPrefetch();
}

void AppState::noteRadarActivity()
{
    m_watchdogs->noteRadarActivity();
}

double AppState::timelineRefreshInterval() const
{
    // The nowcast list grows every five minutes at a phase the schedule learns, in both
    // modes; the twelve-hour product keeps the plain pace.
    if (m_timeline->range() == RadarRange::ThreeHours)
        return m_listingSchedule.secondsUntilNextPoll(Clock::current().now());
    return m_settings->playbackMode() == RadarPlaybackMode::Live ? kLiveRefreshSeconds
                                                                 : kAnimationRefreshSeconds;
}

void AppState::startTimelineAutoRefresh()
{
    m_timelineRefreshTask.cancel();
    m_timelineRefreshTask = m_tasks.spawn(async::RefreshLoop::run(
        [this] { return timelineRefreshInterval(); }, async::RefreshLoop::FirstRound::AfterInterval,
        [this] { return reloadAndSync(); }));
}

// Every load of the list teaches the schedule, whoever asked for it.
void AppState::noteTimelineLoading()
{
    const QDateTime now = Clock::current().now();
    if (m_timeline->isLoading()) {
        m_listingSchedule.noteRequest(now);
        return;
    }
    if (m_timeline->consecutiveFailures() > 0)
        return;
    QDateTime newest;
    for (const RadarFrame& frame : m_timeline->frames()) {
        if (frame.isObservation() && frame.product == RadarProduct::Nowcast &&
            (!newest.isValid() || frame.date > newest))
            newest = frame.date;
    }
    m_listingSchedule.noteList(now, newest);
}

bool AppState::applyTimelineOptions()
{
    const bool live = m_settings->playbackMode() == RadarPlaybackMode::Live;
    const bool include = live ? true : m_settings->includeForecast();
    const double horizon = live ? kLiveForecastHorizonHours : m_settings->forecastHorizonHours();
    if (m_timeline->includeForecast() == include && m_timeline->forecastHorizonHours() == horizon)
        return false;
    m_timeline->setIncludeForecast(include);
    m_timeline->setForecastHorizonHours(horizon);
    return true;
}

void AppState::reloadTimelineIfOptionsChanged()
{
    if (applyTimelineOptions())
        reloadTimelineAndSync();
}

void AppState::reloadTimelineAndSync()
{
    // Counted now, not when the load starts on the next turn, so that a loop starting
    // meanwhile does not ask again at once.
    m_listingSchedule.noteRequest(Clock::current().now());
    m_tasks.spawn(reloadAndSync());
}

async::Task<void> AppState::reloadAndSync()
{
    co_await m_timeline->reload();
    if (async::isCancelled())
        co_return;
    syncPlayers();
}

async::Task<void> AppState::reloadSyncAndRedraw()
{
    co_await reloadAndSync();
    if (async::isCancelled())
        co_return;
    raiseRedrawToken();
}

void AppState::raiseRedrawToken()
{
    ++m_radarRedrawToken;
    Q_EMIT radarRedrawTokenChanged();
}

void AppState::raiseRebuildToken()
{
    ++m_radarRebuildToken;
    Q_EMIT radarRebuildTokenChanged();
}

void AppState::applyPlaybackSettings()
{
    for (RadarPlayer* player : {m_detailPlayer, m_overviewPlayer}) {
        player->setFramesPerSecond(m_settings->framesPerSecond());
        player->setLoopPause(m_settings->loopPause());
        player->setStepMinutes(m_settings->stepMinutes());
    }
}

void AppState::setPlaybackMode(RadarPlaybackMode mode)
{
    if (m_settings->playbackMode() == mode)
        return;
    noteRadarActivity();
    m_settings->setPlaybackMode(mode);
    m_detailPlayer->setLiveOffsetMinutes(0);
    m_overviewPlayer->setLiveOffsetMinutes(0);
    m_detailPlayer->setMode(mode);
    m_overviewPlayer->setMode(mode);
    reloadTimelineIfOptionsChanged();
    startTimelineAutoRefresh();
    qCInfo(lcApp, "表示モード変更 %s", qUtf8Printable(rawValue(mode)));
    startPrefetch();
}

void AppState::changeRange(RadarRange range)
{
    if (m_settings->range() == range)
        return;
    m_settings->setRange(range);
    if (m_timeline->range() != range)
        m_timeline->setRange(range);
    reloadTimelineAndSync();
}

void AppState::setIncludeForecast(bool include)
{
    if (m_settings->includeForecast() == include)
        return;
    m_settings->setIncludeForecast(include);
    reloadTimelineIfOptionsChanged();
}

void AppState::setForecastHorizonHours(double hours)
{
    if (m_settings->forecastHorizonHours() == hours)
        return;
    m_settings->setForecastHorizonHours(hours);
    reloadTimelineIfOptionsChanged();
}

void AppState::togglePlayback(RadarPlayer* player)
{
    if (player && player->isPlaying()) {
        pausePlayback();
        return;
    }
    noteRadarActivity();
    m_autoplayPending = false;
    m_detailPlayer->play();
    m_overviewPlayer->play();
}

void AppState::pausePlayback()
{
    noteRadarActivity();
    m_autoplayPending = false;
    m_detailPlayer->pause();
    m_overviewPlayer->pause();
}

void AppState::setLiveOffset(int minutes)
{
    noteRadarActivity();
    m_detailPlayer->setLiveOffsetMinutes(minutes);
    m_overviewPlayer->setLiveOffsetMinutes(minutes);
}

void AppState::stepLiveOffset(int delta)
{
    const QList<int> steps = m_detailPlayer->liveSteps();
    if (steps.isEmpty())
        return;
    const int current = PrefetchPlan::stepPosition(steps, m_detailPlayer->index());
    const int target = std::clamp(current + delta, 0, int(steps.size()) - 1);
    setLiveOffset(m_detailPlayer->minutesAhead(steps[target]));
}

void AppState::updateVisibleTiles(const QList<TilePath>& tiles, const MapRegion& region, Pane pane,
                                  bool movedByUser)
{
    if (movedByUser) {
        m_mapCameras->save(region, pane);
        noteRadarActivity();
    }
    m_visibleTiles[pane] = tiles;
    // Without the network, the frames worth showing are those whose tiles the new view has.
    if (m_timeline->isShowingSavedCopy() || m_timeline->frames().isEmpty())
        m_timeline->showSavedCopies();
    startPrefetch();
}

RadarFrames AppState::framesToPrefetch() const
{
    if (m_detailPlayer->mode() == RadarPlaybackMode::Animation)
        return PrefetchPlan::aroundCurrentFrame(m_timeline->frames(),
                                                m_detailPlayer->currentFrame());
    const RadarPlayer* player = m_detailPlayer;
    return PrefetchPlan::liveNeighbourhood(
        player->frames(), player->liveSteps(), player->index(),
        [player](int index) { return player->minutesAhead(index); });
}

void AppState::startPrefetch()
{
    m_prefetchTask.cancel();
    const RadarFrames frames = framesToPrefetch();
    QList<TilePath> tiles;
    for (const QList<TilePath>& paneTiles : std::as_const(m_visibleTiles))
        tiles += paneTiles;
    if (frames.isEmpty() || tiles.isEmpty())
        return;
    // The loader runs it on its own scope with copies of both lists: it needs nothing of
    // the controller and may finish after it.
    RadarTileLoader& loader = tileLoader();
    m_prefetchTask = loader.tasks().spawn(loader.prefetch(frames, tiles));
}

bool AppState::isPrefetching() const
{
    return m_prefetchTask.isActive() && !m_prefetchTask.isCancelled();
}

void AppState::select(const SavedLocation& location)
{
    m_locations->setSelected(location);
    m_weather->load(location.coordinate());
    m_search->clear();
}

void AppState::useCurrentLocation()
{
    QPointer<AppState> self(this);
    m_currentLocation->requestCurrentLocation([self](const SavedLocation& location) {
        if (!self)
            return;
        self->m_locations->add(location);
        self->m_weather->load(self->m_locations->selected().coordinate());
        self->m_search->clear();
    });
}
