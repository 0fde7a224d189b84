#include "tiles/TileAddress.h"

#include "platform/DataHosts.h"

namespace TileAddress {

QStringList candidateMembers(RadarProduct product)
{
    switch (product) {
    case RadarProduct::Nowcast:
        return {QStringLiteral("none")};
    case RadarProduct::Analysis:
        return {QStringLiteral("immed"), QStringLiteral("none")};
    case RadarProduct::ThunderNowcast:
    case RadarProduct::TornadoNowcast:
        return {QStringLiteral("none")};
    }
    return {};
}

int deepestZoom(RadarProduct product)
{
    switch (product) {
    case RadarProduct::Nowcast:
    case RadarProduct::Analysis:
        return 10;
    case RadarProduct::ThunderNowcast:
    case RadarProduct::TornadoNowcast:
        return 8;
    }
    return 10;
}

bool isServedZoom(RadarProduct product, int z)
{
    return z >= 0 && z <= deepestZoom(product) && z % 2 == 0;
}

QUrl tileUrl(const RadarFrame& frame, const QString& member, const TileId& tile)
{
    if (!isServedZoom(frame.product, tile.z))
        return {};
    const bool analysis = frame.product == RadarProduct::Analysis;
    const QString dir = analysis ? QStringLiteral("rasrf") : QStringLiteral("nowc");
    const QString element = agencyElement(frame.product);
    const QString path = QStringLiteral("/bosai/jmatile/data/%1/%2/%3/%4/surf/%5/%6/%7/%8.png")
                             .arg(dir, frame.basetime, member, frame.validtime, element)
                             .arg(tile.z)
                             .arg(tile.x)
                             .arg(tile.y);
    return DataHosts::join(DataHosts::current().agency, path);
}

QString memberKey(const RadarFrame& frame)
{
    return rawValue(frame.product) + QLatin1Char('/') + frame.basetime;
}

} // namespace TileAddress
