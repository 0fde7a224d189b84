#pragma once

#include "app/ShigurenApp.h"

#include <memory>

class MainWindow;
class RainAlertPresenter;
class SoftwareUpdaterModel;
struct AppStateEnvironment;

// Everything one run of the program holds, in the order it is made: the settings, saved
// places and controller (ShigurenApp), the update checker, the main window, and the rain
// alerts with the tray. `main` and the end-to-end tests build the program through this one
// class.
class ApplicationShell {
public:
    // Over the user's preferences and this machine.
    ApplicationShell();
    // Over the given preferences store and machine sources.
    ApplicationShell(std::unique_ptr<QSettings> defaults, AppStateEnvironment environment);
    ~ApplicationShell();
    ApplicationShell(const ApplicationShell&) = delete;
    ApplicationShell& operator=(const ApplicationShell&) = delete;

    // Sets the application's name, style and icon; call once, right after QApplication.
    static void configureApplication();

    ShigurenApp& app() { return *m_app; }
    SoftwareUpdaterModel& updater() { return *m_updater; }
    MainWindow& window() { return *m_window; }
    RainAlertPresenter& rainAlerts() { return *m_rainAlerts; }

private:
    void createWindows();

    std::unique_ptr<ShigurenApp> m_app;
    std::unique_ptr<SoftwareUpdaterModel> m_updater;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<RainAlertPresenter> m_rainAlerts;
};
