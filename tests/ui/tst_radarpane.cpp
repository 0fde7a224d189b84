#include "../app/AppStateHarness.h"
#include "../app/RadarFrameFactory.h"
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

QTEST_MAIN(TestRadarPane)
#include "tst_radarpane.moc"
