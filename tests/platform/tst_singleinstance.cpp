#include "TestRegistry.h"
#include "platform/AppInfo.h"
#include "platform/SingleInstance.h"

#include <QDBusConnectionInterface>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

// Each test runs against a session bus of its own, so a desktop's real bus (or none) on the
// machine running the tests changes nothing.
class TestSingleInstance : public QObject {
    Q_OBJECT

    QProcess m_daemon;
    QString m_address;
    int m_connections = 0;

    QDBusConnection connect()
    {
        return QDBusConnection::connectToBus(m_address,
                                             QStringLiteral("client%1").arg(++m_connections));
    }

private Q_SLOTS:
    void init()
    {
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--session"), QStringLiteral("--nofork"),
                        QStringLiteral("--print-address")});
        QVERIFY2(m_daemon.waitForStarted(), "dbus-daemon (Debian package dbus-daemon) is needed");
        QTRY_VERIFY(m_daemon.canReadLine());
        m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
        QVERIFY(connect().isConnected());
    }
    void cleanup()
    {
        for (int i = 1; i <= m_connections; ++i)
            QDBusConnection::disconnectFromBus(QStringLiteral("client%1").arg(i));
        m_daemon.kill();
        m_daemon.waitForFinished();
    }

    void aSecondStartShowsTheFirstAndEnds()
    {
        SingleInstance first(connect());
        QVERIFY(first.claim());
        QSignalSpy shown(&first, &SingleInstance::activationRequested);
        SingleInstance second(connect());
        QVERIFY(!second.claim());
        QCOMPARE(shown.size(), 1);
    }

    // A crashed or closed first instance leaves the name to the next start.
    void theNameIsFreeOnceTheFirstIsGone()
    {
        {
            SingleInstance first(connect());
            QVERIFY(first.claim());
            QDBusConnection::disconnectFromBus(QStringLiteral("client%1").arg(m_connections));
        }
        SingleInstance next(connect());
        QTRY_VERIFY(next.claim());
    }

    void withoutAnAnswerTheStartRunsAnyway_data()
    {
        QTest::addColumn<bool>("busReachable");
        QTest::newRow("no session bus") << false;
        QTest::newRow("an owner that does not answer") << true;
    }
    void withoutAnAnswerTheStartRunsAnyway()
    {
        QFETCH(bool, busReachable);
        if (busReachable) {
            QDBusConnection owner = connect();
            QCOMPARE(owner.interface()->registerService(AppInfo::applicationId()).value(),
                     QDBusConnectionInterface::ServiceRegistered);
            SingleInstance late(connect());
            QVERIFY(late.claim());
        } else {
            SingleInstance alone(QDBusConnection::connectToBus(
                QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("nowhere")));
            QVERIFY(alone.claim());
            QDBusConnection::disconnectFromBus(QStringLiteral("nowhere"));
        }
    }
};

SHIGUREN_GUILESS_TEST(TestSingleInstance)

#include "tst_singleinstance.moc"
