// The outlook service against a fake agency: one tile a frame, none when held, unknown steps
// for tiles that cannot be had, recomputing on a new place or new frames, superseded
// computations, and a nowcast of its own when the frames lack it.
#include "FakeClock.h"
#include "FakeDataHosts.h"
#include "HazardTiles.h"
#include "OutlookTestSupport.h"
#include "TaskTestUtils.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "outlook/RainOutlookService.h"
#include "outlook/RainSampler.h"
#include "radar/RadarTimeline.h"
#include "tiles/AgencyTileSource.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

using namespace OutlookTest;
using namespace std::chrono_literals;

namespace {

const GeoCoordinate kTokyo{35.681236, 139.767125};
const GeoCoordinate kOsaka{34.702485, 135.495951};
const QString kTokyoName = QStringLiteral("東京駅");
const QString kOsakaName = QStringLiteral("大阪駅");
constexpr int kTokyoBand = 4;
constexpr int kOsakaBand = 7;

// "/10/x/y.png", what every request for a place's tile ends with.
QString tileSuffix(GeoCoordinate place)
{
    const TileId tile = RainSampler::pixelOf(place).tile;
    return QStringLiteral("/%1/%2/%3.png").arg(tile.z).arg(tile.x).arg(tile.y);
}

// A tile with `band` on the place's own pixel and dry everywhere else.
QByteArray tileWithRainAt(GeoCoordinate place, int band)
{
    const TileMath::TilePixel at = RainSampler::pixelOf(place);
    return png(paletteTile({{QPoint(at.x, at.y), band}}));
}

int countOf(const RainOutlook& outlook, RainOutlookStep::Kind kind)
{
    return int(std::count_if(outlook.steps.cbegin(), outlook.steps.cend(),
                             [kind](const RainOutlookStep& step) { return step.kind == kind; }));
}

bool allKnownWithBand(const RainOutlook& outlook, int band)
{
    return !outlook.steps.isEmpty() &&
           std::all_of(outlook.steps.cbegin(), outlook.steps.cend(),
                       [band](const RainOutlookStep& s) { return s.known && s.band == band; });
}

} // namespace

class TestRainOutlookService : public QObject {
    Q_OBJECT

    std::optional<FakeDataHosts> m_server;
    std::unique_ptr<QTemporaryDir> m_cache;
    std::unique_ptr<AgencyTileSource> m_tiles;

    int requestsFor(const QString& fragment) const
    {
        return m_server->requestCount([&](const QString& path) { return path.contains(fragment); });
    }
    // Tokyo's and Osaka's tiles with their own bands; any other request gets a 404.
    void serveBothPlaces(FakeResponse tokyo = FakeResponse::png(tileWithRainAt(kTokyo, kTokyoBand)))
    {
        const FakeResponse osaka = FakeResponse::png(tileWithRainAt(kOsaka, kOsakaBand));
        m_server->setHandler([tokyo, osaka](const RecordedRequest& request) {
            if (request.path.endsWith(tileSuffix(kTokyo)))
                return std::optional(tokyo);
            if (request.path.endsWith(tileSuffix(kOsaka)))
                return std::optional(osaka);
            return std::optional<FakeResponse>();
        });
    }

private Q_SLOTS:
    void init()
    {
        m_server.emplace();
        QVERIFY(m_server->start());
        m_cache = std::make_unique<QTemporaryDir>();
        m_tiles = std::make_unique<AgencyTileSource>(m_cache->path(), 8 << 20, 8 << 20);
    }
    void cleanup()
    {
        m_tiles.reset();
        m_cache.reset();
        m_server.reset();
    }

    void oneTileAFrameAndNoneWhenHeld()
    {
        serveBothPlaces();
        const RadarFrames frames = threeHourFrames(180, 3);
        const std::optional<RainOutlook> first =
            runTask(RainOutlookService::compute(*m_tiles, frames, kTokyoName, kTokyo));
        QVERIFY(first);
        QCOMPARE(first->placeName, kTokyoName);
        QCOMPARE(first->dataTime, kNewest);
        QCOMPARE(countOf(*first, RainOutlookStep::Kind::Observation), 13);
        QCOMPARE(countOf(*first, RainOutlookStep::Kind::Nowcast), 12);
        QCOMPARE(countOf(*first, RainOutlookStep::Kind::Forecast), 3);
        QVERIFY(allKnownWithBand(*first, kTokyoBand));
        QCOMPARE(m_server->requests().size(), 28);
        QCOMPARE(requestsFor(tileSuffix(kTokyo)), 28);

        // The tiles are in memory now: the same outlook again, without a request.
        const std::optional<RainOutlook> again =
            runTask(RainOutlookService::compute(*m_tiles, frames, kTokyoName, kTokyo));
        QCOMPARE(again, first);
        QCOMPARE(m_server->requests().size(), 28);
    }

