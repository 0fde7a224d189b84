#pragma once

#include "app/ThemePreference.h"
#include "radar/RadarTypes.h"

#include <QObject>

class QSettings;

// Every user preference, read from the store once at creation and written back on each
// assignment. Stored values of the wrong type count as absent and give the default;
// values are otherwise taken as they are, without range checks.
class AppSettings : public QObject {
    Q_OBJECT
    Q_PROPERTY(ThemePreference theme READ theme WRITE setTheme NOTIFY themeChanged)
    Q_PROPERTY(double framesPerSecond READ framesPerSecond WRITE setFramesPerSecond NOTIFY
                   framesPerSecondChanged)
    Q_PROPERTY(double loopPause READ loopPause WRITE setLoopPause NOTIFY loopPauseChanged)
    Q_PROPERTY(double stepMinutes READ stepMinutes WRITE setStepMinutes NOTIFY stepMinutesChanged)
    Q_PROPERTY(
        double radarOpacity READ radarOpacity WRITE setRadarOpacity NOTIFY radarOpacityChanged)
    Q_PROPERTY(RadarRange range READ range WRITE setRange NOTIFY rangeChanged)
    Q_PROPERTY(RadarPlaybackMode playbackMode READ playbackMode WRITE setPlaybackMode NOTIFY
                   playbackModeChanged)
    Q_PROPERTY(bool includeForecast READ includeForecast WRITE setIncludeForecast NOTIFY
                   includeForecastChanged)
    Q_PROPERTY(double forecastHorizonHours READ forecastHorizonHours WRITE setForecastHorizonHours
                   NOTIFY forecastHorizonHoursChanged)
    Q_PROPERTY(bool showTyphoon READ showTyphoon WRITE setShowTyphoon NOTIFY showTyphoonChanged)
    Q_PROPERTY(
        bool showLightning READ showLightning WRITE setShowLightning NOTIFY showLightningChanged)
    Q_PROPERTY(bool showThunder READ showThunder WRITE setShowThunder NOTIFY showThunderChanged)
    Q_PROPERTY(bool showTornado READ showTornado WRITE setShowTornado NOTIFY showTornadoChanged)
    Q_PROPERTY(bool showPrefectureBorders READ showPrefectureBorders WRITE setShowPrefectureBorders
                   NOTIFY showPrefectureBordersChanged)
    Q_PROPERTY(bool showPrefectureLabels READ showPrefectureLabels WRITE setShowPrefectureLabels
                   NOTIFY showPrefectureLabelsChanged)
    Q_PROPERTY(bool showRangeCircles READ showRangeCircles WRITE setShowRangeCircles NOTIFY
                   showRangeCirclesChanged)
    Q_PROPERTY(double textScale READ textScale WRITE setTextScale NOTIFY textScaleChanged)
    Q_PROPERTY(bool rainAlertsEnabled READ rainAlertsEnabled WRITE setRainAlertsEnabled NOTIFY
                   rainAlertsEnabledChanged)
    Q_PROPERTY(double rainAlertMinimumMmPerHour READ rainAlertMinimumMmPerHour WRITE
                   setRainAlertMinimumMmPerHour NOTIFY rainAlertMinimumMmPerHourChanged)
    Q_PROPERTY(double rainAlertLeadMinutes READ rainAlertLeadMinutes WRITE setRainAlertLeadMinutes
                   NOTIFY rainAlertLeadMinutesChanged)
    Q_PROPERTY(bool keepRunningInTray READ keepRunningInTray WRITE setKeepRunningInTray NOTIFY
                   keepRunningInTrayChanged)

public:
    // The store is not owned and must outlive this object. Creating does not apply the
    // theme; call applyAppearance() once the application is ready for it.
    explicit AppSettings(QSettings* defaults, QObject* parent = nullptr);

    QSettings* defaults() const { return m_defaults; }

