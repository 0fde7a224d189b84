#pragma once

#include "ui/SettingsWindow.h"

#include <QMainWindow>
#include <QPointer>

class AppState;
class ContentView;
class MainToolBar;
class RadarTileLoader;
class SoftwareUpdaterModel;

// The main window: the content view under the toolbar, the menus with the radar commands
// (最新のコマへ, 再生／一時停止), settings, software update and the credits. It remembers its
// size and the position of the divider between the panes.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    MainWindow(AppState* state, SoftwareUpdaterModel* updater, QWidget* parent = nullptr,
               RadarTileLoader* loader = nullptr);
    ~MainWindow() override;

    ContentView* content() const { return m_content; }
    MainToolBar* toolBar() const { return m_toolBar; }
    QAction* playPauseAction() const { return m_playPause; }

    void showSettings();

    // Shows `window` in front and gives it the keyboard: from the tray, a notification, or a
    // second start of the program.
    static void bringToFront(QWidget& window);

    // "最新のコマへ": both panes to the newest observation, the live offset to 0.
    static void jumpToLatest(AppState& state);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void restoreLayout();
    void saveLayout();
    void showAbout();
    // Told once: the store reports only its first failed save.
    void tellSettingsUnsaved();

    AppState* m_state;
    SoftwareUpdaterModel* m_updater;
    ContentView* m_content;
    MainToolBar* m_toolBar;
    QAction* m_playPause = nullptr;
    QPointer<SettingsWindow> m_settingsWindow;
};