    void tileThatCannotBeHadGivesAnUnknownStep_data()
    {
        QTest::addColumn<FakeResponse>("answer");
        QTest::addColumn<int>("tries");
        QTest::newRow("not found") << FakeResponse::error(404) << 3;
        QTest::newRow("not a picture") << FakeResponse::png("<html>busy</html>") << 1;
    }
    void tileThatCannotBeHadGivesAnUnknownStep()
    {
        QFETCH(FakeResponse, answer);
        QFETCH(int, tries);
        const QString broken = QStringLiteral("/20250829060000/"); // the nowcast of 06:00
        const FakeResponse rain = FakeResponse::png(tileWithRainAt(kTokyo, kTokyoBand));
        m_server->setHandler([=](const RecordedRequest& request) {
            return std::optional(request.path.contains(broken) ? answer : rain);
        });
        FakeClock clock;
        std::optional<RainOutlook> result;
        async::TaskScope scope;
        scope.spawn([](async::Task<RainOutlook> compute,
                       std::optional<RainOutlook>* out) -> async::Task<void> {
            out->emplace(co_await compute);
        }(RainOutlookService::compute(*m_tiles, threeHourFrames(60, 0), kTokyoName, kTokyo),
                                                        &result));
        // The source pauses 400 ms between tries of a failed tile.
        for (int pause = 1; pause < tries; ++pause) {
            QTRY_COMPARE(requestsFor(broken), pause);
            QVERIFY(clock.waitForTimerDueIn(400ms));
            clock.advance(400ms);
        }
        QTRY_VERIFY(result);
        QCOMPARE(requestsFor(broken), tries);
        QCOMPARE(result->steps.size(), 25);
        for (const RainOutlookStep& step : result->steps) {
            const bool isBroken = step.time == kNewest.addSecs(30 * 60);
            QCOMPARE(step.known, !isBroken);
            QCOMPARE(step.band, isBroken ? 0 : kTokyoBand);
        }
        QCOMPARE(result->nextHour().size(), 11);
    }

    void newPlaceOrNewFramesComputeAgain()
    {
        serveBothPlaces();
        RainOutlookService service(*m_tiles);
        QSignalSpy changed(&service, &RainOutlookService::outlookChanged);
        RadarFrames frames = threeHourFrames(60, 0);
        service.setFrames(frames);
        service.setPlace(kTokyoName, kTokyo);
        QTRY_COMPARE(changed.size(), 1);
        QCOMPARE(service.outlook().placeName, kTokyoName);
        QCOMPARE(service.outlook().place, kTokyo);
        QVERIFY(allKnownWithBand(service.outlook(), kTokyoBand));

        service.setPlace(kOsakaName, kOsaka);
        QTRY_COMPARE(changed.size(), 2);
        QCOMPARE(service.outlook().placeName, kOsakaName);
        QVERIFY(allKnownWithBand(service.outlook(), kOsakaBand));
        QCOMPARE(requestsFor(tileSuffix(kOsaka)), 25);

        // A newer observation moves the outlook's "now" along.
        frames.append(observation(5));
        service.setFrames(frames);
        QTRY_COMPARE(changed.size(), 3);
        QCOMPARE(service.outlook().dataTime, kNewest.addSecs(300));
        QCOMPARE(countOf(service.outlook(), RainOutlookStep::Kind::Nowcast), 11);
    }

    void supersededComputationPublishesNothing()
    {
        // Tokyo's tiles take far longer than the test: the place changes while they load.
        serveBothPlaces(FakeResponse::png(tileWithRainAt(kTokyo, kTokyoBand)).withDelay(60000));
        RainOutlookService service(*m_tiles);
        QSignalSpy changed(&service, &RainOutlookService::outlookChanged);
        service.setFrames(threeHourFrames(60, 0));
        service.setPlace(kTokyoName, kTokyo);
        QTRY_VERIFY(requestsFor(tileSuffix(kTokyo)) > 0);

        service.setPlace(kOsakaName, kOsaka);
        QTRY_COMPARE(service.outlook().placeName, kOsakaName);
        // The cancelled computation's downloads ended at once: had it gone on, its outlook
        // (all unknown) would have come first.
        QCOMPARE(changed.size(), 1);
        QVERIFY(allKnownWithBand(service.outlook(), kOsakaBand));
    }

