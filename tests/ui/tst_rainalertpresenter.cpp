#include "FakeClock.h"
#include "FakeNotificationService.h"
#include "PrivateSessionBus.h"
#include "TestRegistry.h"
#include "app/AppSettings.h"
#include "platform/DesktopNotifications.h"
#include "platform/Preferences.h"
#include "ui/RainAlertPresenter.h"

#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

// Dry now, rain of 5–10 mm/h from 15 minutes after `dataTime`.
RainOutlook rainInFifteenMinutes(const QDateTime& dataTime)
{
    using Kind = RainOutlookStep::Kind;
    RainOutlook outlook;
    outlook.placeName = u"千代田区"_s;
    outlook.place = {35.69, 139.75};
    outlook.dataTime = dataTime;
    outlook.steps.append({dataTime, Kind::Observation, 0, true});
    for (int i = 1; i <= 12; ++i)
        outlook.steps.append({dataTime.addSecs(300 * i), Kind::Nowcast, i == 3 ? 3 : 0, true});
    return outlook;
}

} // namespace

class TestRainAlertPresenter : public QObject {
    Q_OBJECT

    PrivateSessionBus m_bus;
    QTemporaryDir m_dir;
    int m_files = 0;
    std::unique_ptr<QSettings> m_store;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<FakeNotificationService> m_service;
    std::unique_ptr<QWidget> m_window;

    std::unique_ptr<RainAlertPresenter> presenter(bool trayAvailable)
    {
        return std::make_unique<RainAlertPresenter>(
            m_settings.get(), m_window.get(),
            std::make_unique<DesktopNotifications>(m_bus.connect()), trayAvailable);
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_bus.start());
        m_service = std::make_unique<FakeNotificationService>(m_bus.connect());
        QVERIFY(m_service->publish());
        m_store = Preferences::openFile(m_dir.filePath(u"p%1.json"_s.arg(++m_files)));
        m_settings = std::make_unique<AppSettings>(m_store.get());
        m_window = std::make_unique<QWidget>();
    }

    void cleanup()
    {
        m_window.reset();
        m_settings.reset();
        m_store.reset();
        m_service.reset();
        m_bus.stop();
    }

    // Off, nothing is told; switched on, the rain on its way is told at once, and a click on
    // the notification brings the window back.
    void rainOnTheWayIsToldAndTheClickShowsTheWindow()
    {
        FakeClock clock;
        auto shown = presenter(false);
        shown->showOutlook(rainInFifteenMinutes(clock.now()));
        m_settings->setRainAlertsEnabled(true);
        QTRY_COMPARE(m_service->calls.size(), 1);
        QCOMPARE(m_service->calls[0].summary, u"雨の見込み"_s);
        QCOMPARE(m_service->calls[0].body, u"千代田区：約15分後から雨の見込み（5〜10 mm/h）"_s);

        QVERIFY(!m_window->isVisible());
        m_service->click(41, u"default"_s);
        QTRY_VERIFY(m_window->isVisible());
    }

    // The lead time is the user's: 10 minutes ahead, rain in 15 is not yet worth telling.
    void theSettingsReachTheRule()
    {
        FakeClock clock;
        m_settings->setRainAlertsEnabled(true);
        m_settings->setRainAlertLeadMinutes(10);
        m_settings->setRainAlertMinimumMmPerHour(5);
        auto shown = presenter(false);
        QCOMPARE(shown->alert().settings(), (RainAlertSettings{true, 5.0, 10}));
        shown->showOutlook(rainInFifteenMinutes(clock.now()));
        QVERIFY(shown->alert().isArmed());
        m_settings->setRainAlertLeadMinutes(20);
        QVERIFY(!shown->alert().isArmed());
        QTRY_COMPARE(m_service->calls.size(), 1);
    }

    void theTrayKeepsTheProgramRunning()
    {
        FakeClock clock;
        auto shown = presenter(true);
        QVERIFY(!shown->tray());
        QVERIFY(QApplication::quitOnLastWindowClosed());

        m_settings->setKeepRunningInTray(true);
        QSystemTrayIcon* tray = shown->tray();
        QVERIFY(tray);
        QVERIFY(!QApplication::quitOnLastWindowClosed());
        shown->showOutlook(rainInFifteenMinutes(clock.now()));
        QCOMPARE(tray->toolTip(), u"約15分後から雨の見込み（5〜10 mm/h）"_s);
        // The minutes count down with the clock, without a new outlook.
        clock.advance(5min);
        QCOMPARE(tray->toolTip(), u"約10分後から雨の見込み（5〜10 mm/h）"_s);

        const QList<QAction*> actions = tray->contextMenu()->actions();
        QCOMPARE(actions.size(), 2);
        QCOMPARE(actions[0]->text(), u"表示"_s);
        QCOMPARE(actions[1]->text(), u"終了"_s);
        actions[0]->trigger();
        QVERIFY(m_window->isVisible());
        m_window->close();

        // Off again: the hidden window comes back rather than being out of reach.
        m_settings->setKeepRunningInTray(false);
        QVERIFY(!shown->tray());
        QVERIFY(QApplication::quitOnLastWindowClosed());
        QVERIFY(m_window->isVisible());
    }

    void withoutATrayTheOptionChangesNothing()
    {
        m_settings->setKeepRunningInTray(true);
        auto shown = presenter(false);
        QVERIFY(!shown->tray());
        QVERIFY(QApplication::quitOnLastWindowClosed());
    }
};

SHIGUREN_TEST(TestRainAlertPresenter)
#include "tst_rainalertpresenter.moc"
