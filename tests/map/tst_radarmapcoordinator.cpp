#include "RadarTileBed.h"
#include "TestRegistry.h"
#include "TyphoonSample.h"
#include "map/MapColors.h"
#include "map/RadarMapCoordinator.h"
#include "map/RadarMapHost.h"
#include "mapwidget/MapWidget.h"
#include "mapwidget/ShapeRenderer.h"
#include "mapwidget/TextAnnotationView.h"
#include "mapwidget/TileOverlayRenderer.h"
#include "platform/Appearance.h"

#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

bool near(double a, double b, double tolerance = 1e-9)
{
    return std::abs(a - b) < tolerance;
}

} // namespace

class TestRadarMapCoordinator : public QObject {
    Q_OBJECT

    std::unique_ptr<RadarTileBed> m_bed;
    std::unique_ptr<RadarMapHost> m_host;

    RadarMapView m_view;
    struct Settled {
        MapRegion region;
        QList<TilePath> tiles;
        RadarMapView::RegionReport report;
    };
    QList<Settled> m_settled;
    QList<bool> m_loading;
    QStringList m_selected;
    int m_cleared = 0;

    RadarMapCoordinator& coordinator() { return m_host->coordinator(); }
    MapWidget& map() { return m_host->mapWidget(); }

    void makeHost(bool show = true)
    {
        MapSceneOptions options;
        options.showBaseMap = false;
        // Two border groups and one label.
        PrefectureData prefectures{
            [] {
                return QList<PrefectureBoundaryLoader::BorderLineGroup>{
                    {{{35.5, 139.5}, {35.9, 139.9}}}, {{{35.2, 139.2}, {35.4, 139.6}}}};
            },
            [] {
                return QList<PrefectureLabel>{{13, u"東京都"_s, 35.69, 139.69}};
            }};
        m_host =
            std::make_unique<RadarMapHost>(m_view, nullptr, options, &m_bed->loader, prefectures);
        m_host->resize(800, 600);
        if (show) {
            m_host->show();
            QVERIFY(QTest::qWaitForWindowExposed(m_host.get()));
            QTRY_VERIFY(map().isMapVisible());
            update();
        }
    }
    void update() { m_host->update(m_view); }

    void waitForTiles()
    {
        RadarTileBed::waitForTiles([this] { return coordinator().overlay(); });
    }
    void showFrameA()
    {
        m_view.frame = kFrameA;
        makeHost();
        waitForTiles();
    }
    int radarRequests()
    {
        return RadarTileBed::radarRequests(map(), coordinator().overlay().get());
    }

private Q_SLOTS:
    void init()
    {
        m_bed = std::make_unique<RadarTileBed>();

        m_settled.clear();
        m_loading.clear();
        m_selected.clear();
        m_cleared = 0;
        m_view = RadarMapView{};
        m_view.location = SavedLocation::create(u"東京"_s, {}, 35.68, 139.76);
        m_view.opacity = 0.8;
        m_view.onRegionSettled = [this](const MapRegion& region, const QList<TilePath>& tiles,
                                        RadarMapView::RegionReport report) {
            m_settled.append({region, tiles, report});
        };
        m_view.onTileLoadingChange = [this](bool loading) { m_loading.append(loading); };
        m_view.onTyphoonSelect = [this](const QString& id) { m_selected.append(id); };
        m_view.onClearSelection = [this] { ++m_cleared; };
    }
    void cleanup()
    {
        m_host.reset();
        m_bed.reset();
    }

