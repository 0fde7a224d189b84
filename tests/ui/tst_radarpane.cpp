#include "../app/AppStateHarness.h"
#include "../app/RadarFrameFactory.h"
#include "HazardTiles.h"
#include "TaskTestUtils.h"
#include "TestRegistry.h"
#include "lightning/LightningService.h"
#include "locations/MapCameraStore.h"
#include "map/RadarMapCoordinator.h"
#include "map/RadarMapHost.h"
#include "mapwidget/MapWidget.h"
#include "radar/RadarPlayer.h"
#include "ui/LiveStatusBar.h"
#include "ui/PaneButton.h"
#include "ui/RadarLegendView.h"
#include "ui/RadarPaneView.h"
#include "ui/TimelineSliderView.h"
#include "ui/TimelineTrack.h"

#include <QCheckBox>
#include <QStackedWidget>
#include <QTest>

using namespace std::chrono_literals;

class TestRadarPane : public QObject {
    Q_OBJECT

    std::unique_ptr<AppStateHarness> h;

    std::unique_ptr<RadarPaneView> pane(AppState::Pane which = AppState::Pane::Detail)
    {
        AppState* state = h->state.get();
        auto view = std::make_unique<RadarPaneView>(
            which == AppState::Pane::Detail ? RadarMapView::Style::Detail
                                            : RadarMapView::Style::Overview,
            which, state, state->player(which), nullptr, h->loader.get());
        view->resize(640, 480);
        view->show();
        return view;
    }

    void giveFrames()
    {
        const RadarFrames frames = RadarFrameFactory::frames(FakeClock::scenarioNow(), 12, {});
        h->state->overviewPlayer()->update(frames);
        h->state->detailPlayer()->update(frames);
    }

private Q_SLOTS:
    void init() { h = std::make_unique<AppStateHarness>(AppStateHarness::Options{false, {}}); }
    void cleanup() { h.reset(); }

    void badgeWaitsForLongLoads_data()
    {
        QTest::addColumn<int>("loadingMs");
        QTest::addColumn<bool>("shownWhileLoading");
        QTest::newRow("short") << 300 << false;
        QTest::newRow("long") << 1000 << true;
    }
    void badgeWaitsForLongLoads()
    {
        QFETCH(int, loadingMs);
        QFETCH(bool, shownWhileLoading);
        auto view = pane();
        QVERIFY(view->showsLoadingBadge()); // at once without a frame
        giveFrames();
        QVERIFY(!view->showsLoadingBadge());
        view->setTilesLoading(true);
        h->clock.advance(std::chrono::milliseconds(399));
        QVERIFY(!view->showsLoadingBadge());
        h->clock.advance(std::chrono::milliseconds(loadingMs - 399));
        QCOMPARE(view->showsLoadingBadge(), shownWhileLoading);
        view->setTilesLoading(false);
        QVERIFY(!view->showsLoadingBadge());
        h->clock.advance(1s);
        QVERIFY(!view->showsLoadingBadge());
    }

    // The button row keeps the width the loading badge gave it for a moment after the badge
    // hides; the buttons must not take that room.
    void buttonsKeepTheirWidthInAWiderRow()
    {
        auto view = pane();
        const QList<PaneButton*> buttons = view->findChildren<PaneButton*>();
        QCOMPARE(buttons.size(), 3);
        QWidget* row = buttons.constFirst()->parentWidget();
        row->resize(row->width() + 300, row->height());
        for (const PaneButton* button : buttons)
            QCOMPARE(button->width(), button->sizeHint().width());
    }

