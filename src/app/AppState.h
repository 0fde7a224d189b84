#pragma once

#include "geo/GeoTypes.h"
#include "geo/TilePath.h"
#include "locations/MapPane.h"
#include "platform/async/Task.h"
#include "platform/async/TaskScope.h"
#include "radar/ListingSchedule.h"
#include "radar/RadarFrame.h"
#include "radar/RadarTypes.h"

#include <QDateTime>
#include <QHash>
#include <QObject>

#include <functional>
#include <memory>

class AppSettings;
class AppWatchdogs;
class CurrentLocationProvider;
class Geocoder;
class LightningService;
class LocationStore;
class MapCameraStore;
class NetworkMonitor;
class PlaceSearchService;
class PositionSource;
class QKeyEvent;
class QWidget;
class RadarPlayer;
class RadarTileLoader;
class RadarTimeline;
class RainOutlookService;
class TyphoonService;
class WakeMonitor;
class WeatherService;
struct SavedLocation;

namespace KeyControl {
class Monitor;
}

// What the controller takes from the machine it runs on. Production uses the defaults;
// tests replace them with sources they drive by hand.
struct AppStateEnvironment {
    std::function<std::unique_ptr<WakeMonitor>()> makeWakeMonitor;
    std::function<std::unique_ptr<NetworkMonitor>()> makeNetworkMonitor;
    std::function<double()> processCpuSeconds;
    std::function<std::unique_ptr<PositionSource>()> makePositionSource;
    std::shared_ptr<Geocoder> geocoder;
    RadarTileLoader* tileLoader = nullptr; // the shared loader when null
    // Where the last good copy of every list and document is kept; none kept when empty.
    QString savedCopiesDirectory;

    static AppStateEnvironment system();
};

// The one controller of the running application: owns every service, store and both radar
// players, starts them in a fixed order, keeps the players fed and in step, carries the
// user's actions to the services, plans tile prefetch, and carries its watchdogs' repairs of
// the radar picture to the maps as redraw and rebuild tokens.
class AppState : public QObject {
    Q_OBJECT
    Q_PROPERTY(int radarRedrawToken READ radarRedrawToken NOTIFY radarRedrawTokenChanged)
    Q_PROPERTY(int radarRebuildToken READ radarRebuildToken NOTIFY radarRebuildTokenChanged)
    Q_PROPERTY(bool isOffline READ isOffline NOTIFY offlineChanged)
    Q_PROPERTY(QDateTime offlineDataTime READ offlineDataTime NOTIFY offlineChanged)

public:
    using Pane = MapPane;

    AppState(AppSettings* settings, LocationStore* locations,
             AppStateEnvironment environment = AppStateEnvironment::system(),
             QObject* parent = nullptr);
    ~AppState() override;

    AppSettings* settings() const { return m_settings; }
    LocationStore* locations() const { return m_locations; }
    WeatherService* weather() const { return m_weather; }
    RadarTimeline* timeline() const { return m_timeline; }
    // Rain at the selected place, fed with the timeline's frames.
    RainOutlookService* outlook() const { return m_outlook; }
    TyphoonService* typhoon() const { return m_typhoon; }
    LightningService* lightning() const { return m_lightning; }
    PlaceSearchService* search() const { return m_search; }
    CurrentLocationProvider* currentLocation() const { return m_currentLocation; }
    MapCameraStore* mapCameras() const { return m_mapCameras; }
    RadarPlayer* detailPlayer() const { return m_detailPlayer; }
    RadarPlayer* overviewPlayer() const { return m_overviewPlayer; }
    RadarPlayer* player(Pane pane) const;

    int radarRedrawToken() const { return m_radarRedrawToken; }
    int radarRebuildToken() const { return m_radarRebuildToken; }

