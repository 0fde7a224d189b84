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

namespace {

using Overlays = QList<std::shared_ptr<MapOverlay>>;

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

TyphoonInfo typhoon(const QString& id, bool withCentre = true)
{
    TyphoonInfo info;
    info.id = id;
    info.typhoonNumber = QStringLiteral("10");
    info.isTyphoon = true;
    info.issue = QDateTime(QDate(2025, 8, 29), QTime(3, 0), QTimeZone::utc());
    if (withCentre) {
        info.currentPoint = GeoCoordinate{20, 130};
        info.pastTrack = {{19, 129}, {20, 130}};
    }
    return info;
}

template <typename T>
int countOf(const Overlays& overlays, bool (*extra)(const T&) = nullptr)
{
    return int(std::count_if(overlays.cbegin(), overlays.cend(), [extra](const auto& o) {
        const auto cast = std::dynamic_pointer_cast<T>(o);
        return cast && (!extra || extra(*cast));
    }));
}

} // namespace

class TestMapLayers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rangeLabelText_data()
    {
        QTest::addColumn<double>("metres");
        QTest::addColumn<QString>("text");
        QTest::newRow("one decimal") << 2100.0 << QStringLiteral("2.1km");
        QTest::newRow("metres") << 420.0 << QStringLiteral("420m");
        QTest::newRow("rounded to one decimal") << 1260.0 << QStringLiteral("1.3km");
        QTest::newRow("truncated") << 999.9 << QStringLiteral("999m");
        QTest::newRow("whole km") << 2000.0 << QStringLiteral("2km");
        QTest::newRow("just under ten") << 9960.0 << QStringLiteral("10km");
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
        const LightningStrikes strikes{
            strike(QStringLiteral("a"), 35.6, QStringLiteral("2024-08-01T06:04:05Z")),
            strike(QStringLiteral("a"), 35.7, QStringLiteral("2024-08-01T06:04:06Z")),
            strike(QStringLiteral("b"), 35.8, QStringLiteral("2024-08-01T23:59:59Z"))};
        layer.apply(*scene, strikes);
        QCOMPARE(layer.annotations().size(), 3);
        QCOMPARE(layer.appliedSignature(),
                 (QSet<QString>{QStringLiteral("a"), QStringLiteral("b")}));
        QCOMPARE(layer.annotations()[0]->title(), QStringLiteral("落雷 15:04:05"));
        QCOMPARE(layer.annotations()[2]->title(), QStringLiteral("落雷 08:59:59"));
        // The same instant, written in New York time, still reads in Japan time.
        QCOMPARE(
            LightningAnnotation::titleFor(strikes[0].observedAt.toTimeZone(QTimeZone(-5 * 3600))),
            QStringLiteral("落雷 15:04:05"));
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

    // Counts: tracks, forecast tracks, probability circles, gale areas, markers.
    void typhoonShapes_data()
    {
        QTest::addColumn<TyphoonInfo>("info");
        QTest::addColumn<QList<int>>("counts");

        TyphoonInfo onePast = typhoon(QStringLiteral("TC1"));
        onePast.pastTrack = {{20, 130}};
        QTest::newRow("one past position, no forecast") << onePast << QList<int>{0, 0, 0, 0, 1};

        TyphoonInfo noCentre = typhoon(QStringLiteral("TC2"), false);
        noCentre.forecastPoints = {{24, {21, 131}, {}, {}}, {48, {23, 132}, {}, {}}};
        QTest::newRow("two forecast points, no centre") << noCentre << QList<int>{1, 1, 0, 0, 0};

        TyphoonInfo full = typhoon(QStringLiteral("TC3"));
        full.forecastPoints = {
            {24, {21, 131}, {}, 90000.0}, {48, {23, 132}, {}, {}}, {72, {25, 133}, {}, 200000.0}};
        full.galeWarningArea = TyphoonInfo::Circle{{20, 130}, 300000};
        QTest::newRow("everything; one point without a radius")
            << full << QList<int>{2, 1, 2, 1, 1};
    }
    void typhoonShapes()
    {
        QFETCH(TyphoonInfo, info);
        QFETCH(QList<int>, counts);
        MapScene* scene = newScene(this);
        TyphoonLayer layer;
        layer.apply(*scene, {info});
        const auto overlays = scene->overlays();
        const QList<int> found{
            countOf<TyphoonTrackOverlay>(overlays),
            countOf<TyphoonTrackOverlay>(overlays, [](const TyphoonTrackOverlay& t) { return t.isForecast(); }),
            countOf<TyphoonProbabilityCircleOverlay>(overlays),
            countOf<TyphoonGaleWarningOverlay>(overlays), int(layer.annotations().size())};
        QCOMPARE(found, counts);
        QCOMPARE(layer.appliedSignature().value(info.id), info.issue);

        layer.apply(*scene, {});
        QVERIFY(scene->overlays().isEmpty() && scene->annotations().isEmpty());
        QVERIFY(layer.appliedSignature().isEmpty());
    }

    void typhoonOrderAndForecastStart()
    {
        MapScene* scene = newScene(this);
        TyphoonInfo first = typhoon(QStringLiteral("TC1"));
        first.forecastPoints = {{24, {21, 131}, {}, 90000.0}};
        first.galeWarningArea = TyphoonInfo::Circle{{20, 130}, 300000};
        TyphoonInfo second = first;
        second.id = QStringLiteral("TC2");
        second.isTyphoon = false;
        TyphoonLayer layer;
        layer.apply(*scene, {first, second});
        const auto overlays = scene->overlays();
        QCOMPARE(overlays.size(), 8);
        // Per cyclone: past track, forecast track, circles, gale area; the second above.
        QVERIFY(std::dynamic_pointer_cast<TyphoonTrackOverlay>(overlays[0]));
        QVERIFY(std::dynamic_pointer_cast<TyphoonProbabilityCircleOverlay>(overlays[2]));
        QVERIFY(std::dynamic_pointer_cast<TyphoonGaleWarningOverlay>(overlays[3]));
        QVERIFY(std::dynamic_pointer_cast<TyphoonGaleWarningOverlay>(overlays[7]));
        const auto forecast = std::dynamic_pointer_cast<TyphoonTrackOverlay>(overlays[1]);
        QVERIFY(forecast->isForecast());
        QCOMPARE(forecast->coordinates().first(), (GeoCoordinate{20, 130}));

        auto balloon = std::dynamic_pointer_cast<MarkerAnnotationView>(
            TyphoonLayer::markerView(*scene, *layer.annotations()[1]));
        QVERIFY(balloon && balloon->isRequired());
        QCOMPARE(balloon->markerTintColor(), QColor(142, 142, 147)); // not a typhoon: grey
        QCOMPARE(layer.annotations()[0]->title(), QStringLiteral("台風10号"));
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
                                return QList<PrefectureLabel>{
                                    {13, QStringLiteral("東京都"), 35.69, 139.69},
                                    {27, QStringLiteral("大阪府"), 34.69, 135.52}};
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
        QCOMPARE(layer.labels()[1]->name(), QStringLiteral("大阪府"));

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

QTEST_MAIN(TestMapLayers)
#include "tst_maplayers.moc"
