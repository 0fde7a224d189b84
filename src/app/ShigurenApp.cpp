#include "app/ShigurenApp.h"

#include "app/AppSettings.h"
#include "app/AppState.h"
#include "locations/LocationStore.h"
#include "platform/Preferences.h"

ShigurenApp::ShigurenApp()
    : ShigurenApp(Preferences::openStandard(), AppStateEnvironment::system())
{}

ShigurenApp::ShigurenApp(std::unique_ptr<QSettings> defaults, AppStateEnvironment environment)
    : m_defaults(std::move(defaults))
{
    m_settings = std::make_unique<AppSettings>(m_defaults.get());
    m_locations = std::make_unique<LocationStore>(m_defaults.get());
    m_state =
        std::make_unique<AppState>(m_settings.get(), m_locations.get(), std::move(environment));
}

ShigurenApp::~ShigurenApp()
{
    // The controller refers to both stores: it goes first.
    m_state.reset();
    m_locations.reset();
    m_settings.reset();
}
