#include "tiles/HazardAtPlace.h"

#include "tiles/AgencyTileSource.h"
#include "tiles/HazardPalette.h"
#include "tiles/TileAddress.h"

#include <algorithm>

namespace HazardAtPlace {

async::Task<int> highestLevel(AgencyTileSource& source, RadarFrames frames, GeoCoordinate place)
{
    int highest = 0;
    for (const RadarFrame& frame : frames) {
        const int z = TileAddress::deepestZoom(frame.product);
        const TileId tile = HazardPalette::placePixel(place, z).tile;
        const std::optional<QByteArray> bytes = co_await source.tileData(frame, tile);
        if (async::isCancelled())
            co_return 0;
        if (bytes)
            highest = std::max(highest, HazardPalette::levelAtPlace(*bytes, place, z));
    }
    co_return highest;
}

QString thunderLine(int level)
{
    return level > 0 ? QStringLiteral("雷の可能性（活動度%1）").arg(level) : QString();
}

QString tornadoLine(int level)
{
    return level > 0 ? QStringLiteral("竜巻などの激しい突風の可能性") : QString();
}

} // namespace HazardAtPlace
