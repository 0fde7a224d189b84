#include "ui/ApplicationShell.h"

#include "app/AppSettings.h"
#include "app/AppState.h"
#include "outlook/RainOutlookService.h"
#include "platform/AllocatorTuning.h"
#include "platform/AppInfo.h"
#include "platform/DesktopNotifications.h"
#include "platform/Icons.h"
#include "ui/MainWindow.h"
#include "ui/RainAlertPresenter.h"
#include "update/SoftwareUpdaterModel.h"

#include <QApplication>
#include <QStyleFactory>
#include <QSystemTrayIcon>

ApplicationShell::ApplicationShell()
    : m_app(std::make_unique<ShigurenApp>())
{
    createWindows();
}

ApplicationShell::ApplicationShell(std::unique_ptr<QSettings> defaults,
                                   AppStateEnvironment environment)
    : m_app(std::make_unique<ShigurenApp>(std::move(defaults), std::move(environment)))
{
    createWindows();
}

ApplicationShell::~ApplicationShell()
{
    // The window shows the controller's objects: it goes before them, and the alerts, which
    // show the window, before it.
    m_rainAlerts.reset();
    m_window.reset();
    m_updater.reset();
    m_app.reset();
}

void ApplicationShell::configureApplication()
{
    tuneAllocatorForTileImages();
    QApplication::setApplicationName(AppInfo::applicationName());
    QApplication::setApplicationVersion(AppInfo::version());
    QGuiApplication::setApplicationDisplayName(AppInfo::displayName());
    QGuiApplication::setDesktopFileName(AppInfo::applicationId());
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setWindowIcon(QIcon(Icons::path(AppInfo::applicationId())));
}

void ApplicationShell::createWindows()
{
    m_updater = std::make_unique<SoftwareUpdaterModel>(m_app->settings().defaults());
    m_window = std::make_unique<MainWindow>(&m_app->state(), m_updater.get());
    m_rainAlerts = std::make_unique<RainAlertPresenter>(&m_app->settings(), m_window.get(),
                                                        std::make_unique<DesktopNotifications>(),
                                                        QSystemTrayIcon::isSystemTrayAvailable());
    RainOutlookService* outlook = m_app->state().outlook();
    QObject::connect(
        outlook, &RainOutlookService::outlookChanged, m_rainAlerts.get(),
        [presenter = m_rainAlerts.get(), outlook] { presenter->showOutlook(outlook->outlook()); });
}