    // A thunderstorm over the place within the hour is part of the outlook; tornado frames
    // whose tiles cannot be had say nothing.
    void thunderOverThePlaceWithinTheHour()
    {
        const FakeResponse rain = FakeResponse::png(tileWithRainAt(kTokyo, kTokyoBand));
        m_server->setHandler([rain](const RecordedRequest& request) -> std::optional<FakeResponse> {
            if (request.path.endsWith(tileSuffix(kTokyo)))
                return rain;
            const QStringList parts = request.path.split(u'/');
            if (!request.path.contains(u"/thns/") || parts.size() < 3)
                return std::nullopt;
            const QString y = parts.at(parts.size() - 1).chopped(4);
            const std::optional<QByteArray> storm = HazardTiles::storm(
                HazardTiles::thunderColours(), kTokyo.latitude, kTokyo.longitude, 24,
                parts.at(parts.size() - 3).toInt(), parts.at(parts.size() - 2).toInt(), y.toInt());
            return storm ? std::optional(FakeResponse::png(*storm)) : std::nullopt;
        });
        RainOutlookService service(*m_tiles);
        service.setPlace(kTokyoName, kTokyo);
        service.setFrames(threeHourFrames(60, 0));
        QTRY_VERIFY(!service.outlook().isEmpty());
        QCOMPARE(service.outlook().thunderLevel, 0);

        const auto hazard = [](RadarProduct product, int minutes) {
            return frame(product, RadarFrame::Kind::Forecast, kNewest, minutes);
        };
        service.setHazardFrames({observation(-20, RadarProduct::ThunderNowcast),
                                 hazard(RadarProduct::ThunderNowcast, 30)},
                                {observation(0, RadarProduct::TornadoNowcast)});
        QTRY_COMPARE(service.outlook().thunderLevel, 4);
        QCOMPARE(service.outlook().tornadoLevel, 0);
        // Only the frame within the hour was asked for, not the one from twenty minutes ago.
        QCOMPARE(requestsFor(QStringLiteral("/thns/")), 1);
    }

    void framesWithoutTheNowcastGetOneOfItsOwn_data()
    {
        QTest::addColumn<RadarFrames>("frames");
        QTest::addColumn<int>("hourly");
        QTest::newRow("twelve-hour range") << twelveHourFrames() << 5;
        RadarFrames observed = threeHourFrames(180, 0);
        observed.removeIf([](const RadarFrame& frame) { return frame.isForecast(); });
        QTest::newRow("forecasts hidden") << observed << 0;
    }
    void framesWithoutTheNowcastGetOneOfItsOwn()
    {
        QFETCH(RadarFrames, frames);
        QFETCH(int, hourly);
        serveBothPlaces();
        m_server->setRoute(
            QStringLiteral("/bosai/jmatile/data/nowc/targetTimes_N1.json"),
            FakeResponse::json(TestData::read(QStringLiteral("jma/nowc/targetTimes_N1.json"))));
        m_server->setRoute(
            QStringLiteral("/bosai/jmatile/data/nowc/targetTimes_N2.json"),
            FakeResponse::json(TestData::read(QStringLiteral("jma/nowc/targetTimes_N2.json"))));

        RainOutlookService service(*m_tiles);
        service.setPlace(kTokyoName, kTokyo);
        service.setFrames(frames);
        QVERIFY(service.nowcastTimeline());
        QTRY_COMPARE(countOf(service.outlook(), RainOutlookStep::Kind::Nowcast), 12);
        QCOMPARE(service.outlook().dataTime, kNewest);
        QCOMPARE(countOf(service.outlook(), RainOutlookStep::Kind::Observation), 13);
        QCOMPARE(countOf(service.outlook(), RainOutlookStep::Kind::Forecast), hourly);
        QVERIFY(allKnownWithBand(service.outlook(), kTokyoBand));
        QCOMPARE(requestsFor(QStringLiteral("targetTimes_N1")), 1);
        QCOMPARE(requestsFor(QStringLiteral("rasrf/targetTimes")), 0);

        // Each time it is handed the frames (after each load of the app's timeline), its own
        // nowcast loads again.
        service.setFrames(frames);
        QTRY_COMPARE(requestsFor(QStringLiteral("targetTimes_N1")), 2);
    }
};

SHIGUREN_GUILESS_TEST(TestRainOutlookService)
#include "tst_rainoutlookservice.moc"
