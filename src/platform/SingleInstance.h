#pragma once

#include <QDBusConnection>
#include <QObject>

// One running program per user session. The first instance owns the application id as a
// name on the session bus; a later one asks it to show itself and then ends. Without a
// session bus (a bare X server, a container) every start simply runs.
class SingleInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "jp.shiguren.Shiguren.Instance")

public:
    explicit SingleInstance(QDBusConnection bus = QDBusConnection::sessionBus(),
                            QObject* parent = nullptr);

    // False when another instance owns the name and has shown itself; true when this
    // process should run (it owns the name now, or there is no bus or no answer).
    bool claim();

public Q_SLOTS:
    Q_SCRIPTABLE void activate();

Q_SIGNALS:
    void activationRequested();

private:
    QDBusConnection m_bus;
};
