#include "FakeClock.h"
#include "FakeHttpServer.h"
#include "LandTiles.h"
#include "TestRegistry.h"
#include "mapwidget/BaseMapLoader.h"
#include "platform/DataHosts.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {

using Key = TileImageCache::Key;

QString pathOf(const TileId& tile)
{
    return BaseMapLoader::tileUrl(tile).path();
}

} // namespace

class TestBaseMapLoader : public QObject {
    Q_OBJECT

    FakeHttpServer* m_server = nullptr;
    QTemporaryDir* m_cacheDir = nullptr;
    LandTiles m_land;

    BaseMapOptions options(int maxActive = 6) const
    {
        BaseMapOptions result;
        result.cacheDirectory = m_cacheDir->path();
        result.maxActiveDownloads = maxActive;
        return result;
    }

    void serveLand(int delayMs = 0)
    {
        m_server->setHandler(
            [this, delayMs](const RecordedRequest& request) -> std::optional<FakeResponse> {
                const TileId tile = LandTiles::parsePath(request.path);
                if (!tile.isValid())
                    return std::nullopt;
                return FakeResponse::png(m_land.png(tile)).withDelay(delayMs);
            });
    }

private Q_SLOTS:
    void init()
    {
        m_server = new FakeHttpServer(this);
        QVERIFY(m_server->listen());
        DataHosts::pointAllAt(m_server->baseUrl());
        m_cacheDir = new QTemporaryDir;
        QVERIFY(m_cacheDir->isValid());
    }
    void cleanup()
    {
        delete m_server;
        delete m_cacheDir;
        DataHosts::setCurrent(DataHosts::production());
    }

    void paleFromZoomFiveStandardBelow()
    {
        DataHosts::setCurrent(DataHosts::production());
        QCOMPARE(BaseMapLoader::tileUrl({4, 14, 6}).toString(),
                 QStringLiteral("https://cyberjapandata.gsi.go.jp/xyz/std/4/14/6.png"));
        QCOMPARE(BaseMapLoader::tileUrl({5, 28, 12}).toString(),
                 QStringLiteral("https://cyberjapandata.gsi.go.jp/xyz/pale/5/28/12.png"));
    }

    // The wish list is served in its order with at most N downloads at a time; a new list
    // drops queued tiles, while started downloads finish into the cache.
    void boundedActiveSetInWishListOrder()
    {
        serveLand(60);
        TileImageCache cache(64 << 20);
        BaseMapLoader loader(options(3), &cache);
        QList<Key> wanted;
        for (int i = 0; i < 12; ++i)
            wanted.append({{8, 224 + i % 4, 100 + i / 4}, BaseMapLoader::Light});
        loader.setWanted(wanted);
        QCOMPARE(loader.activeDownloads(), 3);
        QVERIFY(QTest::qWaitFor([&] { return m_server->requests().size() == 3; }, 3000));
        for (const RecordedRequest& request : m_server->requests())
            QVERIFY(request.path == pathOf(wanted[0].tile) ||
                    request.path == pathOf(wanted[1].tile) ||
                    request.path == pathOf(wanted[2].tile));

        const QList<Key> elsewhere{{{8, 10, 10}, BaseMapLoader::Light},
                                   {{8, 11, 10}, BaseMapLoader::Light}};
        loader.setWanted(elsewhere);
        QVERIFY(QTest::qWaitFor([&] { return loader.isIdle(); }, 5000));
        QCOMPARE(m_server->requests().size(), 5);
        QVERIFY(m_server->maxSimultaneousConnections() <= 3);
        for (int i = 0; i < 3; ++i)
            QVERIFY(cache.contains(wanted[i])); // finished although no longer wanted
        QVERIFY(!cache.contains(wanted[3]));
        QVERIFY(cache.contains(elsewhere[1]));
        QCOMPARE(cache.peek(elsewhere[0])->format(), QImage::Format_RGB32);
        QVERIFY(!QDir(m_cacheDir->path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot));
    }

