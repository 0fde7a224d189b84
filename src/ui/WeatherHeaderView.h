#pragma once

#include "outlook/RainOutlook.h"
#include "weather/WeatherSnapshot.h"

#include <QMetaObject>
#include <QPointer>
#include <QWidget>

#include <optional>

class ActivitySpinner;
class CurrentWeatherPanel;
class ForecastStrip;
class HeaderText;
class HeaderDivider;
class HourlyStrip;
class QStackedWidget;
class RainOutlookRow;
class RainOutlookService;
class WeatherService;

// The forecast band above the maps, 288 high: the current conditions on the left, the daily
// and hourly strips on the right. A snapshot, once there, stays on screen through reloads and
// failed reloads; the progress indicator or the error text only stand in while there is no
// snapshot at all. Under the band, once there is a rain outlook for the place, its row (the
// two-hour strip and its sentence) adds to the header's height. Every text size is multiplied
// by the text scale; symbols and bars keep their size.
class WeatherHeaderView : public QWidget {
    Q_OBJECT

public:
    // What the right-hand area shows.
    enum class Area { Forecast, Progress, Error, Empty };
    Q_ENUM(Area)

    explicit WeatherHeaderView(QWidget* parent = nullptr);
    ~WeatherHeaderView() override;

    // Shows what `service` publishes and follows it until it is replaced or destroyed. The
    // service is not owned; nullptr stops following.
    void setWeatherService(WeatherService* service);
    // The same for the rain row and the outlook `service` publishes.
    void setRainOutlookService(RainOutlookService* service);

    // The same inputs as plain values, for a header that is fed by hand.
    void setSnapshot(const std::optional<WeatherSnapshot>& snapshot);
    void setLoading(bool loading);
    void setErrorMessage(const QString& message); // null or empty: no error
    // When the saved forecast shown was fetched; invalid while the forecast is current.
    void setSavedCopyTime(const QDateTime& fetchedAt);
    void setTextScale(double scale);
    void setPlaceName(const QString& name);
    // An empty outlook hides the rain row.
    void setRainOutlook(const RainOutlook& outlook);

    double textScale() const { return m_scale; }
    Area area() const;

    CurrentWeatherPanel* currentPanel() const { return m_panel; }
    ForecastStrip* forecastStrip() const { return m_daily; }
    HourlyStrip* hourlyStrip() const { return m_hourly; }
    HeaderText* errorText() const { return m_error; }
    RainOutlookRow* rainRow() const { return m_rain; }

private:
    void copyFromService();
    void updateArea();
    void updateHeight();

    std::optional<WeatherSnapshot> m_snapshot;
    bool m_loading = false;
    QString m_errorMessage;
    double m_scale = 1.0;

    CurrentWeatherPanel* m_panel;
    QStackedWidget* m_area;
    QWidget* m_forecastPage;
    ForecastStrip* m_daily;
    HourlyStrip* m_hourly;
    QWidget* m_progressPage;
    ActivitySpinner* m_progress;
    QWidget* m_errorPage;
    HeaderText* m_error;
    QWidget* m_emptyPage;
    HeaderDivider* m_rainDivider;
    RainOutlookRow* m_rain;

    QPointer<WeatherService> m_service;
    QList<QMetaObject::Connection> m_serviceConnections;
    QPointer<RainOutlookService> m_outlookService;
    QMetaObject::Connection m_outlookConnection;
};
