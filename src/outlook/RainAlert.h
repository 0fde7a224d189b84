#pragma once

#include "outlook/RainOutlook.h"
#include "platform/Clock.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <chrono>

// What the user chose for rain alerts: whether they are on, the weakest rain worth one, and
// how far ahead to look.
struct RainAlertSettings {
    bool enabled = false;
    double minimumMmPerHour = 1.0;
    int leadMinutes = 30;

    friend bool operator==(const RainAlertSettings&, const RainAlertSettings&) = default;
};

// Decides when rain deserves an alert. It alerts once per rain episode: when an outlook
// expects rain of the chosen strength at the place within the lead time (the newest
// observation, or a nowcast or forecast step due by then), and then not again until the
// outlooks have been dry for 30 minutes of clock time, so a shower that flickers in and out
// of the lead time does not alert at every frame. A stale outlook never alerts and does not
// count as dry. Lives on the GUI thread; time comes from Clock::current().
class RainAlert : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::minutes kDryBeforeRearming{30};

    explicit RainAlert(QObject* parent = nullptr);

    RainAlertSettings settings() const { return m_settings; }
    // Switching alerts on starts a new episode; any change looks at the last outlook again, so
    // rain already on its way is told without waiting for the next frame.
    void setSettings(const RainAlertSettings& settings);

    // Each new outlook. Another place starts a new episode.
    void consider(const RainOutlook& outlook);

    // True when the next rain will be told.
    bool isArmed() const { return m_armed; }

    // Whether `outlook` has rain in band `band` or above up to `until`.
    static bool expectsRain(const RainOutlook& outlook, int band, const QDateTime& until);
    static QString title();
    // The outlook's sentence after the place's name.
    static QString body(const RainOutlook& outlook, const QDateTime& now);

Q_SIGNALS:
    void alerted(const QString& title, const QString& body);

private:
    void evaluate();
    void rearm();

    RainAlertSettings m_settings;
    RainOutlook m_last;
    bool m_armed = true;
    ScheduledTimer m_dryWait;
};
