#include "../app/AppStateHarness.h"
#include "../app/RadarFrameFactory.h"
#include "TestRegistry.h"
#include "locations/MapCameraStore.h"
#include "map/RadarMapCoordinator.h"
#include "map/RadarMapHost.h"
#include "mapwidget/MapWidget.h"
#include "radar/RadarPlayer.h"
#include "ui/LiveStatusBar.h"
#include "ui/PaneButton.h"
#include "ui/RadarPaneView.h"
#include "ui/TimelineSliderView.h"
#include "ui/TimelineTrack.h"

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
