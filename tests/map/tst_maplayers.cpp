#include "TestRegistry.h"
#include "TyphoonSample.h"
#include "map/LightningLayer.h"
#include "map/PrefectureLayer.h"
#include "map/RangeCircleLayer.h"
#include "map/TyphoonLayer.h"
#include "mapwidget/MapScene.h"
#include "mapwidget/MarkerAnnotationView.h"
#include "mapwidget/ShapeRenderer.h"

#include <QTest>
#include <QTimeZone>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

MapScene* newScene(QObject* parent)
{
    MapSceneOptions options;
    options.showBaseMap = false;
    auto* scene = new MapScene(options, parent);
    scene->setViewportSize(QSizeF(800, 600));
    scene->setRegion({{35.68, 139.76}, 1.1, 1.1});
    return scene;
}

LightningStrike strike(const QString& id, double lat, const QString& utc)
{
    return {id, {lat, 139.7}, QDateTime::fromString(utc, Qt::ISODate)};
}

// The typhoon layer's overlays in drawing order, by kind.
QString kindsOf(const QList<std::shared_ptr<MapOverlay>>& overlays)
{
    QStringList kinds;
    for (const auto& o : overlays) {
        if (auto track = std::dynamic_pointer_cast<TyphoonTrackOverlay>(o))
            kinds.append(track->isForecast() ? u"forecast"_s : u"past"_s);
        else if (std::dynamic_pointer_cast<TyphoonProbabilityCircleOverlay>(o))
            kinds.append(u"circle"_s);
        else
            kinds.append(std::dynamic_pointer_cast<TyphoonGaleWarningOverlay>(o) ? u"gale"_s
                                                                                 : u"?"_s);
    }
    return kinds.join(u' ');
}

} // namespace