    // The pane hands its first value over at construction and may not update again for
    // minutes (agency unreachable): the first paint must already show the place.
    void aNewMapIsPlacedAndDrawnWithoutAnUpdate()
    {
        m_view.initialCamera = SavedMapCamera{34.7, 135.5, 2.0, 2.0};
        m_view.showPrefectureBorders = true;
        m_view.showPrefectureLabels = true;
        m_view.showRangeCircles = true;
        makeHost(false);
        QVERIFY(!coordinator().isRegionPlaced());
        QCOMPARE(coordinator().prefectureLayer().overlays().size(), 4);
        QCOMPARE(coordinator().prefectureLayer().labels().size(), 1);
        QVERIFY(
            map().scene().overlays().contains(coordinator().prefectureLayer().overlays().first()));
        QVERIFY(map().scene().annotations().contains(coordinator().pin()));

        m_host->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_host.get()));
        QVERIFY(coordinator().isRegionPlaced());
        QCOMPARE(map().centerCoordinate().latitude, 34.7);
        QVERIFY(near(map().region().latitudeDelta, 2.0, 0.01) ||
                near(map().region().longitudeDelta, 2.0, 0.01));
        QCOMPARE(coordinator().rangeCircleLayer().overlays().size(), 3);

        // The placement is reported once as such (for the prefetch), after the debounce.
        m_bed->clock.advanceSeconds(1);
        QCOMPARE(m_settled.size(), 1);
        QCOMPARE(m_settled.first().region, map().region());
        QCOMPARE(m_settled.first().report, RadarMapView::RegionReport::Placed);
        QVERIFY(!m_settled.first().tiles.isEmpty());

        // A move of the user's is reported once, 0.6 s after the last change.
        map().scene().panBy(QPointF(30, 0));
        m_bed->clock.advanceSeconds(0.3);
        map().scene().panBy(QPointF(30, 0));
        m_bed->clock.advanceSeconds(0.5);
        QCOMPARE(m_settled.size(), 1);
        m_bed->clock.advanceSeconds(0.2);
        QCOMPARE(m_settled.size(), 2);
        QCOMPARE(m_settled.last().region, map().region());
        QCOMPARE(m_settled.last().report, RadarMapView::RegionReport::Moved);

        // A resize is no move of the user's, unless one comes with it.
        m_host->resize(900, 700);
        m_bed->clock.advanceSeconds(1);
        QCOMPARE(m_settled.size(), 3);
        QCOMPARE(m_settled.last().report, RadarMapView::RegionReport::Resized);
        map().scene().panBy(QPointF(30, 0));
        m_host->resize(800, 600);
        m_bed->clock.advanceSeconds(1);
        QCOMPARE(m_settled.size(), 4);
        QCOMPARE(m_settled.last().report, RadarMapView::RegionReport::Moved);
    }

    // Themed renderers and label views follow a theme switch without waiting for an update.
    void aThemeSwitchRedrawsTheThemedLayersAtOnce()
    {
        Appearance::instance().apply(Appearance::Mode::Light);
        m_view.showPrefectureBorders = true;
        m_view.showPrefectureLabels = true;
        m_view.typhoons = {typhoonAt(u"TC2501"_s, {30, 135})};
        makeHost();
        const auto strokeOf = [&](const auto& overlay) {
            auto renderer =
                std::dynamic_pointer_cast<ShapeRenderer>(map().scene().renderer(overlay.get()));
            return renderer ? renderer->strokeColor() : QColor();
        };
        // Looked up anew each time: a theme switch may make the layers again.
        const auto coreColour = [&] {
            return strokeOf(coordinator().prefectureLayer().overlays().last());
        };
        const auto trackColour = [&] {
            return strokeOf(coordinator().typhoonLayer().overlays().first());
        };
        const auto labelColour = [&] {
            auto view = std::dynamic_pointer_cast<TextAnnotationView>(
                map().scene().view(coordinator().prefectureLayer().labels().first().get()));
            return view ? view->textColor() : QColor();
        };
        QCOMPARE(coreColour(), PrefectureBorderStyle::coreColor(false));
        QCOMPARE(labelColour(), MapColors::primaryLabel(false));
        const QColor lightTrack = trackColour();

        Appearance::instance().apply(Appearance::Mode::Dark);
        QVERIFY(coordinator().isDarkMap());
        QCOMPARE(coreColour(), PrefectureBorderStyle::coreColor(true));
        QCOMPARE(labelColour(), MapColors::primaryLabel(true));
        QVERIFY(trackColour() != lightTrack);
        // Borders stay on top of what was made again.
        QCOMPARE(map().scene().overlays().last(),
                 std::shared_ptr<MapOverlay>(coordinator().prefectureLayer().overlays().last()));
        Appearance::instance().apply(Appearance::Mode::Light);
        QCOMPARE(coreColour(), PrefectureBorderStyle::coreColor(false));
    }

    void typhoonSelectionRecentresBeyond500Metres_data()
    {
        QTest::addColumn<double>("metres");
        QTest::addColumn<bool>("moves");
        QTest::newRow("400 m") << 400.0 << false;
        QTest::newRow("600 m") << 600.0 << true;
    }
    void typhoonSelectionRecentresBeyond500Metres()
    {
        QFETCH(double, metres);
        QFETCH(bool, moves);
        makeHost();
        const GeoCoordinate centre = map().centerCoordinate();
        const double zoom = map().scene().zoom();
        const GeoCoordinate eye{centre.latitude + metres / 110960.0, centre.longitude};
        m_view.typhoons = {typhoonAt(u"TC2501"_s, eye)};
        update();
        m_view.selectedTyphoonID = u"TC2501"_s;
        update();
        map().scene().finishAnimation();
        const GeoCoordinate now = map().centerCoordinate();
        QCOMPARE(near(now.latitude, eye.latitude, 1e-6), moves);
        QCOMPARE(near(now.latitude, centre.latitude), !moves);
        QCOMPARE(map().scene().zoom(), zoom);
    }

    void typhoonsAndLightningRedrawOnlyForNewContent()
    {
        m_view.showPrefectureBorders = true;
        makeHost();
        const TyphoonInfo first = typhoonAt(u"TC2501"_s, {30, 135});
        const TyphoonInfo second = typhoonAt(u"TC2502"_s, {25, 130});
        m_view.typhoons = {first, second};
        update();
        m_view.typhoons = {second, first};
        update();
        QCOMPARE(coordinator().typhoonApplyCount(), 1);

        // Something drawn after the borders, to see them come back on top.
        auto later = std::make_shared<TyphoonGaleWarningOverlay>(GeoCoordinate{35, 139}, 1000);
        map().addOverlay(later);
        m_view.typhoons[0].issue = m_view.typhoons[0].issue.addSecs(6 * 3600);
        update();
        QCOMPARE(coordinator().typhoonApplyCount(), 2);
        const auto overlays = map().scene().overlays();
        const auto& borders = coordinator().prefectureLayer().overlays();
        QCOMPARE(borders.size(), 4);
        QCOMPARE(overlays.last(), std::shared_ptr<MapOverlay>(borders.last()));
        QVERIFY(overlays.indexOf(later) < overlays.indexOf(borders.first()));
        QVERIFY(overlays.indexOf(coordinator().typhoonLayer().overlays().last()) <
                overlays.indexOf(borders.first()));

        // Lightning is keyed by strike id alone.
        m_view.lightningStrikes = {{u"a"_s, {35.6, 139.7}, m_bed->clock.now()}};
        update();
        m_view.lightningStrikes[0].coordinate = {35.7, 139.8};
        m_view.lightningStrikes[0].observedAt = m_bed->clock.now().addSecs(5);
        update();
        QCOMPARE(coordinator().lightningApplyCount(), 1);
        m_view.lightningStrikes.clear();
        update();
        QCOMPARE(coordinator().lightningApplyCount(), 2);
        QVERIFY(coordinator().lightningLayer().annotations().isEmpty());
    }

    void radarAlphaFollowsTheZoom()
    {
        m_view.frame = kFrameA;
        makeHost();
        // 800 points showing 4.39453125° of longitude is zoom 8 exactly.
        map().setRegion({{35.68, 139.76}, 0.5, 4.39453125});
        update();
        QVERIFY(coordinator().renderer());
        QVERIFY(near(coordinator().renderer()->alpha(), 0.688));
        map().setRegion({{35.68, 139.76}, 10, 70.3125}); // zoom 4
        update();
        QVERIFY(near(coordinator().renderer()->alpha(), 0.8));
        coordinator().renderer()->setAlpha(0.5);   // to see whether it is touched
        map().setRegion({{35.68, 139.76}, 5, 20}); // zoom 5.8, taken as 6
        update();
        QCOMPARE(coordinator().renderer()->alpha(), 0.5);
    }

    void redrawTokenActsOncePerChange()
    {
        m_view.showRangeCircles = true;
        showFrameA();
        const int before = radarRequests();
        const auto ring = coordinator().rangeCircleLayer().overlays().first();
        m_view.forceRedrawToken += 2; // raised twice since the last update
        update();
        const int after = radarRequests();
        QVERIFY(after > before);
        const auto rebuiltRing = coordinator().rangeCircleLayer().overlays().first();
        QVERIFY(rebuiltRing != ring);
        update();
        QCOMPARE(radarRequests(), after);
        QCOMPARE(coordinator().rangeCircleLayer().overlays().first(), rebuiltRing);
    }

    // A rebuilt overlay is drawn under the borders again.
    void rebuildTokenActsOncePerChange()
    {
        m_view.showPrefectureBorders = true;
        showFrameA();
        QTRY_VERIFY(!m_loading.isEmpty() && !m_loading.last());
        const auto first = coordinator().overlay();
        map().addOverlay(std::make_shared<TyphoonGaleWarningOverlay>(GeoCoordinate{35, 139}, 1000));
        m_view.rebuildToken = 1;
        update();
        update();
        QCOMPARE(coordinator().supervisor().rebuildCount(), 1);
        QVERIFY(coordinator().overlay() != first);
        QCOMPARE(map().scene().overlays().last(),
                 std::shared_ptr<MapOverlay>(coordinator().prefectureLayer().overlays().last()));
    }

    // Thunder and tornado lie above the rain and below the lines, whatever is made again,
    // follow their frames, and leave the map when there is no frame.
    void nowcastLayersLieBetweenTheRainAndTheLines()
    {
        const auto hazardAt = [](RadarProduct product, const QString& time) {
            RadarFrame frame = RadarTileBed::frameAt(time);
            frame.product = product;
            return frame;
        };
        m_view.showPrefectureBorders = true;
        m_view.showRangeCircles = true;
        m_view.thunderFrame = hazardAt(RadarProduct::ThunderNowcast, u"20250829052000"_s);
        m_view.tornadoFrame = hazardAt(RadarProduct::TornadoNowcast, u"20250829052000"_s);
        showFrameA();
        const HazardTileLayer& thunder = coordinator().thunderLayer();
        const HazardTileLayer& tornado = coordinator().tornadoLayer();
        RadarTileBed::waitForTiles([&] { return thunder.overlay(); });
        RadarTileBed::waitForTiles([&] { return tornado.overlay(); });

        const auto expectOrder = [&] {
            const QList<std::shared_ptr<MapOverlay>> order = map().scene().overlays();
            const qsizetype rain = order.indexOf(coordinator().overlay());
            const qsizetype thunderAt = order.indexOf(thunder.overlay());
            const qsizetype tornadoAt = order.indexOf(tornado.overlay());
            QVERIFY(rain >= 0);
            QVERIFY(thunderAt > rain);
            QVERIFY(tornadoAt > thunderAt);
            for (const auto& ring : coordinator().rangeCircleLayer().overlays())
                QVERIFY(order.indexOf(ring) > tornadoAt);
            for (const auto& border : coordinator().prefectureLayer().overlays())
                QVERIFY(order.indexOf(border) > tornadoAt);
        };
        expectOrder();
        QCOMPARE(thunder.renderer()->alpha(), HazardTileLayer::kAlpha);

        // Hazard tiles are asked for at served zooms only.
        int hazardRequests = 0;
        for (const RecordedRequest& request : m_bed->server.requests()) {
            if (!request.path.contains(u"/thns/"_s) && !request.path.contains(u"/trns/"_s))
                continue;
            ++hazardRequests;
            QVERIFY(request.path.section(u'/', -3, -3).toInt() <= 8);
        }
        QVERIFY(hazardRequests > 0);

        m_view.rebuildToken = 1;
        update();
        QCOMPARE(coordinator().supervisor().rebuildCount(), 1);
        expectOrder();

        const auto thunderOverlay = thunder.overlay();
        m_view.thunderFrame = hazardAt(RadarProduct::ThunderNowcast, u"20250829053000"_s);
        update();
        QCOMPARE(thunder.overlay(), thunderOverlay);
        QCOMPARE(thunder.frame(), m_view.thunderFrame);

        m_view.thunderFrame.reset();
        update();
        QVERIFY(!thunder.overlay());
        QVERIFY(!map().scene().overlays().contains(thunderOverlay));
        QVERIFY(tornado.overlay());

        m_view.thunderFrame = hazardAt(RadarProduct::ThunderNowcast, u"20250829053000"_s);
        update();
        QVERIFY(thunder.overlay());
        expectOrder();
    }

    // Tiles empty in the shown frame and in the next one (in memory) are not asked again.
    // The frames are older than 20 minutes, so their empty tiles are final and kept.
    void emptyNowcastTilesAreNotAskedAgain()
    {
        const QByteArray empty = TestData::read(u"jma/tiles/empty_placeholder_rgba.png"_s);
        const QByteArray rain = TestData::read(u"jma/tiles/hrpns_rain_blobs_p4.png"_s);
        m_bed->server.setHandler([=](const RecordedRequest& request) {
            return FakeResponse::png(request.path.contains(u"/thns/"_s) ? empty : rain);
        });
        const auto thunderAt = [](const QString& time) {
            RadarFrame frame = RadarTileBed::frameAt(time);
            frame.product = RadarProduct::ThunderNowcast;
            return frame;
        };
        m_view.thunderFrame = thunderAt(u"20250829043000"_s);
        showFrameA();
        const HazardTileLayer& thunder = coordinator().thunderLayer();
        const auto requests = [&] {
            return RadarTileBed::radarRequests(map(), thunder.overlay().get());
        };
        RadarTileBed::waitForTiles([&] { return thunder.overlay(); });
        QTRY_VERIFY(map().scene().tileLayer(thunder.overlay().get())->isComplete());
        const int first = requests();
        QVERIFY(first > 0);

        m_view.thunderFrame = thunderAt(u"20250829044000"_s); // not seen yet: asked for
        update();
        QTRY_VERIFY(map().scene().tileLayer(thunder.overlay().get())->isComplete());
        QCOMPARE(requests(), 2 * first);

        m_view.thunderFrame = thunderAt(u"20250829043000"_s); // empty and at hand: kept
        update();
        QVERIFY(map().scene().tileLayer(thunder.overlay().get())->isComplete());
        QCOMPARE(requests(), 2 * first);
    }

    void tapsSelectionsAndANewPlace()
    {
        makeHost();
        m_view.typhoons = {typhoonAt(u"TC2501"_s, {35.6, 139.7})};
        update();
        Q_EMIT map().tapped({35, 139});
        Q_EMIT map().tapped({35, 139});
        QCOMPARE(m_cleared, 2);
        map().scene().selectAnnotation(coordinator().typhoonLayer().annotations().first());
        QCOMPARE(m_selected, QStringList{u"TC2501"_s});
        const auto pin = coordinator().pin();
        map().scene().selectAnnotation(pin);
        QCOMPARE(m_selected.size(), 1);

        // A new place moves the map and replaces the pin.
        m_view.location = SavedLocation::create(u"大阪"_s, {}, 34.69, 135.5);
        update();
        map().scene().finishAnimation();
        QVERIFY(near(map().centerCoordinate().latitude, 34.69, 1e-6));
        QCOMPARE(coordinator().pin()->title(), u"大阪"_s);
        QCOMPARE(map().scene().annotations().count(coordinator().pin()), 1);
        QVERIFY(!map().scene().annotations().contains(pin));
    }
};

SHIGUREN_TEST(TestRadarMapCoordinator)
#include "tst_radarmapcoordinator.moc"
