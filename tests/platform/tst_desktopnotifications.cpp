#include "LogCapture.h"
#include "PrivateSessionBus.h"
#include "TestRegistry.h"
#include "platform/AppInfo.h"
#include "platform/DesktopNotifications.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QSignalSpy>
#include <QTest>

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

    bool publish()
    {
        return m_bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                    QDBusConnection::ExportScriptableSlots) &&
               m_bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }

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
        return replacesId ? replacesId : uint(40 + calls.size());
    }

private:
    QDBusConnection m_bus;
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
        DesktopNotifications notifications(m_bus.connect());
        QSignalSpy activated(&notifications, &DesktopNotifications::activated);
        notifications.show(QStringLiteral("雨の見込み"), QStringLiteral("本文"));
        QTRY_COMPARE(service.calls.size(), 1);
        // A click on ours afterwards proves the one before was delivered and ignored.
        service.click(id, action);
        service.click(41, QStringLiteral("default"));
        QTRY_VERIFY(!activated.isEmpty());
        QCOMPARE(activated.size(), activates ? 2 : 1);
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
