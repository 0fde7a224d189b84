#include "../app/AppStateHarness.h"
#include "LandTiles.h"
#include "ScenarioServer.h"
#include "radar/RadarPlayer.h"
#include "radar/RadarTimeline.h"
#include "ui/ContentView.h"
#include "ui/MainToolBar.h"
#include "ui/MainWindow.h"
#include "update/SoftwareUpdaterModel.h"

#include <QApplication>
#include <QLineEdit>
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

} // namespace

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

    void locationRefusalOutranksTheTimelineError()
    {
        open(false, [] { return std::make_unique<RefusedPositionSource>(); });
        ContentView* content = window->content();
        QVERIFY(
            QTest::qWaitFor([&] { return !h->state->timeline()->errorMessage().isEmpty(); }, 5000));
        QCOMPARE(content->statusText(), h->state->timeline()->errorMessage());
        QTest::mouseClick(window->toolBar()->currentLocationButton(), Qt::LeftButton);
        QVERIFY(content->statusText().startsWith(QStringLiteral("位置情報が許可されていません")));
        QVERIFY(content->statusIsWarning());
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
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