    // With no radar data yet (the agency unreachable) the map already shows its place and
    // borders; neither a resize nor the placement is stored as the user's region, and the
    // placement is enough to prefetch from once frames come.
    void mapIsPlacedBeforeAnyRadarDataAndPrefetchesFromIt()
    {
        h.reset();
        h = std::make_unique<AppStateHarness>(); // the agency answers once started
        auto view = pane();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        const MapWidget& map = view->mapHost()->mapWidget();
        const SavedLocation place = h->state->locations()->selected();
        QVERIFY(std::abs(map.centerCoordinate().latitude - place.latitude) < 1e-6);
        QVERIFY(std::abs(map.region().latitudeDelta - 1.1) < 0.01 ||
                std::abs(map.region().longitudeDelta - 1.1) < 0.01);
        QVERIFY(!view->mapHost()->coordinator().prefectureLayer().overlays().isEmpty());
        view->resize(900, 600);
        h->clock.advanceSeconds(2);
        QCOMPARE(h->state->mapCameras()->camera(AppState::Pane::Detail), std::nullopt);

        h->state->start();
        QVERIFY(h->waitForFrames());
        // The map shows one frame; tiles of others come from the prefetch.
        const auto framesAsked = [&] {
            QSet<QString> validTimes;
            for (const RecordedRequest& request : h->server.requests()) {
                const QStringList parts = request.path.split(u'/');
                if (request.path.endsWith(u".png") && parts.size() > 7 &&
                    !h->isOutlookTile(request.path))
                    validTimes.insert(parts[7]);
            }
            return validTimes.size();
        };
        QVERIFY(QTest::qWaitFor([&] { return framesAsked() > 1; }, 5000));
    }

    // A failed fetch with no frame to show is said as such, not as loading that never ends;
    // the first frames bring the ordinary look back.
    void aFailedFetchIsNotShownAsLoading()
    {
        auto view = pane();
        QCOMPARE(view->loadingBadge()->text(), LoadingBadge::kLoadingText);
        QVERIFY(!view->timelineSlider()->shownLabel().fetchFailed);
        h->state->start(); // the lists answer 503
        QVERIFY(QTest::qWaitFor([&] { return view->showsFetchFailure(); }, 5000));
        QVERIFY(view->showsLoadingBadge());
        QCOMPARE(view->loadingBadge()->text(), LoadingBadge::kFailedText);
        QCOMPARE(view->loadingBadge()->toolTip(), h->state->timeline()->errorMessage());
        QVERIFY(view->timelineSlider()->shownLabel().fetchFailed);
        QCOMPARE(view->liveStatusBar()->placeholderText(), u"取得できません（再試行します）");

        h->serveAgencyLists();
        h->clock.advanceSeconds(300);
        QVERIFY(h->waitForFrames());
        QTRY_VERIFY(!view->showsFetchFailure());
        QCOMPARE(view->loadingBadge()->text(), LoadingBadge::kLoadingText);
        QVERIFY(view->timelineSlider()->shownLabel().hasFrame);
    }

    void typhoonSwitchHidesTheButtonAndItsPopover()
    {
        auto view = pane();
        QVERIFY(view->typhoonButton()->isVisible());
        QTest::mouseClick(view->typhoonButton(), Qt::LeftButton);
        QVERIFY(view->isTyphoonDetailShown());
        h->settings->setShowTyphoon(false);
        QVERIFY(!view->typhoonButton()->isVisible());
        QVERIFY(QTest::qWaitFor([&] { return !view->isTyphoonDetailShown(); }, 1000));
        QVERIFY(view->mapView().typhoons.isEmpty());
    }

    void rangeButtonTogglesAndStoresTheSetting()
    {
        auto view = pane();
        const bool before = h->settings->showRangeCircles();
        QTest::mouseClick(view->rangeButton(), Qt::LeftButton);
        QCOMPARE(h->settings->showRangeCircles(), !before);
        QVERIFY(view->mapView().showRangeCircles != before);
        QTest::mouseClick(view->rangeButton(), Qt::LeftButton);
        QCOMPARE(h->settings->showRangeCircles(), before);
    }

