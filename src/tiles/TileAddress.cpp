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
    }
    return {};
}

QUrl tileUrl(const RadarFrame& frame, const QString& member, const TileId& tile)
{
    const bool nowcast = frame.product == RadarProduct::Nowcast;
    const QString dir = nowcast ? QStringLiteral("nowc") : QStringLiteral("rasrf");
    const QString element = nowcast ? QStringLiteral("hrpns") : QStringLiteral("rasrf");
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
