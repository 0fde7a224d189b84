#include "FakeHttpServer.h"
#include "LandTiles.h"
#include "TestData.h"
#include "map/RadarMapCoordinator.h"
#include "map/RadarMapHost.h"
#include "mapwidget/MapProjection.h"
#include "mapwidget/MapWidget.h"
#include "platform/Appearance.h"
#include "platform/DataHosts.h"
#include "radar/JMATime.h"
#include "tiles/RadarTileLoader.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

// Pictures of both maps with every layer, light and dark, at 1× and 2×, for people to look
// at. They go to $SHIGUREN_SHOTS_DIR, or to the build folder.
namespace {

const RadarFrame kFrame{RadarProduct::Nowcast, QStringLiteral("20250829053000"),
                        QStringLiteral("20250829053000"), RadarFrame::Kind::Observation,
                        *JMATime::parse(QStringLiteral("20250829053000"))};

TyphoonInfo sampleTyphoon()
{
    TyphoonInfo info;
    info.id = QStringLiteral("TC2510");
    info.typhoonNumber = QStringLiteral("2510");
    info.name = QStringLiteral("クローサ");
    info.category = QStringLiteral("TY");
    info.categoryText = QStringLiteral("強い台風");
    info.isTyphoon = true;
    info.issue = QDateTime(QDate(2025, 8, 29), QTime(3, 0), QTimeZone::utc());
    info.pastTrack = {{24.0, 131.5}, {25.6, 131.2}, {27.1, 131.0}, {28.5, 131.0}};
    info.currentPoint = GeoCoordinate{28.5, 131.0};
    info.galeWarningArea = TyphoonInfo::Circle{{28.5, 131.0}, 280000};
    info.forecastPoints = {{12, {30.2, 131.6}, {}, 70000.0},
                           {24, {31.9, 132.6}, {}, 110000.0},
                           {48, {34.6, 135.0}, {}, 200000.0}};
    return info;
}

LightningStrikes sampleStrikes(const GeoCoordinate& around)
{
    LightningStrikes strikes;
    const QDateTime at(QDate(2025, 8, 29), QTime(5, 21, 7), QTimeZone::utc());
    for (int i = 0; i < 6; ++i)
        strikes.append(
            {QStringLiteral("s%1").arg(i),
             {around.latitude + 0.05 * (i % 3) - 0.08, around.longitude + 0.07 * i - 0.2},
             at.addSecs(17 * i)});
    return strikes;
}

QString shotsDir()
{
    const QString dir =
        qEnvironmentVariable("SHIGUREN_SHOTS_DIR", QStringLiteral(SHIGUREN_SCREENSHOT_DIR));
    QDir().mkpath(dir);
    return dir;
}

} // namespace

class TestRadarMapScreenshots : public QObject {
    Q_OBJECT

    FakeHttpServer m_server;
    LandTiles m_land;
    QTemporaryDir m_cacheDir;
    QByteArray m_rain;
    QByteArray m_empty;

