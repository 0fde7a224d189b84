#include "RadarTileBed.h"
#include "TestRegistry.h"
#include "map/RadarOverlaySupervisor.h"
#include "mapwidget/MapDelegate.h"
#include "mapwidget/MapWidget.h"
#include "mapwidget/TileOverlayRenderer.h"

#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// The map's delegate, handing out the supervisor's renderers as the coordinator does.
class TestRadarOverlaySupervisor : public QObject, public MapDelegate {
    Q_OBJECT

public:
    std::shared_ptr<MapOverlayRenderer>
    rendererFor(const std::shared_ptr<MapOverlay>& overlay) override
    {
        if (auto renderer = m_supervisor->rendererFor(overlay))
            return renderer;
        return MapDelegate::rendererFor(overlay);
    }

private:
    std::unique_ptr<RadarTileBed> m_bed;
    std::unique_ptr<MapWidget> m_map;
    std::unique_ptr<RadarOverlaySupervisor> m_supervisor;
    QList<bool> m_loading;

    RadarOverlaySupervisor& supervisor() { return *m_supervisor; }

    void makeMap(bool show = true)
    {
        MapSceneOptions options;
        options.showBaseMap = false;
        m_map = std::make_unique<MapWidget>(nullptr, options);
        m_map->setDelegate(this);
        m_map->resize(800, 600);
        m_map->setRegion({{35.68, 139.76}, 1.1, 1.1});
        m_supervisor = std::make_unique<RadarOverlaySupervisor>(
            m_bed->loader,
            RadarOverlaySupervisor::Callbacks{[this](bool loading) { m_loading.append(loading); }});
        m_supervisor->setMap(m_map.get());
        if (show) {
            m_map->show();
            QVERIFY(QTest::qWaitForWindowExposed(m_map.get()));
            QTRY_VERIFY(m_map->isMapVisible());
        }
    }
    void waitForTiles()
    {
        RadarTileBed::waitForTiles([this] { return supervisor().overlay(); });
    }
    void showFrameA()
    {
        makeMap();
        QVERIFY(supervisor().showFrame(kFrameA));
        waitForTiles();
    }
    int radarRequests()
    {
        return RadarTileBed::radarRequests(*m_map, supervisor().overlay().get());
    }

private Q_SLOTS:
    void init()
    {
        m_bed = std::make_unique<RadarTileBed>();
        m_loading.clear();
    }
    void cleanup()
    {
        m_supervisor.reset();
        m_map.reset();
        m_bed.reset();
    }

    void loadingStateIsPublishedFirstEvenWhenFalse()
    {
        showFrameA();
        QTRY_VERIFY(!m_loading.isEmpty());
        QCOMPARE(m_loading.first(), true);
        QTRY_COMPARE(m_loading.last(), false);
        const qsizetype published = m_loading.size();
        // Busy changes are published only as changes.
        supervisor().rebuild();
        QCOMPARE(supervisor().rebuildCount(), 1);
        QTRY_COMPARE(supervisor().overlay()->inFlightCount(), 0);
        for (qsizetype i = published; i < m_loading.size(); ++i)
            QVERIFY(m_loading[i] != m_loading[i - 1]);

        // A hidden map's new overlay asks for nothing and never becomes busy: its first
        // state is still published, once.
        cleanup();
        init();
        makeMap(false);
        supervisor().showFrame(kFrameA);
        QVERIFY(supervisor().overlay());
        for (int round = 0; round < 2; ++round) {
            supervisor().rebuild();
            QCOMPARE(m_loading, QList<bool>{false});
        }
    }

    void aRebuildWithoutAFrameLeavesNoOverlay()
    {
        showFrameA();
        const auto first = supervisor().overlay();
        QVERIFY(!supervisor().showFrame(std::nullopt));
        QCOMPARE(supervisor().overlay(), first);
        supervisor().rebuild();
        QVERIFY(!supervisor().overlay());
        QVERIFY(m_map->scene().overlays(MapZ::AboveRoads).isEmpty());
        QVERIFY(supervisor().showFrame(kFrameB));
        QCOMPARE(supervisor().overlay()->frame(), kFrameB);
        QCOMPARE(m_map->scene().overlays(MapZ::AboveRoads).size(), 1);
    }

