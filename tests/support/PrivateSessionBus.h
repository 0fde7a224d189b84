#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>

// A session bus of the test's own (a dbus-daemon it starts), so a desktop's real bus, or none,
// on the machine running the tests changes nothing. Each connect() is a connection of its own,
// as another process would have; all are closed with the bus.
class PrivateSessionBus {
public:
    PrivateSessionBus() = default;
    ~PrivateSessionBus() { stop(); }
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    // Starts the daemon; false (with a warning naming the package) when it cannot.
    bool start();
    void stop();

    QDBusConnection connect();
    // Closes the newest connection, as if its process had ended.
    void disconnectLast();

    // A connection to a bus that does not exist.
    static QDBusConnection unreachable();

private:
    QString connectionName(int number) const;

    QProcess m_daemon;
    QString m_address;
    int m_connections = 0;
};
