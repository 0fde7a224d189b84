#include "TestRegistry.h"
#include "TileLoaderFixture.h"
#include "mapwidget/TileDecoder.h"
#include "tiles/DecodedAncestors.h"
#include "tiles/TileImages.h"

#include <QBuffer>
#include <QTest>

using namespace TileImages;

namespace {

using TileTestData::tileFile;

QByteArray bytesWith(int length, char byte25)
{
    QByteArray bytes(length, '\0');
    if (length > 25)
        bytes[25] = byte25;
    return bytes;
}

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace

class TestTileImages : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void emptyTilesAreToldFromLengthAndColourType()
    {
        QVERIFY(isEmptyTile(bytesWith(67, 6)));
        QVERIFY(isEmptyTile(bytesWith(26, 6)));
        QVERIFY(isEmptyTile(bytesWith(400, 6)));
        QVERIFY(!isEmptyTile(bytesWith(401, 6)));
        QVERIFY(!isEmptyTile(bytesWith(25, 6)));
        QVERIFY(!isEmptyTile(bytesWith(67, 3)));
        QVERIFY(isEmptyTile(tileFile("empty_placeholder_rgba.png")));
        QVERIFY(!isEmptyTile(tileFile("palette_tiny_content_p4.png"))); // small, yet rain
        QVERIFY(!isEmptyTile(tileFile("hrpns_rain_blobs_p4.png")));
    }

    // Every tile path decodes through decode(): the agency serves PNG, and nothing else Qt
    // could read (an SVG, a picture large enough to cost seconds) is worth the work.
    void onlyPngTilesOfATileSizeAreDecoded_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("size"); // invalid: refused
        const QImage tile = QImage::fromData(tileFile("hrpns_rain_blobs_p4.png"));
        const QImage square(kMaxTileSide, kMaxTileSide, QImage::Format_Indexed8);
        const QImage wide(kMaxTileSide + 1, 2, QImage::Format_Indexed8);
        QTest::newRow("agency tile") << tileFile("hrpns_rain_blobs_p4.png") << QSize(256, 256);
        QTest::newRow("largest side") << encoded(square, "PNG") << square.size();
        QTest::newRow("one pixel wider") << encoded(wide, "PNG") << QSize();
        QTest::newRow("BMP") << encoded(tile, "BMP") << QSize();
        QTest::newRow("SVG") << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" "
                                           "width=\"256\" height=\"256\"/>")
                             << QSize();
        QTest::newRow("cut short") << tileFile("hrpns_rain_blobs_p4.png").left(100) << QSize();
    }
    void onlyPngTilesOfATileSizeAreDecoded()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, size);
        const QImage image = decode(bytes);
        QCOMPARE(image.isNull(), !size.isValid());
        if (size.isValid())
            QCOMPARE(image.size(), size);
        QCOMPARE(crop(bytes, 2, 0, 0).has_value(), size.isValid());
    }

    void composeNeedsAllFourAndSkipsWorkForEmptyOnes()
    {
        const QByteArray empty = tileFile("empty_placeholder_rgba.png");
        const QByteArray rain = tileFile("hrpns_rain_blobs_p4.png");

        const auto allEmpty = compose({empty, empty, empty, empty});
        QVERIFY(allEmpty && allEmpty->empty);
        QCOMPARE(allEmpty->encoded, empty);
        QVERIFY(!compose({empty, std::nullopt, empty, empty}));

        const auto mixed = compose({empty, rain, QByteArray("not a png"), empty});
        QVERIFY(mixed && !mixed->empty);
        QCOMPARE(mixed->image.size(), QSize(512, 512));
        QCOMPARE(mixed->image.format(), QImage::Format_ARGB32_Premultiplied);
        // The rain tile lands in the top-right square, scaled 1:1.
        const QImage source = TileDecoder::decode(rain);
        for (int y = 0; y < 256; y += 16) {
            for (int x = 0; x < 256; x += 16) {
                QCOMPARE(mixed->image.pixel(256 + x, y), source.pixel(x, y));
                QCOMPARE(qAlpha(mixed->image.pixel(x, y)), 0);       // top-left: empty
                QCOMPARE(qAlpha(mixed->image.pixel(x, 256 + y)), 0); // undecodable
            }
        }

        // At the size of a tile on a 1× screen each quadrant is halved.
        const auto small = compose({empty, rain, empty, empty}, 256);
        QCOMPARE(small->image.size(), QSize(256, 256));
        auto paintedIn = [&](QRect square) {
            for (int y = square.top(); y <= square.bottom(); ++y)
                for (int x = square.left(); x <= square.right(); ++x)
                    if (qAlpha(small->image.pixel(x, y)) > 0)
                        return true;
            return false;
        };
        QVERIFY(paintedIn({128, 0, 128, 128}));
        QVERIFY(!paintedIn({0, 0, 128, 128}) && !paintedIn({0, 128, 256, 128}));
    }

    void cropCutsTheSubSquareWithoutEnlarging()
    {
        const QByteArray rain = tileFile("hrpns_rain_blobs_p4.png");
        const QImage source = TileDecoder::decode(rain);
        const auto cut = crop(rain, 4, 1, 0);
        QVERIFY(cut);
        QCOMPARE(cut->image.size(), QSize(64, 64));
        QCOMPARE(cut->image.pixel(0, 0), source.pixel(64, 0));
        QCOMPARE(cut->image.pixel(63, 63), source.pixel(127, 63));
        QCOMPARE(crop(rain, 4, 1, 0, 256)->image.size(), QSize(256, 256)); // enlarged for screen

        const QByteArray empty = tileFile("empty_placeholder_rgba.png");
        const auto stillEmpty = crop(empty, 4, 3, 3);
        QVERIFY(stillEmpty && stillEmpty->empty);
        QCOMPARE(stillEmpty->encoded, empty);

        QVERIFY(!crop(QByteArray("garbage bytes that are no image"), 4, 0, 0));
        const auto tooSmall = crop(rain, 512, 0, 0); // 256 / 512 < 1: returned as it is
        QVERIFY(tooSmall);
        QCOMPARE(tooSmall->encoded, rain);
    }

    // The squares of one zoom-10 tile share its decode, and a key never hands out the picture
    // of other bytes.
    void ancestorsAreDecodedOncePerBytes()
    {
        const QByteArray rain = tileFile("hrpns_rain_blobs_p4.png");
        const QByteArray other = tileFile("palette_tiny_content_p4.png");
        DecodedAncestors ancestors(2);
        const FrameTileKey key{QStringLiteral("f"), {10, 1, 2}, 0};
        const QImage first = ancestors.decoded(key, rain);
        QCOMPARE(ancestors.decoded(key, rain).cacheKey(), first.cacheKey());
        const QImage replaced = ancestors.decoded(key, other);
        QCOMPARE(replaced, QImage::fromData(other));
        QVERIFY(
            ancestors.decoded({QStringLiteral("g"), {10, 1, 2}, 0}, QByteArray("junk")).isNull());
    }
};

SHIGUREN_GUILESS_TEST(TestTileImages)
#include "tst_tileimages.moc"
