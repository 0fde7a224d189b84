#pragma once

#include <QSettings>

#include <memory>

class AppSettings;
class AppState;
class LocationStore;
struct AppStateEnvironment;

// What one run of the application holds for its whole life: the settings, the saved
// places and the controller, created once and in that order over the user's preferences.
// Creating them starts nothing; the main window starts the controller when it appears.
class ShigurenApp {
public:
    // Over the user's standard preferences store.
    ShigurenApp();
    // Over the given store with the given machine sources (tests, end-to-end runs).
    ShigurenApp(std::unique_ptr<QSettings> defaults, AppStateEnvironment environment);
    ~ShigurenApp();
    ShigurenApp(const ShigurenApp&) = delete;
    ShigurenApp& operator=(const ShigurenApp&) = delete;

    AppSettings& settings() const { return *m_settings; }
    LocationStore& locations() const { return *m_locations; }
    AppState& state() const { return *m_state; }

private:
    std::unique_ptr<QSettings> m_defaults;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<LocationStore> m_locations;
    std::unique_ptr<AppState> m_state;
};