    QImage shoot(RadarMapView::Style style, const GeoCoordinate& place, bool dark,
                 const QString& name)
    {
        Appearance::instance().apply(dark ? Appearance::Mode::Dark : Appearance::Mode::Light);
        RadarTileLoader loader({m_cacheDir.path() + QStringLiteral("/radar"), 32 << 20, 32 << 20});
        RadarMapView view;
        view.style = style;
        view.location =
            SavedLocation::create(QStringLiteral("ここ"), {}, place.latitude, place.longitude);
        view.frame = kFrame;
        view.opacity = 0.75;
        view.typhoons = {sampleTyphoon()};
        view.lightningStrikes = sampleStrikes(place);
        view.showPrefectureBorders = true;
        view.showPrefectureLabels = true;
        view.showRangeCircles = true;
        MapSceneOptions options;
        options.baseMap.cacheDirectory = m_cacheDir.path() + QStringLiteral("/base");

        QImage image;
        {
            RadarMapHost host(view, nullptr, options, &loader);
            host.resize(900, 640);
            host.show();
            if (!QTest::qWaitForWindowExposed(&host))
                return {};
            host.update(view);
            MapScene& scene = host.mapWidget().scene();
            // Select a bolt so its callout shows.
            scene.selectAnnotation(host.coordinator().lightningLayer().annotations().value(2));
            const auto loaded = [&] {
                const auto overlay = host.coordinator().overlay();
                return scene.isLoaded() && overlay && overlay->inFlightCount() == 0;
            };
            if (!QTest::qWaitFor(loaded, 20000))
                return {};
            image = host.mapWidget().grab().toImage();
            image.save(shotsDir() + u'/' + name + QStringLiteral("@1x.png"));

            host.hide();
            scene.setDevicePixelRatio(2);
            if (!QTest::qWaitFor(loaded, 20000))
                return {};
            scene.render().save(shotsDir() + u'/' + name + QStringLiteral("@2x.png"));
        }
        QCoreApplication::sendPostedEvents();
        return image;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(!m_land.isEmpty());
        QVERIFY(m_server.listen());
        m_rain = TestData::read(QStringLiteral("jma/tiles/hrpns_rain_blobs_p4.png"));
        m_empty = TestData::read(QStringLiteral("jma/tiles/empty_placeholder_rgba.png"));
        static const QRegularExpression radarPath(
            QStringLiteral("/surf/hrpns/(\\d+)/(\\d+)/(\\d+)\\.png$"));
        m_server.setHandler([this](const RecordedRequest& request) -> std::optional<FakeResponse> {
            const TileId tile = LandTiles::parsePath(request.path);
            if (tile.isValid())
                return FakeResponse::png(m_land.png(tile));
            const auto match = radarPath.match(request.path);
            if (!match.hasMatch())
                return std::nullopt;
            // Rain over Kyushu, Shikoku and the south of Kanto; nothing elsewhere.
            const TileId radar{match.captured(1).toInt(), match.captured(2).toInt(),
                               match.captured(3).toInt()};
            const MapRect rect = radar.mapRect();
            const GeoCoordinate nw = MapProjection::toCoordinate({rect.x, rect.y});
            const GeoCoordinate se =
                MapProjection::toCoordinate({rect.x + rect.width, rect.y + rect.height});
            const bool south =
                se.latitude < 34.5 && nw.latitude > 29 && se.longitude > 128 && nw.longitude < 134;
            const bool kanto = se.latitude < 35.75 && nw.latitude > 35.2 && se.longitude > 139.3 &&
                               nw.longitude < 140.1;
            return FakeResponse::png(south || kanto ? m_rain : m_empty);
        });
        DataHosts::pointAllAt(m_server.baseUrl());
    }
    void cleanupTestCase()
    {
        Appearance::instance().apply(Appearance::Mode::Light);
        DataHosts::setCurrent(DataHosts::production());
    }

    void bothMapsLightAndDark()
    {
        for (const auto style : {RadarMapView::Style::Detail, RadarMapView::Style::Overview}) {
            const bool detail = style == RadarMapView::Style::Detail;
            const GeoCoordinate place =
                detail ? GeoCoordinate{35.68, 139.76} : GeoCoordinate{34, 134};
            for (bool dark : {false, true}) {
                const QString name =
                    QStringLiteral("radarmap-%1-%2")
                        .arg(detail ? QStringLiteral("detail") : QStringLiteral("overview"),
                             dark ? QStringLiteral("dark") : QStringLiteral("light"));
                const QImage image = shoot(style, place, dark, name);
                QVERIFY2(!image.isNull(), qPrintable(name));
                // The rings are red where they cross the map's centre row, east of the place.
                int red = 0;
                for (int x = image.width() / 2; x < image.width(); ++x) {
                    const QColor c = image.pixelColor(x, image.height() / 2);
                    red += c.red() > 180 && c.green() < 120 && c.blue() < 120;
                }
                QVERIFY2(red > 0, qPrintable(name));
            }
        }
    }
};

QTEST_MAIN(TestRadarMapScreenshots)
#include "tst_radarmapscreenshots.moc"
