#pragma once

#include "geo/GeoTypes.h"
#include "platform/async/Task.h"
#include "radar/RadarFrame.h"

#include <QString>

class AgencyTileSource;

// The thunder activity and tornado likelihood at one place, for the outlook of that place:
// the level its pixel shows on the deepest served tile of each frame, and the line the
// outlook says about it.
namespace HazardAtPlace {

// The highest level at `place` over `frames` (thunder or tornado frames, say those from now
// to an hour ahead); 0 when none shows anything there or no tile could be had. Cancelled:
// 0, and nothing asked after the cancellation.
async::Task<int> highestLevel(AgencyTileSource& source, RadarFrames frames, GeoCoordinate place);

// "雷の可能性（活動度N）"; empty for level 0.
QString thunderLine(int level);
// "竜巻などの激しい突風の可能性"; empty for level 0.
QString tornadoLine(int level);

} // namespace HazardAtPlace
