#include "../app/AppStateHarness.h"
#include "LandTiles.h"
#include "ScenarioServer.h"
#include "TestRegistry.h"
#include "locations/CurrentLocationProvider.h"
#include "outlook/RainOutlookService.h"
#include "outlook/RainOutlookText.h"
#include "radar/RadarPlayer.h"
#include "radar/RadarTimeline.h"
#include "ui/ContentView.h"
#include "ui/MainToolBar.h"
#include "ui/MainWindow.h"
#include "ui/RainOutlookRow.h"
#include "ui/RainOutlookStrip.h"
#include "ui/TimelineFrameLabel.h"
#include "ui/TimelineTrack.h"
#include "ui/WeatherHeaderView.h"
#include "update/FeedUpdater.h"
#include "update/SoftwareUpdaterModel.h"
#include "update/UpdateAlert.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QToolButton>

namespace {

// A location service that never gives a position: refused by the user, or asked and silent.
class MutePositionSource final : public PositionSource {
public:
    explicit MutePositionSource(Authorization authorization)
        : m_authorization(authorization)
    {}
    Authorization authorization() const override { return m_authorization; }
    void requestAuthorization() override {}
    void requestPosition() override {}

private:
    Authorization m_authorization;
};

AppStateHarness::PositionSourceFactory mute(PositionSource::Authorization authorization)
{
    return [authorization] { return std::make_unique<MutePositionSource>(authorization); };
}

// What a screen reader reaches: every visible control, named, with its path in the tree.
void unnamedControls(QAccessibleInterface* node, const QString& path, QStringList& found)
{
    static const QSet<QAccessible::Role> kControls{
        QAccessible::Button,      QAccessible::PushButton,    QAccessible::CheckBox,
        QAccessible::RadioButton, QAccessible::ComboBox,      QAccessible::Slider,
        QAccessible::SpinBox,     QAccessible::EditableText,  QAccessible::PageTab,
        QAccessible::ButtonMenu,  QAccessible::ButtonDropDown};
    if (!node || node->state().invisible)
        return;
    const QString here =
        path + u'/' +
        QString::fromLatin1(node->object() ? node->object()->metaObject()->className() : "?");
    if (kControls.contains(node->role()) && node->text(QAccessible::Name).trimmed().isEmpty())
        found.append(here);
    for (int i = 0; i < node->childCount(); ++i)
        unnamedControls(node->child(i), here, found);
}

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

    // `later`: the status once an unanswered request has timed out.
    void currentLocationOutcomesOutrankTheTimelineError_data()
    {
        QTest::addColumn<AppStateHarness::PositionSourceFactory>("source");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("warning");
        QTest::addColumn<QString>("later");
        const QString refused =
            QStringLiteral("位置情報が許可されていません（デスクトップのプライバシー設定");
        QTest::newRow("refused") << mute(PositionSource::Authorization::denied) << refused << true
                                 << refused;
        QTest::newRow("no location service") << AppStateHarness::PositionSourceFactory()
                                             << CurrentLocationProvider::noSourceMessage() << true
                                             << CurrentLocationProvider::noSourceMessage();
        QTest::newRow("waiting for a fix")
            << mute(PositionSource::Authorization::authorized) << QStringLiteral("現在地を取得中…")
            << false << CurrentLocationProvider::timeoutMessage();
    }

    void currentLocationOutcomesOutrankTheTimelineError()
    {
        QFETCH(AppStateHarness::PositionSourceFactory, source);
        QFETCH(QString, shown);
        QFETCH(bool, warning);
        QFETCH(QString, later);
        open(false, source);
        ContentView* content = window->content();
        QVERIFY(
            QTest::qWaitFor([&] { return !h->state->timeline()->errorMessage().isEmpty(); }, 5000));
        QCOMPARE(content->statusText(), h->state->timeline()->errorMessage());
        QTest::mouseClick(window->toolBar()->currentLocationButton(), Qt::LeftButton);
        QVERIFY2(content->statusText().startsWith(shown), qPrintable(content->statusText()));
        QCOMPARE(content->statusIsWarning(), warning);

        FakeClock::settle();
        h->clock.advanceSeconds(CurrentLocationProvider::kRequestTimeoutSeconds);
        QVERIFY2(content->statusText().startsWith(later), qPrintable(content->statusText()));
        QVERIFY(content->statusIsWarning());
    }

    void theHeaderShowsTheControllersRainOutlook()
    {
        open();
        RainOutlookService* service = h->state->outlook();
        RainOutlookRow* row = window->content()->header()->rainRow();
        QVERIFY(row->isHidden());
        QVERIFY(QTest::qWaitFor([&] { return !service->outlook().isEmpty(); }, 5000));
        QVERIFY(row->isVisible());
        QCOMPARE(row->outlook(), service->outlook());
        QCOMPARE(row->sentenceText()->text(),
                 RainOutlookText::fullText(service->outlook(), h->clock.now()));
        QVERIFY(!row->strip()->bars().isEmpty());
    }

    // A screen reader can name every control of the window, and the two maps and their
    // changing frame time.
    void everyControlHasAnAccessibleName()
    {
        open();
        QVERIFY(h->waitForFrames());
        QStringList unnamed;
        unnamedControls(QAccessible::queryAccessibleInterface(window.get()), QString(), unnamed);
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u'\n')));

        // The track is a slider over the frames, the frame's time is read out as it changes.
        auto* track = window->findChild<TimelineTrack*>();
        QAccessibleInterface* slider = QAccessible::queryAccessibleInterface(track);
        QCOMPARE(slider->role(), QAccessible::Slider);
        QAccessibleValueInterface* value = slider->valueInterface();
        QVERIFY(value);
        QCOMPARE(value->maximumValue().toInt(), int(track->player()->frames().size()));
        value->setCurrentValue(1);
        QCOMPARE(track->player()->index(), 0);
        auto* frameLabel = window->findChild<TimelineFrameLabel*>();
        QTRY_VERIFY(frameLabel->accessibleName().contains(frameLabel->label().clock));
        QVERIFY(!frameLabel->label().clock.isEmpty());
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
