#include "FakeClock.h"
#include "FakeDataHosts.h"
#include "TestRegistry.h"
#include "platform/DataHosts.h"
#include "platform/Preferences.h"
#include "update/FeedUpdater.h"
#include "update/SoftwareUpdateCommands.h"
#include "update/SoftwareUpdateSettingsView.h"
#include "update/SoftwareUpdaterModel.h"
#include "update/UpdateAlert.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

using namespace std::chrono_literals;

namespace {

const QString kFeedPath = QLatin1String(DataHosts::kStandInFeedPath);

QByteArray feedWith(const char* shortVersion, const char* version)
{
    return QByteArray("<rss xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/"
                      "sparkle\"><channel><item><sparkle:shortVersionString>") +
           shortVersion + "</sparkle:shortVersionString><sparkle:version>" + version +
           "</sparkle:version><link>https://shiguren.jp/download</link></item></channel></rss>";
}

// Records what the user was shown: "found 1.3.0 user", "found 1.3.0 auto", "upToDate", "error …".
class RecordingDriver : public UpdateUserDriver {
public:
    explicit RecordingDriver(QStringList* shown)
        : m_shown(shown)
    {}
    void showUpdateFound(const AppcastItem& item, bool user) override
    {
        m_shown->append(u"found "_qs + item.shortVersion + (user ? u" user"_qs : u" auto"_qs));
    }
    void showUpToDate() override { m_shown->append(u"upToDate"_qs); }
    void showUpdateError(const QString& message) override
    {
        m_shown->append(u"error "_qs + message);
    }
    void showUpdatesFromSystem() override { m_shown->append(u"system"_qs); }

private:
    QStringList* m_shown;
};

} // namespace

