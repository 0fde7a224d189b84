#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class AppSettings;
class QCheckBox;
class SettingsSegmentedPicker;
class SettingsText;

// The "通知" tab of the settings window: rain alerts (on or off, how strong, how far ahead)
// and whether closing the main window leaves the program in the system tray. Controls are
// named after their settings ("rainAlertsEnabled", "rainAlertMinimumMmPerHour",
// "rainAlertLeadMinutes", "keepRunningInTray"), with the notes "rainAlertMinimumMmPerHourNote",
// "rainAlertLeadMinutesNote" and "keepRunningInTrayNote".
class NotificationSettingsView : public QWidget {
    Q_OBJECT

public:
    // The choices offered, in mm/h and minutes.
    static const QList<double>& strengthChoices();
    static const QList<double>& leadChoices();

    // `trayAvailable`: whether the desktop has a system tray (the tray option is greyed out
    // and says why when not).
    NotificationSettingsView(AppSettings* settings, bool trayAvailable, QWidget* parent = nullptr);

    static QString strengthNote(double mmPerHour);
    static QString leadNote(double minutes);

private:
    void refresh();

    AppSettings* m_settings;
    QCheckBox* m_enabled = nullptr;
    SettingsSegmentedPicker* m_strength = nullptr;
    SettingsSegmentedPicker* m_lead = nullptr;
    SettingsText* m_strengthNote = nullptr;
    SettingsText* m_leadNote = nullptr;
    QWidget* m_strengthRow = nullptr;
    QWidget* m_leadRow = nullptr;
    QCheckBox* m_tray = nullptr;
};
