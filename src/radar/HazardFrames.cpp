#include "radar/HazardFrames.h"

#include "radar/TimelineAssembly.h"

namespace HazardFrames {

RadarFrames fromList(const QList<TargetTimeEntry>& entries, RadarProduct product)
{
    QList<TargetTimeEntry> observed;
    QList<TargetTimeEntry> forecast;
    for (const TargetTimeEntry& entry : entries)
        (entry.isObservation() ? observed : forecast).append(entry);
    const QString element = agencyElement(product);
    using TimelineAssembly::framesFrom;
    return TimelineAssembly::merge(
        framesFrom(observed, element, product, RadarFrame::Kind::Observation),
        TimelineAssembly::newestRunsFirst(
            framesFrom(forecast, element, product, RadarFrame::Kind::Forecast)));
}

std::optional<RadarFrame> matching(const RadarFrames& frames, const RadarFrame& radar)
{
    std::optional<RadarFrame> best;
    for (const RadarFrame& frame : frames) {
        if (radar.isObservation() && frame.isForecast())
            continue;
        const qint64 age = frame.date.secsTo(radar.date);
        if (age < 0 || age > kReachSeconds)
            continue;
        if (!best || frame.date > best->date)
            best = frame;
    }
    return best;
}

} // namespace HazardFrames
