#include "TestRegistry.h"
#include "WidgetParts.h"
#include "app/AppSettings.h"
#include "platform/Preferences.h"
#include "ui/NotificationSettingsView.h"
#include "ui/SettingsViewControls.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestNotificationSettings : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_files = 0;

    std::unique_ptr<QSettings> newStore()
    {
        return Preferences::openFile(m_dir.filePath(u"n%1.json"_s.arg(++m_files)));
    }

    // Through a copy under a new name: QSettings would otherwise answer from its cache.
    std::unique_ptr<QSettings> reopen(QSettings& store)
    {
        store.sync();
        const QString copy = m_dir.filePath(u"n%1.json"_s.arg(++m_files));
        return QFile::copy(store.fileName(), copy) ? Preferences::openFile(copy) : nullptr;
    }

private Q_SLOTS:
    void choicesAreWrittenAndShownAfterARestart_data()
    {
        QTest::addColumn<QString>("picker");
        QTest::addColumn<int>("index");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("note");
        QTest::newRow("0.1 mm/h") << u"rainAlertMinimumMmPerHour"_s << 0 << 0.1
                                  << u"1時間あたり0.1 mm以上の雨を通知します"_s;
        QTest::newRow("20 mm/h") << u"rainAlertMinimumMmPerHour"_s << 4 << 20.0
                                 << u"1時間あたり20 mm以上の雨を通知します"_s;
        QTest::newRow("10 minutes")
            << u"rainAlertLeadMinutes"_s << 0 << 10.0 << u"10分先までに降りだす雨を通知します"_s;
        QTest::newRow("60 minutes")
            << u"rainAlertLeadMinutes"_s << 3 << 60.0 << u"60分先までに降りだす雨を通知します"_s;
    }

    void choicesAreWrittenAndShownAfterARestart()
    {
        QFETCH(QString, picker);
        QFETCH(int, index);
        QFETCH(double, value);
        QFETCH(QString, note);
        auto store = newStore();
        AppSettings settings(store.get());
        {
            NotificationSettingsView view(&settings, false);
            testing::part<QCheckBox>(view, u"rainAlertsEnabled"_s)->click();
            QTest::mouseClick(testing::part<SettingsSegmentedPicker>(view, picker)->button(index),
                              Qt::LeftButton);
            QCOMPARE(settings.property(picker.toLatin1()).toDouble(), value);
            QCOMPARE(testing::part<QLabel>(view, picker + u"Note"_s)->text(), note);
        }
        auto reopened = reopen(*store);
        QVERIFY(reopened);
        AppSettings restarted(reopened.get());
        QVERIFY(restarted.rainAlertsEnabled());
        NotificationSettingsView view(&restarted, false);
        QCOMPARE(testing::part<SettingsSegmentedPicker>(view, picker)->currentIndex(), index);
        QVERIFY(testing::part<QCheckBox>(view, u"rainAlertsEnabled"_s)->isChecked());
    }

    // Strength and lead wait greyed out until alerts are on, here or elsewhere.
    void theRowsFollowTheSwitch()
    {
        auto store = newStore();
        AppSettings settings(store.get());
        NotificationSettingsView view(&settings, false);
        const QStringList rows{u"rainAlertMinimumMmPerHourRow"_s, u"rainAlertLeadMinutesRow"_s};
        for (const QString& row : rows)
            QVERIFY(!testing::part(view, row)->isEnabled());
        settings.setRainAlertsEnabled(true);
        QVERIFY(testing::part<QCheckBox>(view, u"rainAlertsEnabled"_s)->isChecked());
        for (const QString& row : rows)
            QVERIFY(testing::part(view, row)->isEnabled());
    }

    void theTrayOptionNeedsATray_data()
    {
        QTest::addColumn<bool>("trayAvailable");
        QTest::newRow("a tray") << true;
        QTest::newRow("no tray") << false;
    }

    void theTrayOptionNeedsATray()
    {
        QFETCH(bool, trayAvailable);
        auto store = newStore();
        AppSettings settings(store.get());
        NotificationSettingsView view(&settings, trayAvailable);
        auto* box = testing::part<QCheckBox>(view, u"keepRunningInTray"_s);
        QCOMPARE(box->isEnabled(), trayAvailable);
        QCOMPARE(testing::part<QLabel>(view, u"keepRunningInTrayNote"_s)
                     ->text()
                     .contains(u"システムトレイがない"_s),
                 !trayAvailable);
        box->click(); // does nothing while disabled
        QCOMPARE(settings.keepRunningInTray(), trayAvailable);
        settings.setKeepRunningInTray(true);
        QCOMPARE(box->isChecked(), trayAvailable);
    }
};

SHIGUREN_TEST(TestNotificationSettings)
#include "tst_notificationsettings.moc"
