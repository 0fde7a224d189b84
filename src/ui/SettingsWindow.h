#pragma once

#include <QWidget>

class AppState;
class QTabWidget;
class SoftwareUpdaterModel;

// The settings window: "一般" (every display, playback and layer setting), "通知" (rain
// alerts and the system tray) and "更新" (software updates). Its object name carries "Settings",
// which keeps the radar's frame keys away from it.
class SettingsWindow : public QWidget {
    Q_OBJECT

public:
    SettingsWindow(AppState* state, SoftwareUpdaterModel* updater, QWidget* parent = nullptr);

    QTabWidget* tabs() const { return m_tabs; }

protected:
    void changeEvent(QEvent* event) override;

private:
    // Tab icons are pictures, not text: they take the palette's ink only when drawn anew.
    void tintTabIcons();

    QTabWidget* m_tabs = nullptr;
};
