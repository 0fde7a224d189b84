#include "../app/AppStateHarness.h"
#include "LandTiles.h"
#include "ScenarioServer.h"
#include "TestRegistry.h"
#include "locations/CurrentLocationProvider.h"
#include "radar/RadarPlayer.h"
#include "radar/RadarTimeline.h"
#include "ui/ContentView.h"
#include "ui/MainToolBar.h"
#include "ui/MainWindow.h"
#include "update/FeedUpdater.h"
#include "update/SoftwareUpdaterModel.h"
#include "update/UpdateAlert.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QToolButton>

namespace {

// A location service whose user has refused access.
class RefusedPositionSource final : public PositionSource {
public:
    Authorization authorization() const override { return Authorization::denied; }
    void requestAuthorization() override {}
    void requestPosition() override {}
};

// A location service that lets the program ask but never answers.
class SilentPositionSource final : public PositionSource {
public:
    Authorization authorization() const override { return Authorization::authorized; }
    void requestAuthorization() override {}
    void requestPosition() override {}
};

} // namespace

Q_DECLARE_METATYPE(AppStateHarness::PositionSourceFactory)

// The whole main window over the scenario's services.
class TestMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<AppStateHarness> h;
    std::unique_ptr<SoftwareUpdaterModel> updater;
    std::unique_ptr<MainWindow> window;
    LandTiles land;

    // Without `serveLists` the agency's timeline list fails.
    void open(bool serveLists = true, AppStateHarness::PositionSourceFactory positionSource = {})
    {
        h = std::make_unique<AppStateHarness>(AppStateHarness::Options{false, {}},
                                              std::move(positionSource));
        ScenarioServer::serveAll(
            h->server, [this](const RecordedRequest& request) -> std::optional<FakeResponse> {
                const TileId id = LandTiles::parsePath(request.path);
                if (id.z < 0)
                    return std::nullopt;
                return FakeResponse::png(land.png(id));
            });
        if (!serveLists)
            h->server.setRoute(QStringLiteral("/bosai/jmatile/data/nowc/targetTimes_N1.json"),
                               FakeResponse::error(503));
        updater = std::make_unique<SoftwareUpdaterModel>(h->preferences.get());
        window =
            std::make_unique<MainWindow>(h->state.get(), updater.get(), nullptr, h->loader.get());
        window->show();
        QApplication::setActiveWindow(window.get());
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

private Q_SLOTS:
    void cleanup()
    {
        window.reset();
        updater.reset();
        h.reset();
    }

    void currentLocationOutcomesOutrankTheTimelineError_data()
    {
        QTest::addColumn<AppStateHarness::PositionSourceFactory>("source");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("warning");
        using Factory = AppStateHarness::PositionSourceFactory;
        const Factory refused = [] { return std::make_unique<RefusedPositionSource>(); };
        const Factory silent = [] { return std::make_unique<SilentPositionSource>(); };
        QTest::newRow("refused")
            << refused
            << QStringLiteral("位置情報が許可されていません（デスクトップのプライバシー設定")
            << true;
        QTest::newRow("no location service")
            << Factory() << CurrentLocationProvider::noSourceMessage() << true;
        QTest::newRow("waiting for a fix") << silent << QStringLiteral("現在地を取得中…") << false;
    }

    void currentLocationOutcomesOutrankTheTimelineError()
    {
        QFETCH(AppStateHarness::PositionSourceFactory, source);
        QFETCH(QString, shown);
        QFETCH(bool, warning);
        open(false, source);
        ContentView* content = window->content();
        QVERIFY(
            QTest::qWaitFor([&] { return !h->state->timeline()->errorMessage().isEmpty(); }, 5000));
        QCOMPARE(content->statusText(), h->state->timeline()->errorMessage());
        QTest::mouseClick(window->toolBar()->currentLocationButton(), Qt::LeftButton);
        QVERIFY2(content->statusText().startsWith(shown), qPrintable(content->statusText()));
        QCOMPARE(content->statusIsWarning(), warning);
    }

    void aLocationRequestWithoutAnswerEndsInTheTimeoutMessage()
    {
        open(true, [] { return std::make_unique<SilentPositionSource>(); });
        QTest::mouseClick(window->toolBar()->currentLocationButton(), Qt::LeftButton);
        FakeClock::settle();
        h->clock.advanceSeconds(CurrentLocationProvider::kRequestTimeoutSeconds);
        QCOMPARE(window->content()->statusText(), CurrentLocationProvider::timeoutMessage());
        QVERIFY(window->content()->statusIsWarning());
    }

    void redrawRaisesOnlyTheRedrawToken()
    {
        open();
        const int rebuild = h->state->radarRebuildToken();
        const int redraw = h->state->radarRedrawToken();
        QTest::mouseClick(window->toolBar()->redrawButton(), Qt::LeftButton);
        QCOMPARE(h->state->radarRedrawToken(), redraw + 1);
        QCOMPARE(h->state->radarRebuildToken(), rebuild);
    }

    void spaceTogglesPlaybackButNotWhileTyping()
    {
        open();
        QVERIFY(QTest::qWaitFor([&] { return h->state->detailPlayer()->isPlaying(); }, 5000));
        QTest::keyClick(window.get(), Qt::Key_Space);
        QVERIFY(!h->state->detailPlayer()->isPlaying());
        QVERIFY(!h->state->overviewPlayer()->isPlaying());

        auto* field = new QLineEdit(window.get());
        field->show();
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Space);
        QCOMPARE(field->text(), QStringLiteral(" "));
        QVERIFY(!h->state->detailPlayer()->isPlaying());
    }

    void arrowKeysInAnUpdateAlertStayThere()
    {
        open();
        QVERIFY(QTest::qWaitFor([&] { return h->state->detailPlayer()->isPlaying(); }, 5000));
        auto* alert = dynamic_cast<UpdateAlert*>(
            qobject_cast<FeedUpdater*>(updater->controller())->userDriver());
        QVERIFY(alert);
        alert->showUpToDate();
        QMessageBox* box = alert->window();
        QApplication::setActiveWindow(box);
        QVERIFY(QTest::qWaitForWindowActive(box));
        QTest::keyClick(box, Qt::Key_Left);
        QVERIFY(h->state->detailPlayer()->isPlaying());
    }

    // A folder standing where the settings file belongs makes every save fail (root ignores
    // permissions); the user hears of it once, however many saves fail.
    void unsavedSettingsAreToldOnceOverTheWindow()
    {
        open();
        const QString path = h->preferences->fileName();
        QVERIFY(QFile::remove(path) || !QFile::exists(path));
        QVERIFY(QDir().mkpath(path));
        for (const double minutes : {10.0, 5.0, 10.0}) {
            h->settings->setStepMinutes(minutes);
            QCoreApplication::sendPostedEvents(h->preferences.get()); // the deferred save
        }
        const QList<QMessageBox*> boxes = window->findChildren<QMessageBox*>();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes.first()->isVisible());
        QVERIFY(boxes.first()->text().startsWith(QStringLiteral("設定を保存できません")));
        QCOMPARE(h->log.matching(QStringLiteral("設定を保存できません")).size(), 1);
        QCOMPARE(h->settings->stepMinutes(), 10.0);
        QVERIFY(QDir(path).removeRecursively());
    }

    void theUpdateCommandFollowsTheAboutItemAfterADivider()
    {
        open();
        QStringList items;
        for (QAction* menu : window->menuBar()->actions()) {
            if (menu->text() != QStringLiteral("ヘルプ"))
                continue;
            for (QAction* item : menu->menu()->actions())
                items.append(item->isSeparator() ? QStringLiteral("—") : item->text());
        }
        QCOMPARE(items, (QStringList{QStringLiteral("Shigurenについて"), QStringLiteral("—"),
                                     QStringLiteral("アップデートを確認...")}));
    }
};

SHIGUREN_TEST(TestMainWindow)
#include "tst_mainwindow.moc"
