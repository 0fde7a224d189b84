#include "PrivateSessionBus.h"
#include "TestRegistry.h"
#include "platform/AppInfo.h"
#include "platform/SingleInstance.h"

#include <QDBusConnectionInterface>
#include <QSignalSpy>
#include <QTest>

// Each test runs against a session bus of its own, so a desktop's real bus (or none) on the
// machine running the tests changes nothing.
class TestSingleInstance : public QObject {
    Q_OBJECT

    PrivateSessionBus m_bus;

    QDBusConnection connect() { return m_bus.connect(); }

private Q_SLOTS:
    void init() { QVERIFY(m_bus.start()); }
    void cleanup() { m_bus.stop(); }

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
            m_bus.disconnectLast();
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
            SingleInstance alone(PrivateSessionBus::unreachable());
            QVERIFY(alone.claim());
            QDBusConnection::disconnectFromBus(QStringLiteral("nowhere"));
        }
    }
};

SHIGUREN_GUILESS_TEST(TestSingleInstance)

#include "tst_singleinstance.moc"
