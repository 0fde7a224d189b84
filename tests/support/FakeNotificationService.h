#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

// The desktop's notification service as far as the program uses it: it records each Notify
// and answers with an id, and can say that the user clicked one.
class FakeNotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Call {
        QString appName;
        uint replacesId;
        QString icon;
        QString summary;
        QString body;
        QStringList actions;
    };

    explicit FakeNotificationService(QDBusConnection bus)
        : m_bus(std::move(bus))
    {}

    // Claims the service's name on the bus.
    bool publish()
    {
        return m_bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                    QDBusConnection::ExportScriptableSlots) &&
               m_bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }

    // The user clicked action `action` of notification `id`.
    void click(uint id, const QString& action)
    {
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActionInvoked"));
        signal << id << action;
        m_bus.send(signal);
    }

    QList<Call> calls;

public Q_SLOTS:
    Q_SCRIPTABLE uint Notify(const QString& appName, uint replacesId, const QString& icon,
                             const QString& summary, const QString& body,
                             const QStringList& actions, const QVariantMap& hints, int timeout)
    {
        Q_UNUSED(hints);
        Q_UNUSED(timeout);
        calls.append({appName, replacesId, icon, summary, body, actions});
        // Ids from 41 on, as a desktop that has shown others before.
        return replacesId ? replacesId : uint(40 + calls.size());
    }

private:
    QDBusConnection m_bus;
};
