#include "TestRegistry.h"
#include "platform/Icons.h"

#include <QGuiApplication>
#include <QSet>
#include <QTest>

namespace {

// Colours (without alpha) of the pixels the symbol covers fully.
QSet<QRgb> solidColours(const QImage& image)
{
    QSet<QRgb> colours;
    const QImage plain = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
            if (qAlpha(plain.pixel(x, y)) == 255)
                colours.insert(plain.pixel(x, y) & 0xffffff);
    return colours;
}

} // namespace

class TestIcons : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // As an image and as an icon, at the asked pixel ratio.
    void tintedSymbolHasOnlyTheTint()
    {
        const QImage image =
            Icons::image(QStringLiteral("bolt.fill"), QSizeF(20, 20), 2.0, QColor(255, 204, 0));
        QCOMPARE(image.size(), QSize(40, 40));
        QCOMPARE(image.devicePixelRatio(), 2.0);
        QCOMPARE(solidColours(image), QSet<QRgb>{0xffcc00});
        const QPixmap pixmap =
            Icons::icon(QStringLiteral("gearshape"), QColor(0, 0, 255)).pixmap(QSize(16, 16), 2.0);
        QCOMPARE(pixmap.size(), QSize(32, 32));
        QCOMPARE(solidColours(pixmap.toImage()), QSet<QRgb>{0x0000ff});
    }

    void weatherSymbolKeepsItsColours()
    {
        const QImage image =
            Icons::image(QStringLiteral("cloud.sun.rain.fill"), QSizeF(40, 40), 1.0);
        QVERIFY(solidColours(image).size() > 3);
    }

    void unknownSymbolGivesNothing()
    {
        QVERIFY(!Icons::exists(QStringLiteral("no.such.symbol")));
        QVERIFY(Icons::image(QStringLiteral("no.such.symbol"), QSizeF(16, 16), 1.0).isNull());
        QVERIFY(Icons::icon(QStringLiteral("no.such.symbol")).isNull());
    }
};

SHIGUREN_TEST(TestIcons)
#include "tst_icons.moc"
