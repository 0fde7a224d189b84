#include "TestData.h"
#include "TestRegistry.h"
#include "tiles/PaletteResampler.h"

#include <QPainter>
#include <QTest>

namespace {

QImage rainTile()
{
    const QImage image =
        QImage::fromData(TestData::read(QStringLiteral("jma/tiles/hrpns_rain_blobs_p4.png")));
    Q_ASSERT(image.format() == QImage::Format_Indexed8);
    return image;
}

// The largest difference of any channel between two pictures of one size, and whether every
// pixel of `image` is validly premultiplied.
int largestDifference(const QImage& image, const QImage& reference)
{
    int largest = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb a = image.pixel(x, y);
            const QRgb b = reference.pixel(x, y);
            if (qRed(a) > qAlpha(a) || qGreen(a) > qAlpha(a) || qBlue(a) > qAlpha(a))
                return 1000;
            for (int shift : {0, 8, 16, 24})
                largest = std::max(largest,
                                   std::abs(int((a >> shift) & 0xff) - int((b >> shift) & 0xff)));
        }
    }
    return largest;
}

} // namespace

class TestPaletteResampler : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Qt's own conversion and smooth scaling are the reference: the palette path must draw
    // the same picture, only faster.
    void halvingMatchesSmoothScaling()
    {
        const QImage source = rainTile();
        QImage reference(256, 256, QImage::Format_ARGB32_Premultiplied);
        reference.fill(Qt::transparent);
        {
            QPainter painter(&reference);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(QRect(128, 0, 128, 128), source);
        }
        QImage halved(256, 256, QImage::Format_ARGB32_Premultiplied);
        halved.fill(Qt::transparent);
        PaletteResampler::halveInto(source, halved, {128, 0});
        QCOMPARE_LE(largestDifference(halved, reference), 2);

        // Placed partly outside the target, only the overlap is written.
        QImage corner(64, 64, QImage::Format_ARGB32_Premultiplied);
        corner.fill(Qt::transparent);
        PaletteResampler::halveInto(source, corner, {-100, -90});
        QCOMPARE(corner.copy(0, 0, 28, 38), halved.copy(228, 90, 28, 38));
        QCOMPARE(qAlpha(corner.pixel(40, 50)), 0);
    }

    void enlargingMatchesSmoothScaling_data()
    {
        QTest::addColumn<QRect>("square");
        QTest::addColumn<int>("factor");
        QTest::newRow("zoom 11 on a 1x screen") << QRect(128, 0, 128, 128) << 2;
        QTest::newRow("zoom 12") << QRect(64, 128, 64, 64) << 4;
        QTest::newRow("zoom 11 on a 1.5x screen") << QRect(0, 128, 128, 128) << 3;
    }
    void enlargingMatchesSmoothScaling()
    {
        QFETCH(QRect, square);
        QFETCH(int, factor);
        const QImage source = rainTile();
        const QImage enlarged = PaletteResampler::enlarge(source, square, factor);
        QCOMPARE(enlarged.size(), square.size() * factor);
        QCOMPARE(enlarged.format(), QImage::Format_ARGB32_Premultiplied);
        const QImage reference =
            source.copy(square)
                .convertToFormat(QImage::Format_ARGB32_Premultiplied)
                .scaled(enlarged.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QCOMPARE_LE(largestDifference(enlarged, reference), 2);
    }

    void damagedInputDrawsNothingWrong()
    {
        QImage source(4, 4, QImage::Format_Indexed8);
        source.setColorTable({qRgba(255, 0, 0, 255)});
        source.fill(200); // past the colour table: transparent
        source.scanLine(0)[0] = 0;
        const QImage enlarged = PaletteResampler::enlarge(source, source.rect(), 2);
        QCOMPARE(enlarged.pixel(0, 0), qRgba(255, 0, 0, 255));
        QCOMPARE(enlarged.pixel(7, 7), qRgba(0, 0, 0, 0));
        QVERIFY(PaletteResampler::enlarge(source, QRect(2, 2, 4, 4), 2).isNull());
    }
};

SHIGUREN_GUILESS_TEST(TestPaletteResampler)
#include "tst_paletteresampler.moc"