    // After a frame change the map must ask for tiles within 3 s, or the overlay is rebuilt;
    // a second change joins the watch already running.
    void frameChangesStartOneStallWatch_data()
    {
        QTest::addColumn<bool>("mapAsksAgain");
        QTest::newRow("map asks for the new tiles") << true;
        QTest::newRow("map asks nothing") << false;
    }
    void frameChangesStartOneStallWatch()
    {
        QFETCH(bool, mapAsksAgain);
        showFrameA();
        if (!mapAsksAgain)
            m_map->scene().removeOverlay(supervisor().overlay());
        m_bed->clock.advanceSeconds(1);
        const QDateTime start = m_bed->clock.now();
        for (const RadarFrame& frame : {kFrameB, kFrameC}) {
            QVERIFY(!supervisor().showFrame(frame));
            QCOMPARE(supervisor().stallWatchSince(), start);
            m_bed->clock.advanceSeconds(1);
        }
        m_bed->clock.advanceSeconds(1.1);
        QVERIFY(!supervisor().stallWatchSince());
        QCOMPARE(supervisor().rebuildCount(), mapAsksAgain ? 0 : 1);
        QCOMPARE(supervisor().overlay()->frame(), kFrameC);
    }

    void oneExtraReloadAfterFullDelivery()
    {
        showFrameA();
        const int before = radarRequests();
        m_bed->clock.advanceSeconds(8.1);
        QVERIFY(supervisor().hasReloadedAfterFirstDelivery());
        QVERIFY(radarRequests() > before);
        waitForTiles();
        const int after = radarRequests();
        supervisor().checkCoverage();
        QCOMPARE(radarRequests(), after);
        QCOMPARE(supervisor().rebuildCount(), 0);
    }

    void missingTilesWithin30SecondsOfARebuildWait()
    {
        showFrameA();
        supervisor().overlay()->resetDeliveries(); // as if the tiles never came
        supervisor().checkCoverage();
        QCOMPARE(supervisor().rebuildCount(), 1);
        waitForTiles();
        m_bed->clock.advanceSeconds(8.1); // complete: the one extra reload
        waitForTiles();
        m_bed->clock.advanceSeconds(11.9); // 20 s after the rebuild
        supervisor().overlay()->resetDeliveries();
        supervisor().checkCoverage();
        QCOMPARE(supervisor().rebuildCount(), 1);
        m_bed->clock.advanceSeconds(8.1); // 28 s: still too soon, checked again later
        QCOMPARE(supervisor().rebuildCount(), 1);
        m_bed->clock.advanceSeconds(8.1); // 36 s
        QCOMPARE(supervisor().rebuildCount(), 2);
    }

    void aMinimisedWindowWaitsAndChecksWhenShown()
    {
        showFrameA();
        m_map->showMinimized();
        QTRY_VERIFY(!m_map->isMapVisible());
        supervisor().overlay()->resetDeliveries();
        m_bed->clock.advanceSeconds(8.1); // the install's check finds the window hidden
        QVERIFY(supervisor().isWaitingForVisibility());
        m_bed->clock.advanceSeconds(60);
        QCOMPARE(supervisor().rebuildCount(), 0);

        m_map->showNormal();
        QTRY_VERIFY(m_map->isMapVisible());
        QVERIFY(!supervisor().isWaitingForVisibility());
        m_bed->clock.advanceSeconds(2.9);
        QCOMPARE(supervisor().rebuildCount(), 0);
        m_bed->clock.advanceSeconds(0.2);
        QCOMPARE(supervisor().rebuildCount(), 1);
    }
};

SHIGUREN_TEST(TestRadarOverlaySupervisor)
#include "tst_radaroverlaysupervisor.moc"
