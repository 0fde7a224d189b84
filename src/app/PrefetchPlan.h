#pragma once

#include "radar/RadarFrame.h"

#include <QList>

#include <functional>
#include <optional>

class RadarPlayer;

// Which frames to warm the tile caches for, around what the detail map shows now.
namespace PrefetchPlan {

// Animation: up to ten frames either side of the current frame (found by id); without a
// current frame in the list, the last twelve.
RadarFrames aroundCurrentFrame(const RadarFrames& frames, const std::optional<RadarFrame>& current);

// Live: the two steps either side of the current one plus every step up to 60 minutes
// ahead, as frame indices into `frames`, ascending and without repeats.
RadarFrames liveNeighbourhood(const RadarFrames& frames, const QList<int>& liveSteps,
                              int currentIndex, const std::function<int(int)>& minutesAhead);

// Position of `index` in `steps`; 0 when it is not a step.
int stepPosition(const QList<int>& steps, int index);

} // namespace PrefetchPlan
