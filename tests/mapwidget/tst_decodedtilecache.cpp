#include "FakeTileOverlay.h"
#include "TestRegistry.h"
#include "mapwidget/DecodedTileCache.h"
#include "mapwidget/GuiThreadRelay.h"
#include "mapwidget/TileOverlayLayer.h"

#include <QTest>

class TestDecodedTileCache : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keepsPicturesByTheirBytesWithinItsBudget()
    {
        const QImage red = FakeTileOverlay::solid(Qt::red); // 256 KiB
        DecodedTileCache cache(600 << 10);
        const QByteArray a = FakeTileOverlay::solidPng(Qt::red);
        QVERIFY(!cache.find(a));
        cache.insert(a, red);
        QCOMPARE(cache.find(QByteArray(a.constData(), a.size()))->pixelColor(0, 0),
                 QColor(Qt::red));
        QCOMPARE(cache.hits(), 1);
        cache.insert(FakeTileOverlay::solidPng(Qt::green), red);
        // Over budget while both pictures are in use: the newcomer is the one not kept, so an
        // animation loop longer than the budget still finds the pictures that fit.
        cache.insert(FakeTileOverlay::solidPng(Qt::blue), red);
        QCOMPARE(cache.count(), 2);
        QVERIFY(cache.find(FakeTileOverlay::solidPng(Qt::red)));
        QVERIFY(!cache.find(FakeTileOverlay::solidPng(Qt::blue)));
    }

    void aReloadWithTheSameBytesDecodesNothing()
    {
        auto overlay = std::make_shared<FakeTileOverlay>(2, 16);
        QHash<QString, QByteArray> pngs; // one PNG per tile, handed out again on reload
        overlay->setAnswer([&](const TilePath& path) {
            auto png = pngs.find(path.tile.key());
            if (png == pngs.end())
                png = pngs.insert(path.tile.key(), FakeTileOverlay::solidPng(QColor(
                                                       path.tile.x % 256, path.tile.y % 256, 0)));
            return TileResult::fromEncoded(*png);
        });
        QObject receiver;
        auto relay = GuiThreadRelay::create(&receiver);
        auto layer = std::make_shared<TileOverlayLayer>(overlay, relay, [] {});
        layer->setView(MapViewport({kMapWorldWidth / 2, kMapWorldWidth / 2}, 6, QSizeF(800, 600)),
                       false);
        QTRY_VERIFY(layer->isComplete());
        const int visible = int(layer->visibleTiles().size());
        QVERIFY(visible > 4);
        QCOMPARE(layer->decodeReuses(), 0);

        layer->reload();
        QTRY_VERIFY(layer->isComplete());
        QCOMPARE(layer->decodeReuses(), visible);
        QVERIFY(layer->hasImage(layer->visibleTiles().first()));
        relay->detach();
    }
};

SHIGUREN_TEST(TestDecodedTileCache)
#include "tst_decodedtilecache.moc"