    // The legend's switches store the settings; each layer on gets the frame of the shown
    // radar frame, and the legend the scale of each layer on whose colours a tile showed.
    void nowcastLayersFollowTheirSwitches()
    {
        h->server.setRoute(
            QStringLiteral("/bosai/jmatile/data/nowc/targetTimes_N3.json"),
            FakeResponse::json(TestData::read(QStringLiteral("jma/nowc/targetTimes_N3.json"))));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^雷観測取得失敗")));
        QVERIFY(runTask(h->state->lightning()->reload())); // the strikes file is not served
        giveFrames(); // the newest observation, 05:30, is shown
        auto view = pane();
        QVERIFY(view->thunderToggle()->isChecked());
        QVERIFY(view->tornadoToggle()->isChecked());
        const QString at0530 = QStringLiteral("20250829053000");
        QCOMPARE(view->mapView().thunderFrame->validtime, at0530);
        QCOMPARE(view->mapView().thunderFrame->product, RadarProduct::ThunderNowcast);
        QCOMPARE(view->mapView().tornadoFrame->product, RadarProduct::TornadoNowcast);
        // The map asks for tornado tiles meanwhile; only the thunder scale is looked at.
        const auto thunderScale = [&]() -> std::optional<RadarLegendView::Scale> {
            for (const RadarLegendView::Scale& scale : view->legend()->extraScales())
                if (scale.title == QStringLiteral("雷活動度"))
                    return scale;
            return std::nullopt;
        };
        QVERIFY(!thunderScale()); // no colours seen yet

        view->thunderToggle()->click();
        QVERIFY(!h->settings->showThunder());
        QVERIFY(!view->mapView().thunderFrame);
        QVERIFY(view->mapView().tornadoFrame);

        const QString tile = QStringLiteral("/bosai/jmatile/data/nowc/20250829053000/none/"
                                            "20250829053000/surf/%1/8/226/100.png");
        h->server.setRoute(tile.arg(u"thns"),
                           FakeResponse::png(HazardTiles::tile(HazardTiles::thunderColours(), 4)));
        const RadarFrame thunder = h->state->lightning()->thunderFrames().at(18);
        QVERIFY(runTask(h->loader->agency().tileData(thunder, {8, 226, 100})));
        QVERIFY(!thunderScale()); // thunder is off

        h->settings->setShowThunder(true);
        QVERIFY(view->thunderToggle()->isChecked());
        QVERIFY(thunderScale());
        const RadarLegendView::Scale scale = *thunderScale();
        QCOMPARE(scale.steps.size(), 4);
        for (int level = 1; level <= 4; ++level) {
            QCOMPARE(scale.steps[level - 1].color, HazardTiles::thunderColours()[level - 1]);
            QCOMPARE(scale.steps[level - 1].label, QString::number(level));
        }
        QVERIFY(view->legend()->sizeHint().height() > RadarLegendView().sizeHint().height());
    }

    void overviewScrubMovesTheDetailPlayer()
    {
        giveFrames();
        auto view = pane(AppState::Pane::Overview);
        h->state->detailPlayer()->play();
        QWidget* track = view->timelineSlider()->track();
        QTest::mousePress(track, Qt::LeftButton, {}, QPoint(2, track->height() / 2));
        QTest::mouseRelease(track, Qt::LeftButton, {}, QPoint(2, track->height() / 2));
        QVERIFY(!h->state->detailPlayer()->isPlaying());
        QCOMPARE(h->state->detailPlayer()->index(), 0);
        QCOMPARE(h->state->overviewPlayer()->index(), 0);
    }

    void liveModeShowsTheStatusBar()
    {
        auto view = pane();
        auto* bottom = qobject_cast<QStackedWidget*>(view->timelineSlider()->parentWidget());
        QCOMPARE(bottom->currentWidget(), view->timelineSlider());
        h->state->setPlaybackMode(RadarPlaybackMode::Live);
        QCOMPARE(bottom->currentWidget(), static_cast<QWidget*>(view->liveStatusBar()));
    }
};

SHIGUREN_TEST(TestRadarPane)
#include "tst_radarpane.moc"
