#pragma once

#include "geo/GeoTypes.h"
#include "platform/Expected.h"
#include "platform/HttpSession.h"
#include "platform/LastGoodCopies.h"
#include "platform/ServiceStatus.h"
#include "platform/async/RefreshLoop.h"
#include "platform/async/TaskScope.h"
#include "weather/OpenMeteoResponse.h"
#include "weather/WeatherSnapshot.h"

#include <QList>
#include <QObject>
#include <QUrl>

#include <functional>
#include <optional>

// The point forecast of one place from the Open-Meteo forecast API (Open-Meteo.com,
// CC BY 4.0). A failed load keeps the previous snapshot and sets errorMessage; the next
// success clears it. A superseded load publishes nothing. Snapshot, message and loading
// flag belong to the place asked for last: a new place starts with none of the old one's,
// and what still arrives for the old place is dropped. There are no retries: the next
// refresh round or load() is the retry. Each place's last forecast that read is kept as a
// saved copy, shown (marked by savedCopyTime) when a load fails while the place has no
// snapshot. Lives on the GUI thread.
class WeatherService : public QObject {
    Q_OBJECT
    Q_PROPERTY(std::optional<WeatherSnapshot> snapshot READ snapshot NOTIFY snapshotChanged)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorMessageChanged)
    Q_PROPERTY(QDateTime savedCopyTime READ savedCopyTime NOTIFY savedCopyTimeChanged)

public:
    // The platform's usual caching, 20 s between bytes.
    static HttpSessionConfig defaultSessionConfig();
    // "/v1/forecast" on the forecast host with the seven query items the program asks for.
    static QUrl requestUrl(GeoCoordinate coordinate);

    explicit WeatherService(QObject* parent = nullptr,
                            HttpSessionConfig sessionConfig = defaultSessionConfig());
    ~WeatherService() override;

    // Starts loading the forecast of `coordinate` and returns at once; a load that
    // load() started before is cancelled.
    void load(GeoCoordinate coordinate);
    // Reloads every `intervalSeconds`, the first time one interval from now, for the place
    // `coordinate` returns at that moment. Replaces a loop started before.
    void startAutoRefresh(double intervalSeconds, std::function<GeoCoordinate()> coordinate);

    const std::optional<WeatherSnapshot>& snapshot() const { return m_snapshot; }
    // True while a load of the current place runs; loads from load() and from the refresh
    // loop may overlap.
    bool isLoading() const { return m_status.isLoading(); }
    QString errorMessage() const { return m_status.errorMessage(); } // null when there is none
    // When the saved forecast shown was fetched; invalid while none is shown.
    QDateTime savedCopyTime() const { return m_status.savedCopyTime(); }
    // Where the forecasts are kept; none by default.
    void setSavedCopies(LastGoodCopies copies) { m_copies = std::move(copies); }

Q_SIGNALS:
    void snapshotChanged();
    void isLoadingChanged();
    void errorMessageChanged();
    void savedCopyTimeChanged();

private:
    // Counts one load of a place as running for as long as it lives (inside the load's
    // coroutine frame, so a load that ends in any way, or is torn down, stops counting).
    class LoadMark {
    public:
        LoadMark(WeatherService* service, GeoCoordinate place);
        LoadMark(LoadMark&& other) noexcept;
        LoadMark(const LoadMark&) = delete;
        LoadMark& operator=(const LoadMark&) = delete;
        LoadMark& operator=(LoadMark&&) = delete;
        ~LoadMark();

    private:
        WeatherService* m_service;
        GeoCoordinate m_place;
    };

    async::Task<void> performLoad(GeoCoordinate coordinate, LoadMark mark);
    async::Task<Expected<OpenMeteoResponse>> fetch(GeoCoordinate coordinate);
    void showSavedCopy(GeoCoordinate coordinate);

    // Marks a load of `place` and makes it the current place, in that order, so that moving
    // to a place never blinks isLoading.
    LoadMark beginLoad(GeoCoordinate place);
    template <typename Change>
    void changeLoading(Change change);

    HttpSession* m_session;
    LastGoodCopies m_copies;
    std::optional<WeatherSnapshot> m_snapshot;
    std::optional<GeoCoordinate> m_place;
    QList<GeoCoordinate> m_loadingPlaces; // one entry per running load
    bool m_tearingDown = false;
    ServiceStatus m_status;
    async::TaskHandle m_loadTask;
    async::RefreshLoop m_refresh;
    async::TaskScope m_tasks; // last: destroyed first
};
