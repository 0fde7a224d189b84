#include "outlook/RainOutlook.h"

std::optional<RainOutlookStep> RainOutlook::current() const
{
    std::optional<RainOutlookStep> newest;
    for (const RainOutlookStep& step : steps) {
        if (step.kind == RainOutlookStep::Kind::Observation && step.time == dataTime)
            newest = step;
    }
    return newest;
}

QList<RainOutlookStep> RainOutlook::nextHour() const
{
    QList<RainOutlookStep> hour;
    if (!dataTime.isValid())
        return hour;
    const QDateTime end = dataTime.addSecs(3600);
    for (const RainOutlookStep& step : steps) {
        if (step.kind == RainOutlookStep::Kind::Nowcast && step.known && step.time > dataTime &&
            step.time <= end)
            hour.append(step);
    }
    return hour;
}
