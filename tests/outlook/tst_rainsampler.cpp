// A place's rain band from a radar tile: its tile and pixel, colours to bands, the 3×3 block.
#include "LogCapture.h"
#include "OutlookTestSupport.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "outlook/RainSampler.h"

#include <QSet>
#include <QTest>

#include <algorithm>

using OutlookTest::paletteTile;
using OutlookTest::Pixels;
using OutlookTest::png;

class TestRainSampler : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void placeGivesItsZoom10TileAndPixel_data()
    {
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        QTest::addColumn<TileMath::TilePixel>("expected");
        // The corners of the agency's coverage of Japan.
        QTest::newRow("20N 118E") << 20.0 << 118.0 << TileMath::TilePixel{{10, 847, 453}, 164, 235};
        QTest::newRow("48N 150E") << 48.0 << 150.0 << TileMath::TilePixel{{10, 938, 355}, 170, 245};
        QTest::newRow("Tokyo station")
            << 35.681236 << 139.767125 << TileMath::TilePixel{{10, 909, 403}, 143, 58};
        // 139.921875°E is the west edge of column 910; 35.74651226°N the north edge of row 403.
        QTest::newRow("tile's north-west corner")
            << 35.7465122599185 - 1e-7 << 139.921875 << TileMath::TilePixel{{10, 910, 403}, 0, 0};
        QTest::newRow("just outside it, the neighbour's far corner")
            << 35.7465122599185 + 1e-7 << 139.921875 - 1e-7
            << TileMath::TilePixel{{10, 909, 402}, 255, 255};
        QTest::newRow("beyond the projection clamps inside the last tile")
            << 89.0 << 180.0 << TileMath::TilePixel{{10, 1023, 0}, 255, 0};
        QTest::newRow("south pole")
            << -90.0 << -180.0 << TileMath::TilePixel{{10, 0, 1023}, 0, 255};
    }
    void placeGivesItsZoom10TileAndPixel()
    {
        QFETCH(double, lat);
        QFETCH(double, lon);
        QFETCH(TileMath::TilePixel, expected);
        const TileMath::TilePixel at = RainSampler::pixelOf({lat, lon});
        QCOMPARE(at.tile, expected.tile);
        QCOMPARE(at.x, expected.x);
        QCOMPARE(at.y, expected.y);
        // The map's own tile functions agree on the tile.
        QCOMPARE(at.tile.x, TileMath::tileX(lon, 10));
        QCOMPARE(at.tile.y, TileMath::tileY(lat, 10));
    }

    void coloursGiveBands_data()
    {
        QTest::addColumn<QRgb>("color");
        QTest::addColumn<int>("band");
        QTest::addColumn<bool>("logged");
        for (int band = 1; band <= RainBand::kHighest; ++band) {
            QTest::addRow("legend %d", band) << RainBand::color(band).rgba() << band << false;
        }
        QTest::newRow("transparent white") << qRgba(255, 255, 255, 0) << 0 << false;
        QTest::newRow("transparent red") << qRgba(255, 40, 0, 0) << 0 << false;
        QTest::newRow("half-transparent legend colour") << qRgba(0, 65, 255, 128) << 4 << false;
        QTest::newRow("unknown near the 20–30 yellow") << qRgb(240, 240, 10) << 5 << true;
        QTest::newRow("unknown near the 80+ purple") << qRgb(170, 10, 110) << 8 << true;
        QTest::newRow("opaque white is the faintest class") << qRgb(255, 255, 255) << 1 << true;
    }
    void coloursGiveBands()
    {
        QFETCH(QRgb, color);
        QFETCH(int, band);
        QFETCH(bool, logged);
        LogCapture log(QStringLiteral("jp.shiguren.Shiguren.outlook"));
        QCOMPARE(RainSampler::bandOfColor(color), band);
        QCOMPARE(RainSampler::bandOfColor(color), band);
        const QString hex = QString::asprintf("%08x", color);
        // An unknown colour is told once, however often it is met.
        QCOMPARE(log.matching(hex).size(), logged ? 1 : 0);
    }

    void highestBandOfTheBlockAroundThePlace_data()
    {
        QTest::addColumn<Pixels>("pixels");
        QTest::addColumn<QPoint>("place");
        QTest::addColumn<int>("band");
        QTest::newRow("dry tile") << Pixels{} << QPoint(100, 100) << 0;
        QTest::newRow("on the pixel") << Pixels{{{100, 100}, 3}} << QPoint(100, 100) << 3;
        QTest::newRow("diagonal neighbour") << Pixels{{{101, 99}, 6}} << QPoint(100, 100) << 6;
        QTest::newRow("two away is outside") << Pixels{{{102, 100}, 6}} << QPoint(100, 100) << 0;
        QTest::newRow("highest wins")
            << Pixels{{{99, 99}, 2}, {{100, 100}, 7}, {{101, 101}, 4}} << QPoint(100, 100) << 7;
        QTest::newRow("corner, block clamped")
            << Pixels{{{1, 1}, 8}, {{255, 255}, 2}} << QPoint(0, 0) << 8;
        QTest::newRow("far corner, block clamped")
            << Pixels{{{254, 254}, 5}, {{0, 0}, 8}} << QPoint(255, 255) << 5;
    }
    void highestBandOfTheBlockAroundThePlace()
    {
        QFETCH(Pixels, pixels);
        QFETCH(QPoint, place);
        QFETCH(int, band);
        const QImage tile = paletteTile(pixels);
        QCOMPARE(RainSampler::bandAround(tile, place.x(), place.y()), band);
        // Through the PNG bytes, as the agency sends them, and as a true-colour picture.
        QCOMPARE(RainSampler::bandAt(png(tile), place.x(), place.y()), std::optional<int>(band));
        const QImage rgba = tile.convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(RainSampler::bandAround(rgba, place.x(), place.y()), band);
    }

    void agencyTilesDecodeToThePalettePath()
    {
        const QByteArray bytes =
            TestData::read(QStringLiteral("jma/tiles/hrpns_all_classes_p4.png"));
        const QImage image = QImage::fromData(bytes);
        QCOMPARE(image.format(), QImage::Format_Indexed8);
        // Every class of the legend is somewhere in this tile, and nothing outside it.
        QSet<int> bands;
        for (int y = 1; y < image.height(); y += 3) {
            for (int x = 1; x < image.width(); x += 3)
                bands.insert(RainSampler::bandAround(image, x, y));
        }
        QCOMPARE(bands, (QSet<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    }

    void placeholderIsDryAndGarbageIsUnknown()
    {
        const QByteArray placeholder =
            TestData::read(QStringLiteral("jma/tiles/empty_placeholder_rgba.png"));
        QCOMPARE(RainSampler::bandAt(placeholder, 128, 128), std::optional<int>(0));
        QCOMPARE(RainSampler::bandAt(QByteArrayLiteral("<html>busy</html>"), 128, 128),
                 std::nullopt);
        QCOMPARE(RainSampler::bandAt({}, 0, 0), std::nullopt);
    }
};

SHIGUREN_GUILESS_TEST(TestRainSampler)
#include "tst_rainsampler.moc"
