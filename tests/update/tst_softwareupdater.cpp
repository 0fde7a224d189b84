#include "FakeClock.h"
#include "FakeDataHosts.h"
#include "platform/Appearance.h"
#include "platform/Preferences.h"
#include "update/FeedUpdater.h"
#include "update/SoftwareUpdateCommands.h"
#include "update/SoftwareUpdateSettingsView.h"
#include "update/SoftwareUpdaterModel.h"
#include "update/UpdateAlert.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {

const QString kFeedPath = QLatin1String(Appcast::kFeedPath);

QByteArray feedWith(const char* shortVersion, const char* version)
{
    return QByteArray("<rss xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/"
                      "sparkle\"><channel><item><sparkle:shortVersionString>") +
           shortVersion + "</sparkle:shortVersionString><sparkle:version>" + version +
           "</sparkle:version><link>https://shiguren.jp/download</link></item></channel></rss>";
}

// What the user was shown: "found 1.3.0 user", "found 1.3.0 auto", "upToDate", "error …".
struct Shown {
    QStringList outcomes;
};

class RecordingDriver : public UpdateUserDriver {
public:
    explicit RecordingDriver(Shown* shown)
        : m_shown(shown)
    {}
    void showUpdateFound(const AppcastItem& item, bool userInitiated) override
    {
        m_shown->outcomes.append(QStringLiteral("found ") + item.shortVersion +
                                 (userInitiated ? u" user"_qs : u" auto"_qs));
    }
    void showUpToDate() override { m_shown->outcomes.append(QStringLiteral("upToDate")); }
    void showUpdateError(const QString& message) override
    {
        m_shown->outcomes.append(QStringLiteral("error ") + message);
    }

private:
    Shown* m_shown;
};

// Counts what the model asks of its updater.
class FakeUpdater : public Updater {
public:
    bool started = false;
    bool canCheck = false;
    bool automatic = true;
    int writes = 0;
    int checks = 0;

    void start() override
    {
        started = true;
        setCan(true);
    }
    bool canCheckForUpdates() const override { return canCheck; }
    bool automaticallyChecksForUpdates() const override { return automatic; }
    void setAutomaticallyChecksForUpdates(bool enabled) override
    {
        ++writes;
        automatic = enabled;
    }
    std::optional<QDateTime> lastUpdateCheckDate() const override { return last; }
    std::optional<QDateTime> last;
    void checkForUpdates() override { ++checks; }
    void setCan(bool can)
    {
        canCheck = can;
        Q_EMIT canCheckForUpdatesChanged(can);
    }
};

} // namespace