    // The agency could not be reached and the radar shows frames of the saved lists.
    bool isOffline() const { return m_offlineDataTime.isValid(); }
    // Then the newest observation among them (the time the views name); invalid otherwise.
    QDateTime offlineDataTime() const { return m_offlineDataTime; }
    // Whether the tiles that count for `frame` are at hand without the network: those the
    // panes last reported, or before any report the zoom-10 tile of the selected place.
    bool isFrameAtHand(const RadarFrame& frame) const;

    void start();
    void syncPlayers();
    void applyPlaybackSettings();
    void setPlaybackMode(RadarPlaybackMode mode);
    void changeRange(RadarRange range);
    void setIncludeForecast(bool include);
    void setForecastHorizonHours(double hours);
    void togglePlayback(RadarPlayer* player);
    // The user's pause (button, scrub, frame keys): playback then never starts by itself.
    void pausePlayback();
    void setLiveOffset(int minutes);
    void stepLiveOffset(int delta);
    void select(const SavedLocation& location);
    void useCurrentLocation();
    // What a pane's map shows, for the prefetch. The region is stored as the pane's camera
    // only when the user moved the map there; being placed at start or resized is not that.
    void updateVisibleTiles(const QList<TilePath>& tiles, const MapRegion& region, Pane pane,
                            bool movedByUser = true);

    // The toolbar's 再描画: the maps fetch and draw their radar tiles again.
    void forceRadarRedraw() { raiseRedrawToken(); }

    // The radar pane marks a pause or a scrub as activity.
    void noteRadarActivity();

    RadarFrames framesToPrefetch() const;
    void startPrefetch();
    bool isPrefetching() const;

    // Freshness and stuck-render watchdogs, recovery on wake and network return.
    AppWatchdogs* watchdogs() const { return m_watchdogs.get(); }

    // Keyboard control.
    void startKeyMonitor();
    bool handleKey(QKeyEvent* event, QWidget* receiver);
    bool hasKeyMonitor() const { return m_keyMonitor != nullptr; }

    // For tests and diagnostics: which loops are alive.
    bool hasTimelineRefreshLoop() const { return m_timelineRefreshTask.isActive(); }

Q_SIGNALS:
    void radarRedrawTokenChanged();
    void radarRebuildTokenChanged();
    void offlineChanged();

private:
    bool applyTimelineOptions();
    void reloadTimelineIfOptionsChanged();
    void reloadTimelineAndSync();
    void startTimelineAutoRefresh();
    double timelineRefreshInterval() const;
    void noteTimelineLoading();
    async::Task<void> reloadAndSync();
    async::Task<void> reloadSyncAndRedraw();
    void raiseRedrawToken();
    void raiseRebuildToken();
    void feedOutlookPlace();
    void refreshOffline();
    RadarFrames outlookFrames() const;
    RadarTileLoader& tileLoader() const;

    AppSettings* m_settings;
    LocationStore* m_locations;
    AppStateEnvironment m_environment;

    WeatherService* m_weather;
    RadarTimeline* m_timeline;
    RainOutlookService* m_outlook;
    TyphoonService* m_typhoon;
    LightningService* m_lightning;
    PlaceSearchService* m_search;
    CurrentLocationProvider* m_currentLocation;
    MapCameraStore* m_mapCameras;
    RadarPlayer* m_detailPlayer;
    RadarPlayer* m_overviewPlayer;

    int m_radarRedrawToken = 0;
    int m_radarRebuildToken = 0;
    QDateTime m_offlineDataTime;
    QHash<Pane, QList<TilePath>> m_visibleTiles;
    std::unique_ptr<AppWatchdogs> m_watchdogs;
    std::unique_ptr<KeyControl::Monitor> m_keyMonitor;
    // Animation starts with the first load that brings frames, not only the first load.
    bool m_autoplayPending = true;

    // When the nowcast list is asked for again: at the agency's own pace once learnt.
    ListingSchedule m_listingSchedule;
    async::TaskHandle m_prefetchTask;
    async::TaskHandle m_timelineRefreshTask;
    async::TaskScope m_tasks; // last: destroyed first, so no task outlives the members
};