    ThemePreference theme() const { return m_theme; }
    double framesPerSecond() const { return m_framesPerSecond; }
    double loopPause() const { return m_loopPause; }
    double stepMinutes() const { return m_stepMinutes; }
    double radarOpacity() const { return m_radarOpacity; }
    RadarRange range() const { return m_range; }
    RadarPlaybackMode playbackMode() const { return m_playbackMode; }
    bool includeForecast() const { return m_includeForecast; }
    double forecastHorizonHours() const { return m_forecastHorizonHours; }
    bool showTyphoon() const { return m_showTyphoon; }
    bool showLightning() const { return m_showLightning; }
    bool showThunder() const { return m_showThunder; } // the thunder activity nowcast
    bool showTornado() const { return m_showTornado; } // the tornado likelihood nowcast
    bool showPrefectureBorders() const { return m_showPrefectureBorders; }
    bool showPrefectureLabels() const { return m_showPrefectureLabels; }
    bool showRangeCircles() const { return m_showRangeCircles; }
    double textScale() const { return m_textScale; }
    bool rainAlertsEnabled() const { return m_rainAlertsEnabled; }
    // The weakest rain worth an alert, in mm/h.
    double rainAlertMinimumMmPerHour() const { return m_rainAlertMinimumMmPerHour; }
    // How far ahead an alert looks.
    double rainAlertLeadMinutes() const { return m_rainAlertLeadMinutes; }
    // Closing the main window leaves the program in the system tray.
    bool keepRunningInTray() const { return m_keepRunningInTray; }

    // Every setter writes to the store, even an unchanged value, and notifies only on a
    // change. setTheme also re-applies the appearance in both cases.
    void setTheme(ThemePreference theme);
    void setFramesPerSecond(double value);
    void setLoopPause(double value);
    void setStepMinutes(double value);
    void setRadarOpacity(double value);
    void setRange(RadarRange range);
    void setPlaybackMode(RadarPlaybackMode mode);
    void setIncludeForecast(bool value);
    void setForecastHorizonHours(double value);
    void setShowTyphoon(bool value);
    void setShowLightning(bool value);
    void setShowThunder(bool value);
    void setShowTornado(bool value);
    void setShowPrefectureBorders(bool value);
    void setShowPrefectureLabels(bool value);
    void setShowRangeCircles(bool value);
    void setTextScale(double value);
    void setRainAlertsEnabled(bool value);
    void setRainAlertMinimumMmPerHour(double value);
    void setRainAlertLeadMinutes(double value);
    void setKeepRunningInTray(bool value);

    void applyAppearance();

Q_SIGNALS:
    void themeChanged();
    void framesPerSecondChanged();
    void loopPauseChanged();
    void stepMinutesChanged();
    void radarOpacityChanged();
    void rangeChanged();
    void playbackModeChanged();
    void includeForecastChanged();
    void forecastHorizonHoursChanged();
    void showTyphoonChanged();
    void showLightningChanged();
    void showThunderChanged();
    void showTornadoChanged();
    void showPrefectureBordersChanged();
    void showPrefectureLabelsChanged();
    void showRangeCirclesChanged();
    void textScaleChanged();
    void rainAlertsEnabledChanged();
    void rainAlertMinimumMmPerHourChanged();
    void rainAlertLeadMinutesChanged();
    void keepRunningInTrayChanged();

private:
    double readNumber(const char* name, double fallback) const;
    bool readBool(const char* name, bool fallback) const;
    QString readString(const char* name) const;
    void store(const char* name, const QVariant& value);

    template <typename T>
    void assign(T& field, T value, const char* name, const QVariant& stored,
                void (AppSettings::*changed)());

    QSettings* m_defaults;
    ThemePreference m_theme = ThemePreference::System;
    double m_framesPerSecond = 4.0;
    double m_loopPause = 1.2;
    double m_stepMinutes = 5.0;
    double m_radarOpacity = 0.75;
    RadarRange m_range = RadarRange::ThreeHours;
    RadarPlaybackMode m_playbackMode = RadarPlaybackMode::Animation;
    bool m_includeForecast = true;
    double m_forecastHorizonHours = 6.0;
    bool m_showTyphoon = true;
    bool m_showLightning = true;
    bool m_showThunder = true;
    bool m_showTornado = true;
    bool m_showPrefectureBorders = true;
    bool m_showPrefectureLabels = true;
    bool m_showRangeCircles = false;
    double m_textScale = 1.0;
    bool m_rainAlertsEnabled = false;
    double m_rainAlertMinimumMmPerHour = 1.0;
    double m_rainAlertLeadMinutes = 30.0;
    bool m_keepRunningInTray = false;
};
