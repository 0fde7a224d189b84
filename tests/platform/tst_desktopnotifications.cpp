#include "FakeNotificationService.h"
#include "LogCapture.h"
#include "PrivateSessionBus.h"
#include "TestRegistry.h"
#include "platform/AppInfo.h"
#include "platform/DesktopNotifications.h"

#include <QSignalSpy>
#include <QTest>

class ActionSignalCounter : public QObject {
    Q_OBJECT

public:
    explicit ActionSignalCounter(QDBusConnection bus)
    {
        bus.connect(QString(), QString(), QStringLiteral("org.freedesktop.Notifications"),
                    QStringLiteral("ActionInvoked"), this, SLOT(hear(uint, QString)));
    }

    int count = 0;

private Q_SLOTS:
    void hear(uint, const QString&) { ++count; }
};

class TestDesktopNotifications : public QObject {
    Q_OBJECT

    PrivateSessionBus m_bus;

private Q_SLOTS:
    void init() { QVERIFY(m_bus.start()); }
    void cleanup() { m_bus.stop(); }

    void theNotificationArrivesAndReplacesTheLastOne()
    {
        FakeNotificationService service(m_bus.connect());
        QVERIFY(service.publish());
        DesktopNotifications notifications(m_bus.connect());
        notifications.show(QStringLiteral("雨の見込み"),
                           QStringLiteral("千代田区：雨が続く見込み"));
        QTRY_COMPARE(service.calls.size(), 1);
        const FakeNotificationService::Call first = service.calls[0];
        QCOMPARE(first.appName, QStringLiteral("Shiguren"));
        QCOMPARE(first.replacesId, 0u);
        QCOMPARE(first.icon, AppInfo::applicationId());
        QCOMPARE(first.summary, QStringLiteral("雨の見込み"));
        QCOMPARE(first.body, QStringLiteral("千代田区：雨が続く見込み"));
        QCOMPARE(first.actions.value(0), QStringLiteral("default"));
        QCOMPARE(first.actions.size(), 2);

        // Wait for the id to come back before the next, as alerts are minutes apart.
        QSignalSpy activated(&notifications, &DesktopNotifications::activated);
        service.click(41, QStringLiteral("default"));
        QVERIFY(activated.wait());
        notifications.show(QStringLiteral("雨の見込み"), QStringLiteral("二度目"));
        QTRY_COMPARE(service.calls.size(), 2);
        QCOMPARE(service.calls[1].replacesId, 41u);
    }

    // Only a click on our own notification's default action shows the window.
    void clicksRaiseActivated_data()
    {
        QTest::addColumn<uint>("id");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("activates");
        QTest::newRow("ours") << 41u << "default" << true;
        QTest::newRow("another program's") << 7u << "default" << false;
        QTest::newRow("another action") << 41u << "dismiss" << false;
    }

    void clicksRaiseActivated()
    {
        QFETCH(uint, id);
        QFETCH(QString, action);
        QFETCH(bool, activates);
        FakeNotificationService service(m_bus.connect());
        QVERIFY(service.publish());
        QDBusConnection bus = m_bus.connect();
        DesktopNotifications notifications(bus);
        // Hears the signal on the same connection, after the notifications object: once it
        // has, the notifications object has had its turn.
        ActionSignalCounter heard(bus);
        QSignalSpy activated(&notifications, &DesktopNotifications::activated);
        notifications.show(QStringLiteral("雨の見込み"), QStringLiteral("本文"));
        QTRY_COMPARE(service.calls.size(), 1);
        service.click(id, action);
        QTRY_COMPARE(heard.count, 1);
        QCOMPARE(activated.size(), activates ? 1 : 0);
    }

    void withoutAServiceItIsLoggedOnce_data()
    {
        QTest::addColumn<bool>("busReachable");
        QTest::newRow("no session bus") << false;
        QTest::newRow("no notification service") << true;
    }

    void withoutAServiceItIsLoggedOnce()
    {
        QFETCH(bool, busReachable);
        LogCapture log(QStringLiteral("jp.shiguren.Shiguren.app"));
        {
            DesktopNotifications notifications(busReachable ? m_bus.connect()
                                                            : PrivateSessionBus::unreachable());
            for (int i = 0; i < 3; ++i)
                notifications.show(QStringLiteral("雨の見込み"), QStringLiteral("本文"));
            QTRY_COMPARE(log.matching(QStringLiteral("notifications are not available")).size(), 1);
            // Every call's answer is in: any further line would have been written by now.
            QTRY_COMPARE(notifications.findChildren<QObject*>().size(), 0);
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("nowhere"));
        QCOMPARE(log.matching(QStringLiteral("notifications are not available")).size(), 1);
    }
};

SHIGUREN_GUILESS_TEST(TestDesktopNotifications)
#include "tst_desktopnotifications.moc"
