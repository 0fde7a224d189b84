#include "app/PrefetchPlan.h"

#include <algorithm>
#include <set>

namespace PrefetchPlan {

RadarFrames aroundCurrentFrame(const RadarFrames& frames, const std::optional<RadarFrame>& current)
{
    if (current) {
        const QString id = current->id();
        const auto found = std::find_if(frames.begin(), frames.end(),
                                        [&](const RadarFrame& frame) { return frame.id() == id; });
        if (found != frames.end()) {
            const qsizetype position = found - frames.begin();
            const qsizetype first = std::max<qsizetype>(0, position - 10);
            const qsizetype last = std::min<qsizetype>(position + 10, frames.size() - 1);
            return frames.mid(first, last - first + 1);
        }
    }
    return frames.size() <= 12 ? frames : frames.mid(frames.size() - 12);
}

int stepPosition(const QList<int>& steps, int index)
{
    const qsizetype position = steps.indexOf(index);
    return position < 0 ? 0 : int(position);
}

RadarFrames liveNeighbourhood(const RadarFrames& frames, const QList<int>& liveSteps,
                              int currentIndex, const std::function<int(int)>& minutesAhead)
{
    std::set<int> indices;
    const int current = stepPosition(liveSteps, currentIndex);
    for (int position = current - 2; position <= current + 2; ++position) {
        if (position >= 0 && position < liveSteps.size())
            indices.insert(liveSteps[position]);
    }
    for (int step : liveSteps) {
        if (minutesAhead(step) < 61)
            indices.insert(step);
    }
    RadarFrames result;
    for (int index : indices) {
        if (index >= 0 && index < frames.size())
            result.append(frames[index]);
    }
    return result;
}

} // namespace PrefetchPlan