class TestSoftwareUpdater : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_files = 0;
    std::optional<FakeDataHosts> m_server;
    std::unique_ptr<QSettings> m_store;
    Shown m_shown;

    std::unique_ptr<FeedUpdater> makeUpdater(const QString& shortVersion = u"1.2.0"_qs,
                                             const QString& version = u"45"_qs)
    {
        FeedUpdater::Options options;
        options.defaults = m_store.get();
        options.userDriver = std::make_unique<RecordingDriver>(&m_shown);
        options.shortVersion = shortVersion;
        options.version = version;
        return std::make_unique<FeedUpdater>(std::move(options));
    }
    bool waitForRequests(int count)
    {
        return QTest::qWaitFor([&] { return m_server->requestCount(kFeedPath) >= count; });
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_server.emplace().start());
        m_server->setRoute(kFeedPath, FakeResponse::text(feedWith("1.2.0", "45")));
        m_store = Preferences::openFile(m_dir.filePath(QStringLiteral("%1.json").arg(++m_files)));
        m_shown = {};
    }
    void cleanup()
    {
        m_store.reset();
        m_server.reset();
    }

    void freshInstallHasNeverChecked()
    {
        FakeClock clock;
        SoftwareUpdaterModel model(makeUpdater());
        SoftwareUpdateSettingsView view(&model);
        QVERIFY(model.canCheckForUpdates());
        QVERIFY(!model.automaticallyChecksForUpdates());
        QVERIFY(!view.automaticChecksToggle()->isChecked());
        QCOMPARE(view.lastCheckLabel()->text(), u"未確認");
        clock.advance(48h);
        QCOMPARE(m_server->requestCount(kFeedPath), 0); // no consent, no checks
    }

    void aRunningCheckDisablesTheCommandAndTheButton()
    {
        m_server->setRoute(kFeedPath, FakeResponse::text(feedWith("1.3.0", "50")).withDelay(200));
        FakeClock clock;
        SoftwareUpdaterModel model(makeUpdater());
        SoftwareUpdateCommands commands(&model);
        SoftwareUpdateSettingsView view(&model);
        QAction* command = commands.checkForUpdatesAction();
        QVERIFY(command->isEnabled());

        command->trigger();
        QVERIFY(!model.canCheckForUpdates());
        QVERIFY(!command->isEnabled());
        QVERIFY(!view.checkNowButton()->isEnabled());
        // Neither starts a second check meanwhile.
        command->trigger();
        view.checkNowButton()->click();

        QVERIFY(QTest::qWaitFor([&] { return model.canCheckForUpdates(); }));
        QVERIFY(command->isEnabled());
        QVERIFY(view.checkNowButton()->isEnabled());
        QCOMPARE(m_server->requestCount(kFeedPath), 1);
        QCOMPARE(m_shown.outcomes, QStringList{u"found 1.3.0 user"_qs});
        QCOMPARE(model.lastUpdateCheckDate(), clock.now());
        QCOMPARE(view.lastCheckLabel()->text(), u"2025年8月29日 14:30");
    }

    void userChecksReportEveryOutcome_data()
    {
        QTest::addColumn<FakeResponse>("response");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("up to date") << FakeResponse::text(feedWith("1.2.0", "45")) << "upToDate";
        QTest::newRow("server error")
            << FakeResponse::error(500)
            << "error アップデート情報を取得できませんでした（サーバがエラーを返しました: HTTP "
               "500）";
        QTest::newRow("not a feed") << FakeResponse::text("<html/>")
                                    << "error アップデート情報を取得できませんでした"
                                       "（データが正しい形式ではないため読み込めませんでした）";
    }
    void userChecksReportEveryOutcome()
    {
        QFETCH(FakeResponse, response);
        QFETCH(QString, outcome);
        m_server->setRoute(kFeedPath, response);
        FakeClock clock;
        SoftwareUpdaterModel model(makeUpdater());
        if (outcome.startsWith(u"error"))
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^アップデート確認失敗"_qs));
        model.checkForUpdates();
        QVERIFY(QTest::qWaitFor([&] { return !m_shown.outcomes.isEmpty(); }));
        QCOMPARE(m_shown.outcomes, QStringList{outcome});
        QVERIFY(model.canCheckForUpdates());
    }

    void switchingAutomaticChecksWritesOnlyChanges()
    {
        auto owned = std::make_unique<FakeUpdater>();
        FakeUpdater* updater = owned.get();
        SoftwareUpdaterModel model(std::move(owned));
        SoftwareUpdateSettingsView view(&model);
        QSignalSpy changed(&model, &SoftwareUpdaterModel::automaticallyChecksForUpdatesChanged);
        QVERIFY(updater->started);
        QVERIFY(view.automaticChecksToggle()->isChecked());

        view.automaticChecksToggle()->click(); // off
        QCOMPARE(updater->writes, 1);
        QCOMPARE(updater->automatic, false);
        model.setAutomaticallyChecksForUpdates(false);
        QCOMPARE(updater->writes, 1);
        QCOMPARE(changed.count(), 1);

        model.setAutomaticallyChecksForUpdates(true);
        QCOMPARE(updater->writes, 2);
        QVERIFY(view.automaticChecksToggle()->isChecked());

        updater->setCan(false);
        model.checkForUpdates();
        QCOMPARE(updater->checks, 0);
        updater->setCan(true);
        view.checkNowButton()->click();
        QCOMPARE(updater->checks, 1);
    }

    void keepsItsTwoPreferences()
    {
        FakeClock clock;
        {
            auto updater = makeUpdater();
            updater->start();
            updater->setAutomaticallyChecksForUpdates(true);
            updater->checkForUpdates();
            QVERIFY(QTest::qWaitFor([&] { return !m_shown.outcomes.isEmpty(); }));
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

    void checksOnItsOwnAtMostOnceADay()
    {
        m_server->setRouteSequence(kFeedPath, {FakeResponse::error(503),
                                               FakeResponse::text(feedWith("1.2.0", "45")),
                                               FakeResponse::text(feedWith("1.4.0", "60"))});
        FakeClock clock;
        m_store->setValue(FeedUpdater::kAutomaticChecksKey, true);
        SoftwareUpdaterModel model(makeUpdater());

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^アップデート確認失敗"_qs));
        clock.advanceSeconds(FeedUpdater::kFirstCheckDelaySeconds);
        QVERIFY(waitForRequests(1));
        QVERIFY(QTest::qWaitFor([&] { return model.canCheckForUpdates(); }));
        // A failure waits for the next day too, and scheduled checks keep quiet about it.
        QVERIFY(clock.waitForTimers());
        clock.advance(23h);
        QCOMPARE(m_server->requestCount(kFeedPath), 1);
        clock.advance(1h);
        QVERIFY(waitForRequests(2));
        QVERIFY(QTest::qWaitFor([&] { return model.canCheckForUpdates(); }));
        QVERIFY(clock.waitForTimers());
        clock.advance(24h);
        QVERIFY(waitForRequests(3));
        QVERIFY(QTest::qWaitFor([&] { return !m_shown.outcomes.isEmpty(); }));
        QCOMPARE(m_shown.outcomes, QStringList{u"found 1.4.0 auto"_qs});

        model.setAutomaticallyChecksForUpdates(false);
        clock.advance(72h);
        QTest::qWait(50);
        QCOMPARE(m_server->requestCount(kFeedPath), 3);
    }

    void aLastCheckInTheFutureDoesNotStopChecks()
    {
        FakeClock clock;
        m_store->setValue(FeedUpdater::kAutomaticChecksKey, true);
        m_store->setValue(FeedUpdater::kLastCheckKey,
                          double(clock.now().addDays(30).toSecsSinceEpoch()));
        SoftwareUpdaterModel model(makeUpdater());
        clock.advanceSeconds(FeedUpdater::kFirstCheckDelaySeconds);
        QVERIFY(waitForRequests(1));
        QVERIFY(QTest::qWaitFor([&] { return model.lastUpdateCheckDate() == clock.now(); }));
    }

    void goingAwayDuringACheckPublishesNothing()
    {
        m_server->setRoute(kFeedPath, FakeResponse::hanging());
        FakeClock clock;
        auto model = std::make_unique<SoftwareUpdaterModel>(makeUpdater());
        model->checkForUpdates();
        QVERIFY(waitForRequests(1));
        model.reset();
        QTest::qWait(20);
        QVERIFY(m_shown.outcomes.isEmpty());
        QVERIFY(!m_store->contains(FeedUpdater::kLastCheckKey));
    }

    void theAlertOpensTheDownloadPage()
    {
        QList<QUrl> opened;
        UpdateAlert alert([&](const QUrl& url) {
            opened.append(url);
            return true;
        });
        AppcastItem item;
        item.shortVersion = QStringLiteral("1.3.0");
        item.version = QStringLiteral("50");
        item.downloadPage = QUrl(QStringLiteral("https://shiguren.jp/download"));
        alert.showUpdateFound(item, true);
        QMessageBox* box = alert.window();
        QVERIFY(box);
        QVERIFY(box->text().contains(u"1.3.0 (50)"));
        QPushButton* open = nullptr;
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == u"ダウンロードページを開く")
                open = qobject_cast<QPushButton*>(button);
        }
        QVERIFY(open);
        open->click();
        QCOMPARE(opened, QList{item.downloadPage});

        alert.showUpToDate(); // replaces the window
        QVERIFY(QTest::qWaitFor([&] { return alert.window() && alert.window() != box; }));
    }
};

QTEST_MAIN(TestSoftwareUpdater)
#include "tst_softwareupdater.moc"
