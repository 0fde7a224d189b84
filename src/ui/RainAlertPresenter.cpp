#include "ui/RainAlertPresenter.h"

#include "app/AppSettings.h"
#include "outlook/RainOutlookText.h"
#include "platform/AppInfo.h"
#include "platform/DesktopNotifications.h"
#include "platform/Icons.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>

namespace {

constexpr std::chrono::minutes kTrayTextInterval{1};

} // namespace

RainAlertPresenter::RainAlertPresenter(AppSettings* settings, QWidget* window,
                                       std::unique_ptr<DesktopNotifications> notifications,
                                       bool trayAvailable, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_window(window)
    , m_notifications(std::move(notifications))
    , m_trayAvailable(trayAvailable)
{
    connect(&m_alert, &RainAlert::alerted, m_notifications.get(), &DesktopNotifications::show);
    connect(m_notifications.get(), &DesktopNotifications::activated, this,
            &RainAlertPresenter::showWindow);
    for (auto changed :
         {&AppSettings::rainAlertsEnabledChanged, &AppSettings::rainAlertMinimumMmPerHourChanged,
          &AppSettings::rainAlertLeadMinutesChanged})
        connect(settings, changed, this, &RainAlertPresenter::applyAlertSettings);
    connect(settings, &AppSettings::keepRunningInTrayChanged, this, &RainAlertPresenter::applyTray);
    applyAlertSettings();
    applyTray();
}

RainAlertPresenter::~RainAlertPresenter()
{
    // The tray goes with us: closing the window must end the program again.
    if (m_tray)
        QApplication::setQuitOnLastWindowClosed(true);
}

void RainAlertPresenter::showOutlook(const RainOutlook& outlook)
{
    m_outlook = outlook;
    m_alert.consider(outlook);
    refreshTrayText();
}

void RainAlertPresenter::applyAlertSettings()
{
    m_alert.setSettings({m_settings->rainAlertsEnabled(), m_settings->rainAlertMinimumMmPerHour(),
                         int(m_settings->rainAlertLeadMinutes())});
}

void RainAlertPresenter::applyTray()
{
    const bool wanted = m_trayAvailable && m_settings->keepRunningInTray();
    if (wanted == bool(m_tray))
        return;
    QApplication::setQuitOnLastWindowClosed(!wanted);
    if (!wanted) {
        m_trayTextTimer.cancel();
        m_tray.reset();
        m_trayMenu.reset();
        // A window hidden into the tray would be out of reach once the tray is gone.
        if (m_window && !m_window->isVisible())
            showWindow();
        return;
    }
    m_trayMenu = std::make_unique<QMenu>();
    m_trayMenu->addAction(QStringLiteral("表示"), this, &RainAlertPresenter::showWindow);
    m_trayMenu->addAction(QStringLiteral("終了"), qApp, &QApplication::quit);
    m_tray = std::make_unique<QSystemTrayIcon>(QIcon(Icons::path(AppInfo::applicationId())));
    m_tray->setContextMenu(m_trayMenu.get());
    connect(m_tray.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    showWindow();
            });
    refreshTrayText();
    m_tray->show();
}

void RainAlertPresenter::refreshTrayText()
{
    if (!m_tray)
        return;
    m_tray->setToolTip(m_outlook.isEmpty()
                           ? AppInfo::displayName()
                           : RainOutlookText::fullText(m_outlook, Clock::current().now()));
    m_trayTextTimer.start(kTrayTextInterval, [this] {
        m_trayTextTimer.markFired();
        refreshTrayText();
    });
}

void RainAlertPresenter::showWindow()
{
    if (m_window)
        MainWindow::bringToFront(*m_window);
}