class TestSoftwareUpdater : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_files = 0;
    std::optional<FakeDataHosts> m_server;
    std::unique_ptr<QSettings> m_store;
    QStringList m_shown;

    std::unique_ptr<FeedUpdater> makeUpdater()
    {
        FeedUpdater::Options options;
        options.defaults = m_store.get();
        options.userDriver = std::make_unique<RecordingDriver>(&m_shown);
        options.shortVersion = u"1.2.0"_qs;
        options.version = u"45"_qs;
        return std::make_unique<FeedUpdater>(std::move(options));
    }
    int requests() const { return m_server->requestCount(kFeedPath); }
    bool waitForRequests(int count)
    {
        return QTest::qWaitFor([&] { return requests() >= count; });
    }
    bool waitForShown()
    {
        return QTest::qWaitFor([&] { return !m_shown.isEmpty(); });
    }
    static void expectFailureLog()
    {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^アップデート確認失敗"_qs));
    }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan)); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::system()); }

    void init()
    {
        QVERIFY(m_server.emplace().start());
        m_server->setRoute(kFeedPath, FakeResponse::text(feedWith("1.2.0", "45")));
        m_store = Preferences::openFile(m_dir.filePath(QStringLiteral("%1.json").arg(++m_files)));
        m_shown.clear();
    }
    void cleanup()
    {
        m_store.reset();
        m_server.reset();
    }

    void aRunningCheckDisablesTheCommandAndTheButton()
    {
        m_server->setRoute(kFeedPath, FakeResponse::text(feedWith("1.3.0", "50")).withDelay(200));
        FakeClock clock;
        SoftwareUpdaterModel model(makeUpdater());
        SoftwareUpdateCommands commands(&model);
        SoftwareUpdateSettingsView view(&model);
        QAction* command = commands.checkForUpdatesAction();
        // A fresh install has never checked, and without consent it never checks on its own.
        QVERIFY(!view.automaticChecksToggle()->isChecked());
        QCOMPARE(view.lastCheckLabel()->text(), u"未確認");
        QVERIFY(view.updatesFromSystemNote()->isHidden());
        clock.advance(48h);                  // to 31 August
        QVERIFY(model.canCheckForUpdates()); // no check running

        QVERIFY(command->isEnabled());
        command->trigger();
        QVERIFY(!command->isEnabled());
        QVERIFY(!view.checkNowButton()->isEnabled());
        // Neither starts a second check meanwhile.
        command->trigger();
        view.checkNowButton()->click();

        QVERIFY(QTest::qWaitFor([&] { return model.canCheckForUpdates(); }));
        QVERIFY(command->isEnabled() && view.checkNowButton()->isEnabled());
        QCOMPARE(requests(), 1);
        QCOMPARE(m_shown, QStringList{u"found 1.3.0 user"_qs});
        QCOMPARE(model.lastUpdateCheckDate(), clock.now());
        QCOMPARE(view.lastCheckLabel()->text(), u"2025/08/31 14:30");
    }

    void userChecksReportEveryOutcome_data()
    {
        QTest::addColumn<FakeResponse>("response");
        QTest::addColumn<QString>("outcome");
        const QString failed = u"error アップデート情報を取得できませんでした"_qs;
        QTest::newRow("up to date") << FakeResponse::text(feedWith("1.2.0", "45")) << "upToDate";
        QTest::newRow("server error")
            << FakeResponse::error(500) << failed + u"（サーバがエラーを返しました: HTTP 500）"_qs;
        QTest::newRow("not a feed")
            << FakeResponse::text("<html/>")
            << failed + u"（データが正しい形式ではないため読み込めませんでした）"_qs;
    }
    void userChecksReportEveryOutcome()
    {
        QFETCH(FakeResponse, response);
        QFETCH(QString, outcome);
        m_server->setRoute(kFeedPath, response);
        FakeClock clock;
        SoftwareUpdaterModel model(makeUpdater());
        if (outcome.startsWith(u"error"))
            expectFailureLog();
        model.checkForUpdates();
        QVERIFY(waitForShown());
        QCOMPARE(m_shown, QStringList{outcome});
        QVERIFY(model.canCheckForUpdates());
    }

    void theLastCheckIsWrittenTheLocalesWay()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QString text = SoftwareUpdaterModel::lastCheckText(
            QDateTime(QDate(2025, 8, 31), QTime(14, 30), QTimeZone("Asia/Tokyo")));
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
        QCOMPARE(text, u"31.08.25 14:30"_qs);
    }

    void theToggleSwitchesAutomaticChecks()
    {
        m_store->setValue(FeedUpdater::kAutomaticChecksKey, true);
        SoftwareUpdaterModel model(makeUpdater());
        SoftwareUpdateSettingsView view(&model);
        QSignalSpy changed(&model, &SoftwareUpdaterModel::automaticallyChecksForUpdatesChanged);
        QVERIFY(view.automaticChecksToggle()->isChecked());
        view.automaticChecksToggle()->click(); // off
        model.setAutomaticallyChecksForUpdates(false);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(m_store->value(FeedUpdater::kAutomaticChecksKey), QVariant(false));
        model.setAutomaticallyChecksForUpdates(true); // the view follows the model
        QVERIFY(view.automaticChecksToggle()->isChecked());
    }

    void keepsItsTwoPreferences()
    {
        FakeClock clock;
        {
            auto updater = makeUpdater();
            updater->start();
            updater->setAutomaticallyChecksForUpdates(true);
            updater->checkForUpdates();
            QVERIFY(waitForShown());
        }
        QCOMPARE(m_store->value(FeedUpdater::kAutomaticChecksKey), QVariant(true));
        QCOMPARE(m_store->value(FeedUpdater::kLastCheckKey).typeId(), QMetaType::Double);
        const auto again = makeUpdater();
        QVERIFY(again->automaticallyChecksForUpdates());
        QCOMPARE(again->lastUpdateCheckDate(), clock.now());

        // A value of another type counts as absent.
        m_store->setValue(FeedUpdater::kAutomaticChecksKey, QStringLiteral("true"));
        m_store->setValue(FeedUpdater::kLastCheckKey, QStringLiteral("yesterday"));
        const auto mistyped = makeUpdater();
        QVERIFY(!mistyped->automaticallyChecksForUpdates());
        QVERIFY(!mistyped->lastUpdateCheckDate());
    }

    // A last check stored in the future (a clock set back) must not hold checks off.
    void checksOnItsOwnAtMostOnceADay_data()
    {
        QTest::addColumn<int>("lastCheckDaysAhead");
        QTest::newRow("never checked") << 0;
        QTest::newRow("last check in the future") << 30;
    }
    void checksOnItsOwnAtMostOnceADay()
    {
        QFETCH(int, lastCheckDaysAhead);
        m_server->setRouteSequence(kFeedPath, {FakeResponse::error(503),
                                               FakeResponse::text(feedWith("1.2.0", "45")),
                                               FakeResponse::text(feedWith("1.4.0", "60"))});
        FakeClock clock;
        m_store->setValue(FeedUpdater::kAutomaticChecksKey, true);
        if (lastCheckDaysAhead)
            m_store->setValue(FeedUpdater::kLastCheckKey,
                              double(clock.now().addDays(lastCheckDaysAhead).toSecsSinceEpoch()));
        SoftwareUpdaterModel model(makeUpdater());
        // Lets `wait` pass and the check it starts finish and plan the next.
        const auto checkAfter = [&](double seconds, int count) {
            clock.advanceSeconds(seconds);
            return waitForRequests(count) &&
                   QTest::qWaitFor([&] { return model.canCheckForUpdates(); }) &&
                   clock.waitForTimers();
        };

        expectFailureLog();
        QVERIFY(checkAfter(FeedUpdater::kFirstCheckDelaySeconds, 1));
        // A failure waits for the next day too, and scheduled checks keep quiet about it.
        clock.advance(23h);
        QVERIFY(model.canCheckForUpdates()); // no check running
        QVERIFY(checkAfter(3600, 2));
        QVERIFY(checkAfter(24 * 3600, 3));
        QVERIFY(waitForShown());
        QCOMPARE(m_shown, QStringList{u"found 1.4.0 auto"_qs});
        QCOMPARE(model.lastUpdateCheckDate(), clock.now());

        // Switched off, the schedule stops: nothing is left waiting and no check starts.
        model.setAutomaticallyChecksForUpdates(false);
        clock.advance(72h);
        QCOMPARE(clock.pendingTimers(), 0);
        QVERIFY(model.canCheckForUpdates());
        QCOMPARE(requests(), 3);
    }

    // A build for a distribution names no feed: nothing is ever asked, and both places say so.
    void withoutAFeedTheSystemBringsUpdates()
    {
        DataHosts hosts = DataHosts::current();
        hosts.updates = QUrl();
        DataHosts::setCurrent(hosts);
        FakeClock clock;
        // A consent given in a build with a feed is neither honoured nor lost.
        m_store->setValue(FeedUpdater::kAutomaticChecksKey, true);
        SoftwareUpdaterModel model(makeUpdater());
        SoftwareUpdateCommands commands(&model);
        SoftwareUpdateSettingsView view(&model);

        QVERIFY(!model.automaticallyChecksForUpdates());
        model.setAutomaticallyChecksForUpdates(true);
        QVERIFY(!model.automaticallyChecksForUpdates());
        QVERIFY(!view.automaticChecksToggle()->isEnabled());
        QVERIFY(!view.automaticChecksToggle()->isChecked());
        QVERIFY(!view.checkNowButton()->isEnabled());
        QVERIFY(!view.updatesFromSystemNote()->isHidden());
        QVERIFY(view.lastCheckLabel()->isHidden());
        QCOMPARE(view.updatesFromSystemNote()->text(),
                 u"アップデートはシステムのパッケージマネージャーから提供されます。");

        commands.checkForUpdatesAction()->trigger();
        QCOMPARE(m_shown, QStringList{u"system"_qs});
        clock.advance(72h);
        QCOMPARE(clock.pendingTimers(), 0);
        QVERIFY(commands.checkForUpdatesAction()->isEnabled());
        QVERIFY(m_server->requests().isEmpty());
        QVERIFY(!model.lastUpdateCheckDate());
        QCOMPARE(m_store->value(FeedUpdater::kAutomaticChecksKey), QVariant(true));
    }

    // The feed a packager names at configure time is the one production asks.
    void theBuildsFeedIsTheProductionOne()
    {
        QCOMPARE(DataHosts::production().updates, QUrl(QStringLiteral(SHIGUREN_UPDATE_FEED_URL)));
    }

    void goingAwayDuringACheckPublishesNothing()
    {
        m_server->setRoute(kFeedPath, FakeResponse::hanging());
        FakeClock clock;
        auto model = std::make_unique<SoftwareUpdaterModel>(makeUpdater());
        model->checkForUpdates();
        QVERIFY(waitForRequests(1));
        model.reset();
        // The abandoned transfer is cut off, and nothing published meanwhile.
        QTRY_COMPARE(m_server->openConnections(), 0);
        QVERIFY(m_shown.isEmpty());
        QVERIFY(!m_store->contains(FeedUpdater::kLastCheckKey));
    }

    void theAlertOpensTheDownloadPage()
    {
        QList<QUrl> opened;
        UpdateAlert alert([&](const QUrl& url) {
            opened.append(url);
            return true;
        });
        const QUrl page(QStringLiteral("https://shiguren.jp/download"));
        alert.showUpdateFound({{}, u"1.3.0"_qs, u"50"_qs, page, {}}, true);
        QMessageBox* box = alert.window();
        QVERIFY(box && box->text().contains(u"1.3.0 (50)"));
        const QList<QAbstractButton*> buttons = box->buttons();
        const auto open = std::find_if(buttons.begin(), buttons.end(), [](auto* button) {
            return button->text() == u"ダウンロードページを開く";
        });
        QVERIFY(open != buttons.end());
        (*open)->click();
        QCOMPARE(opened, QList{page});

        alert.showUpToDate(); // replaces the window
        QVERIFY(QTest::qWaitFor([&] { return alert.window() && alert.window() != box; }));
        alert.showUpdatesFromSystem();
        QCOMPARE(alert.window()->text(), UpdateUserDriver::kUpdatesFromSystemText);
    }
};

SHIGUREN_TEST(TestSoftwareUpdater)
#include "tst_softwareupdater.moc"
