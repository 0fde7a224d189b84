#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

class QDBusPendingCallWatcher;

// Pop-up notifications through the desktop's notification service
// (org.freedesktop.Notifications on the session bus). Each notification offers the default
// action, so clicking it emits activated(). A new notification replaces the one before, so
// the desktop never stacks stale ones. Without a session bus or a notification service the
// program logs that once and shows nothing; calls never block the GUI thread.
class DesktopNotifications : public QObject {
    Q_OBJECT

public:
    explicit DesktopNotifications(QDBusConnection bus = QDBusConnection::sessionBus(),
                                  QObject* parent = nullptr);

    void show(const QString& title, const QString& body);

Q_SIGNALS:
    // The user clicked a notification of ours.
    void activated();

private Q_SLOTS:
    void onActionInvoked(uint id, const QString& action);

private:
    void onShown(QDBusPendingCallWatcher* call);
    void logUnavailable(const QString& reason);

    QDBusConnection m_bus;
    uint m_lastId = 0;
    bool m_toldUnavailable = false;
};
