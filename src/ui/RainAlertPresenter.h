#pragma once

#include "outlook/RainAlert.h"
#include "outlook/RainOutlook.h"
#include "platform/Clock.h"

#include <QObject>
#include <QPointer>

#include <memory>

class AppSettings;
class DesktopNotifications;
class QMenu;
class QSystemTrayIcon;
class QWidget;

// Rain alerts and the system tray for the main window. Each outlook goes through the alert
// rule (set from the settings) to a desktop notification, whose click brings the window to
// the front. With "keep running in the tray" on and a tray on the desktop, a tray icon says
// the outlook's sentence and offers 表示 and 終了, and closing the window only hides it; off,
// closing the last window ends the program as ever.
class RainAlertPresenter : public QObject {
    Q_OBJECT

public:
    RainAlertPresenter(AppSettings* settings, QWidget* window,
                       std::unique_ptr<DesktopNotifications> notifications, bool trayAvailable,
                       QObject* parent = nullptr);
    ~RainAlertPresenter() override;

    // Each new outlook at the place.
    void showOutlook(const RainOutlook& outlook);

    // The last outlook shown.
    const RainOutlook& outlook() const { return m_outlook; }
    const RainAlert& alert() const { return m_alert; }
    // Null while there is no tray icon.
    QSystemTrayIcon* tray() const { return m_tray.get(); }

private:
    void applyAlertSettings();
    void applyTray();
    // The sentence counts minutes from now, so the tooltip is said again every minute.
    void refreshTrayText();
    void showWindow();

    AppSettings* m_settings;
    QPointer<QWidget> m_window;
    std::unique_ptr<DesktopNotifications> m_notifications;
    bool m_trayAvailable;
    RainAlert m_alert;
    RainOutlook m_outlook;
    std::unique_ptr<QMenu> m_trayMenu;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    ScheduledTimer m_trayTextTimer;
};
