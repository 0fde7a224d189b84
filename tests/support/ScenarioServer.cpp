#include "ScenarioServer.h"

#include "HazardTiles.h"
#include "TestData.h"

#include <memory>

namespace {

FakeResponse json(const QString& fixture)
{
    return FakeResponse::json(TestData::read(fixture));
}

const QString kLists = QStringLiteral("/bosai/jmatile/data/");

// Thunder activity over the scenario's storm north-west of Tokyo (every level, about 35 km
// across) and tornado likelihood in its south-east part; the agency's empty placeholder
// elsewhere. Nothing for an address whose last three parts are not z/x/y.
std::optional<QByteArray> hazardTile(const QString& path, const QByteArray& empty)
{
    const bool thunder = path.contains(QLatin1String("/surf/thns/"));
    if (!thunder && !path.contains(QLatin1String("/surf/trns/")))
        return std::nullopt;
    const QStringList parts = path.chopped(4).split(u'/');
    if (parts.size() < 3)
        return std::nullopt;
    const int z = parts.at(parts.size() - 3).toInt();
    const int x = parts.at(parts.size() - 2).toInt();
    const int y = parts.last().toInt();
    const std::optional<QByteArray> storm =
        thunder ? HazardTiles::storm(HazardTiles::thunderColours(), 35.80, 139.60, 70, z, x, y)
                : HazardTiles::storm(HazardTiles::tornadoColours(), 35.74, 139.70, 22, z, x, y);
    return storm.value_or(empty);
}

} // namespace

namespace ScenarioServer {

void serveRadarLists(FakeHttpServer& server)
{
    server.setRoute(kLists + QLatin1String("nowc/targetTimes_N1.json"),
                    json(QStringLiteral("jma/nowc/targetTimes_N1.json")));
    server.setRoute(kLists + QLatin1String("nowc/targetTimes_N2.json"),
                    json(QStringLiteral("jma/nowc/targetTimes_N2.json")));
    server.setRoute(kLists + QLatin1String("rasrf/targetTimes.json"),
                    json(QStringLiteral("jma/rasrf/targetTimes.json")));
}

void serveLightning(FakeHttpServer& server)
{
    server.setRoute(kLists + QLatin1String("nowc/targetTimes_N3.json"),
                    json(QStringLiteral("jma/nowc/targetTimes_N3.json")));
    server.setRoute(kLists + QLatin1String("nowc/20250829053000/none/20250829053000/surf/liden/"
                                           "data.geojson?id=liden"),
                    json(QStringLiteral("jma/liden/scenario_20250829053000.geojson")));
}

void serveTyphoons(FakeHttpServer& server)
{
    const QString base = QStringLiteral("/bosai/typhoon/data/");
    server.setRoute(base + QLatin1String("targetTc.json"),
                    json(QStringLiteral("jma/typhoon/scenario/targetTc.json")));
    for (const char* id : {"TC2514", "TC2516"}) {
        for (const char* document : {"forecast.json", "specifications.json"}) {
            server.setRoute(base + QLatin1String(id) + u'/' + QLatin1String(document),
                            json(QStringLiteral("jma/typhoon/scenario/") + QLatin1String(id) +
                                 u'/' + QLatin1String(document)));
        }
    }
}

void serveForecast(FakeHttpServer& server)
{
    server.setRoute(QStringLiteral("/v1/forecast"),
                    json(QStringLiteral("openmeteo/forecast_tokyo_16d.json")));
}

void serveTilesAndGeocoder(FakeHttpServer& server, FakeHttpServer::Handler more)
{
    server.setHandler(tilesAndGeocoder(std::move(more)));
}

FakeHttpServer::Handler tilesAndGeocoder(FakeHttpServer::Handler more)
{
    const QByteArray rain = TestData::read(QStringLiteral("jma/tiles/hrpns_rain_blobs_p4.png"));
    const QByteArray empty = TestData::read(QStringLiteral("jma/tiles/empty_placeholder_rgba.png"));
    auto hazards = std::make_shared<QHash<QString, QByteArray>>();
    const QByteArray search =
        TestData::read(QStringLiteral("geocoding/gsi/address_search_reconstructed_chiyoda.json"));
    const QByteArray reverse =
        TestData::read(QStringLiteral("geocoding/gsi/reverse_tokyo_station.json"));
    return [=](const RecordedRequest& request) -> std::optional<FakeResponse> {
        if (request.path.startsWith(kLists) && request.path.endsWith(QLatin1String(".png"))) {
            if (auto known = hazards->constFind(request.path); known != hazards->cend())
                return FakeResponse::png(*known);
            if (auto hazard = hazardTile(request.path, empty))
                return FakeResponse::png(*hazards->insert(request.path, *hazard));
            return FakeResponse::png(rain);
        }
        if (request.path.endsWith(QLatin1String("/AddressSearch")))
            return FakeResponse::json(search);
        if (request.path.endsWith(QLatin1String("/LonLatToAddress")))
            return FakeResponse::json(reverse);
        return more ? more(request) : std::nullopt;
    };
}

void serveAll(FakeHttpServer& server, FakeHttpServer::Handler more)
{
    serveRadarLists(server);
    serveLightning(server);
    serveTyphoons(server);
    serveForecast(server);
    serveTilesAndGeocoder(server, std::move(more));
}

} // namespace ScenarioServer
