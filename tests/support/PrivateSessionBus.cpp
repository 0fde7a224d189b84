#include "PrivateSessionBus.h"

#include <QTest>

bool PrivateSessionBus::start()
{
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"),
                    QStringLiteral("--print-address")});
    if (!m_daemon.waitForStarted()) {
        qWarning("dbus-daemon (Debian package dbus-daemon) is needed");
        return false;
    }
    if (!QTest::qWaitFor([this] { return m_daemon.canReadLine(); }))
        return false;
    m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
    return connect().isConnected();
}

void PrivateSessionBus::stop()
{
    for (int i = 1; i <= m_connections; ++i)
        QDBusConnection::disconnectFromBus(connectionName(i));
    m_connections = 0;
    if (m_daemon.state() != QProcess::NotRunning) {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }
}

QDBusConnection PrivateSessionBus::connect()
{
    return QDBusConnection::connectToBus(m_address, connectionName(++m_connections));
}

void PrivateSessionBus::disconnectLast()
{
    QDBusConnection::disconnectFromBus(connectionName(m_connections));
}

QDBusConnection PrivateSessionBus::unreachable()
{
    return QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                         QStringLiteral("nowhere"));
}

QString PrivateSessionBus::connectionName(int number) const
{
    return QStringLiteral("client%1").arg(number);
}
