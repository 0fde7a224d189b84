#pragma once

#include "geo/GeoTypes.h"

// Tokyo station, and the first place of the Chiyoda fixtures.
inline const GeoCoordinate kTokyo{35.6812, 139.7671};
inline const GeoCoordinate kChiyoda{35.685175, 139.753634};