class TestMapLayers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rangeLabelText_data()
    {
        QTest::addColumn<double>("metres");
        QTest::addColumn<QString>("text");
        QTest::newRow("one decimal") << 2100.0 << u"2.1km"_s;
        QTest::newRow("metres") << 420.0 << u"420m"_s;
        QTest::newRow("rounded to one decimal") << 1260.0 << u"1.3km"_s;
        QTest::newRow("truncated") << 999.9 << u"999m"_s;
        QTest::newRow("whole km") << 2000.0 << u"2km"_s;
        QTest::newRow("just under ten") << 9960.0 << u"10km"_s;
    }
    void rangeLabelText()
    {
        QFETCH(double, metres);
        QFETCH(QString, text);
        QCOMPARE(RangeCircleLayer::labelText(metres), text);
    }

    void rangeRingsFollowTheScaleNotThePan()
    {
        RangeCircleLayer rings;
        const GeoCoordinate center{35.68, 139.76};
        MapSceneOptions options;
        options.showBaseMap = false;
        MapScene unsized(options); // no size yet: nothing to measure rings by
        rings.apply(unsized, true, center, false);
        QVERIFY(rings.overlays().isEmpty() && !rings.appliedMetresPerPoint());

        MapScene* scene = newScene(this);
        rings.apply(*scene, true, center, false);
        QCOMPARE(rings.overlays().size(), 3);
        const double mpp =
            *RangeCircleLayer::metresPerPoint(scene->region(), scene->viewport().size(), 35.68);
        QVERIFY(qFuzzyCompare(rings.overlays()[2]->radius(), mpp * 315));
        // The label sits on the ring's eastern point, 105 points from the centre.
        const QPointF east = scene->pointForCoordinate(rings.labels()[0]->coordinate()) -
                             scene->pointForCoordinate(center);
        QVERIFY(std::abs(east.x() - 105) < 0.5 && std::abs(east.y()) < 0.5);
        QCOMPARE(rings.labels()[0]->title(), RangeCircleLayer::labelText(mpp * 105));

        const auto first = rings.overlays().first();
        scene->panBy(QPointF(120, -80));
        rings.apply(*scene, true, center, false);
        QCOMPARE(rings.overlays().first(), first);
        scene->zoomAround(scene->zoom() + 0.01, QPointF(400, 300)); // about 0.7 %
        rings.apply(*scene, true, center, false);
        QVERIFY(rings.overlays().first() != first);
        QCOMPARE(scene->overlays().size(), 3);

        rings.apply(*scene, false, center, false);
        QVERIFY(scene->overlays().isEmpty() && scene->annotations().isEmpty());
        QVERIFY(!rings.appliedCenter());
    }

    void lightningSignatureAndTitles()
    {
        MapScene* scene = newScene(this);
        LightningLayer layer;
        const LightningStrikes strikes{strike(u"a"_s, 35.6, u"2024-08-01T06:04:05Z"_s),
                                       strike(u"a"_s, 35.7, u"2024-08-01T06:04:06Z"_s),
                                       strike(u"b"_s, 35.8, u"2024-08-01T23:59:59Z"_s)};
        layer.apply(*scene, strikes);
        QCOMPARE(layer.annotations().size(), 3);
        QCOMPARE(layer.appliedSignature(), (QSet<QString>{u"a"_s, u"b"_s}));
        QCOMPARE(layer.annotations()[0]->title(), u"落雷 15:04:05"_s);
        QCOMPARE(layer.annotations()[2]->title(), u"落雷 08:59:59"_s);
        // The same instant, written in New York time, still reads in Japan time.
        QCOMPARE(
            LightningAnnotation::titleFor(strikes[0].observedAt.toTimeZone(QTimeZone(-5 * 3600))),
            u"落雷 15:04:05"_s);
        QCOMPARE(LightningLayer::signature(strikes),
                 LightningLayer::signature({strikes[2], strikes[0]}));

        layer.apply(*scene, {});
        QVERIFY(scene->annotations().isEmpty() && layer.appliedSignature().isEmpty());
    }

    // At 2× the bolt keeps its black outline inside the image: padded, not clipped.
    void strokedBoltHasAnOutline()
    {
        const auto image = strokedBoltImage(13, QColor(255, 204, 0), 2, 2.0);
        QVERIFY(image);
        QCOMPARE(image->deviceIndependentSize(), QSizeF(21, 21));
        int black = 0;
        for (int y = 0; y < image->height(); ++y) {
            for (int x = 0; x < image->width(); ++x) {
                const QColor c = image->pixelColor(x, y);
                black += c.alpha() > 250 && c.lightness() < 40;
            }
        }
        QVERIFY(black > 40);
        QCOMPARE(image->pixelColor(0, 0).alpha(), 0);
    }

    // Within a cyclone the gale area lies above the circles above the tracks.
    void typhoonShapes_data()
    {
        QTest::addColumn<TyphoonInfo>("info");
        QTest::addColumn<QString>("kinds");
        QTest::addColumn<int>("markers");

        TyphoonInfo onePast = typhoonAt(u"TC1"_s);
        onePast.pastTrack = {{20, 130}};
        QTest::newRow("one past position, no forecast") << onePast << QString() << 1;

        TyphoonInfo noCentre = typhoonAt(u"TC2"_s);
        noCentre.currentPoint.reset();
        noCentre.pastTrack.clear();
        noCentre.forecastPoints = {{24, {21, 131}, {}, {}}, {48, {23, 132}, {}, {}}};
        QTest::newRow("two forecast points, no centre") << noCentre << u"forecast"_s << 0;

        TyphoonInfo full = typhoonAt(u"TC3"_s);
        full.forecastPoints = {
            {24, {21, 131}, {}, 90000.0}, {48, {23, 132}, {}, {}}, {72, {25, 133}, {}, 200000.0}};
        full.galeWarningArea = TyphoonInfo::Circle{{20, 130}, 300000};
        QTest::newRow("everything; one point without a radius")
            << full << u"past forecast circle circle gale"_s << 1;
    }
    void typhoonShapes()
    {
        QFETCH(TyphoonInfo, info);
        QFETCH(QString, kinds);
        QFETCH(int, markers);
        MapScene* scene = newScene(this);
        TyphoonLayer layer;
        layer.apply(*scene, {info});
        QCOMPARE(kindsOf(scene->overlays()), kinds);
        QCOMPARE(layer.annotations().size(), markers);
        QCOMPARE(layer.appliedSignature().value(info.id), info.issue);

        layer.apply(*scene, {});
        QVERIFY(scene->overlays().isEmpty() && scene->annotations().isEmpty());
        QVERIFY(layer.appliedSignature().isEmpty());
    }

    void typhoonOrderAndForecastStart()
    {
        MapScene* scene = newScene(this);
        TyphoonInfo first = typhoonAt(u"TC1"_s);
        first.forecastPoints = {{24, {21, 131}, {}, 90000.0}};
        first.galeWarningArea = TyphoonInfo::Circle{{20, 130}, 300000};
        TyphoonInfo second = first;
        second.id = u"TC2"_s;
        second.isTyphoon = false;
        TyphoonLayer layer;
        layer.apply(*scene, {first, second});
        // The second cyclone's shapes lie above the first's.
        QCOMPARE(kindsOf(scene->overlays()),
                 u"past forecast circle gale past forecast circle gale"_s);
        const auto forecast = std::dynamic_pointer_cast<TyphoonTrackOverlay>(scene->overlays()[1]);
        QCOMPARE(forecast->coordinates().first(), (GeoCoordinate{20, 130}));

        auto balloon = std::dynamic_pointer_cast<MarkerAnnotationView>(
            TyphoonLayer::markerView(*scene, *layer.annotations()[1]));
        QVERIFY(balloon && balloon->isRequired());
        QCOMPARE(balloon->markerTintColor(), QColor(142, 142, 147)); // not a typhoon: grey
        QCOMPARE(layer.annotations()[0]->title(), u"台風10号"_s);
    }

    void prefectureToggles()
    {
        MapScene* scene = newScene(this);
        const QList<PrefectureBoundaryLoader::BorderLineGroup> groups{
            {{{35, 139}, {35.5, 139.5}}},
            {{{36, 140}, {36.5, 140.5}}, {{36, 140.2}, {36.1, 140.9}}},
            {{{34, 135}, {34.2, 135.3}}}};
        int borderReads = 0;
        PrefectureData data{[&] {
                                ++borderReads;
                                return groups;
                            },
                            [] {
                                return QList<PrefectureLabel>{{13, u"東京都"_s, 35.69, 139.69},
                                                              {27, u"大阪府"_s, 34.69, 135.52}};
                            }};
        PrefectureLayer layer(data);
        layer.apply(*scene, false, false, false);
        QCOMPARE(borderReads, 0); // nothing is read before a layer is switched on

        layer.apply(*scene, true, false, false);
        QCOMPARE(scene->overlays().size(), 2 * groups.size());
        QVERIFY(layer.overlays()[2]->isCasing() && !layer.overlays()[3]->isCasing());
        const auto borders = scene->overlays();

        // Labels alone leave the borders where they are.
        layer.apply(*scene, true, true, false);
        QCOMPARE(scene->overlays(), borders);
        QCOMPARE(layer.labels().size(), 2);
        QCOMPARE(layer.labels()[1]->name(), u"大阪府"_s);

        // Off and on again: new casings and cores.
        layer.apply(*scene, false, true, false);
        QVERIFY(scene->overlays().isEmpty());
        layer.apply(*scene, true, true, false);
        QCOMPARE(scene->overlays().size(), 6);
        QVERIFY(scene->overlays().first() != borders.first());

        // Forced to the front above a later overlay, labels included.
        auto other = std::make_shared<TyphoonGaleWarningOverlay>(GeoCoordinate{35, 139}, 1000);
        scene->addOverlay(other);
        const auto label = layer.labels().first();
        layer.apply(*scene, true, true, true);
        QCOMPARE(scene->overlays().first(), std::shared_ptr<MapOverlay>(other));
        QCOMPARE(scene->overlays().size(), 7);
        QVERIFY(layer.labels().first() != label);

        // Without data nothing is drawn, but the switches are still taken.
        PrefectureLayer empty(
            PrefectureData{[] { return QList<PrefectureBoundaryLoader::BorderLineGroup>{}; }, {}});
        MapScene* bare = newScene(this);
        empty.apply(*bare, true, true, false);
        QVERIFY(bare->overlays().isEmpty() && bare->annotations().isEmpty());
        QVERIFY(empty.appliedShowBorders() && empty.appliedShowLabels());
    }
};

SHIGUREN_TEST(TestMapLayers)
#include "tst_maplayers.moc"