    void missingTilesAreNotAskedAgain_failuresAfterThirtySeconds()
    {
        FakeClock clock;
        const TileId missing{9, 450, 200};
        const TileId broken{9, 451, 200};
        m_server->setRoute(pathOf(missing), FakeResponse::error(404));
        m_server->setRoute(pathOf(broken), FakeResponse::error(503));
        TileImageCache cache(64 << 20);
        BaseMapLoader loader(options(), &cache);
        const QList<Key> wanted{{missing, BaseMapLoader::Light}, {broken, BaseMapLoader::Light}};
        loader.setWanted(wanted);
        QVERIFY(QTest::qWaitFor([&] { return loader.isIdle(); }, 3000));
        QCOMPARE(loader.counters().downloadsFailed, 2);

        clock.advance(29s);
        loader.setWanted(wanted);
        QVERIFY(loader.isIdle());
        clock.advance(2s);
        loader.setWanted(wanted);
        QVERIFY(QTest::qWaitFor([&] { return loader.isIdle(); }, 3000));
        QCOMPARE(m_server->requestCount(pathOf(missing)), 1);
        QCOMPARE(m_server->requestCount(pathOf(broken)), 2);
    }

    // Least recently used tiles go first when the budget is exceeded; pinned ones stay.
    void memoryCacheEvictsLeastRecentUnpinned()
    {
        const QImage tile(256, 256, QImage::Format_RGB32); // 256 KiB
        TileImageCache cache(3 * tile.sizeInBytes());
        const auto key = [](int x) { return Key{{8, x, 0}, BaseMapLoader::Light}; };
        cache.setPinned({key(0)});
        for (int x = 0; x < 3; ++x)
            cache.insert(key(x), tile);
        QVERIFY(cache.find(key(1))); // 2 is now the oldest unpinned
        cache.insert(key(3), tile);
        QVERIFY(cache.contains(key(0)) && cache.contains(key(1)) && cache.contains(key(3)));
        QVERIFY(!cache.contains(key(2)));
        QCOMPARE(cache.bytes(), 3 * tile.sizeInBytes());

        // Pinned tiles alone may exceed the budget.
        cache.setPinned({key(0), key(1), key(3), key(4)});
        cache.insert(key(4), tile);
        QCOMPARE(cache.count(), 4);
        cache.setPinned({});
        QCOMPARE(cache.count(), 3);
        QVERIFY(!cache.contains(key(0)));
    }

    // The dark map is the light picture with inverted luminance, made from memory.
    void darkTilesComeFromTheLightPicture()
    {
        serveLand();
        TileImageCache cache(64 << 20);
        BaseMapLoader loader(options(), &cache);
        QSignalSpy ready(&loader, &BaseMapLoader::tileReady);
        const TileId tile{6, 56, 25};
        loader.setWanted({{tile, BaseMapLoader::Light}});
        QVERIFY(ready.wait(3000));
        loader.setWanted({{tile, BaseMapLoader::Dark}});
        QVERIFY(QTest::qWaitFor([&] { return cache.contains({tile, BaseMapLoader::Dark}); }, 3000));
        QCOMPARE(m_server->requests().size(), 1);
        QCOMPARE(loader.counters().darkTilesDerived, 1);
        const QImage light = *cache.peek({tile, BaseMapLoader::Light});
        const QImage dark = *cache.peek({tile, BaseMapLoader::Dark});
        const QColor sea = light.pixelColor(0, 0);
        QCOMPARE(sea, LandTiles::kSea);
        QVERIFY(dark.pixelColor(0, 0).lightness() < 80);
        QVERIFY(dark.pixelColor(0, 0).blue() > dark.pixelColor(0, 0).red()); // still blue
    }
};

SHIGUREN_GUILESS_TEST(TestBaseMapLoader)
#include "tst_basemaploader.moc"
