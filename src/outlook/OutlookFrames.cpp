#include "outlook/OutlookFrames.h"

#include <algorithm>

namespace OutlookFrames {
namespace {

constexpr qint64 kHourSeconds = 3600;

bool isHourlyForecast(const RadarFrame& frame)
{
    return frame.product == RadarProduct::Analysis && frame.isForecast();
}

std::optional<RainOutlookStep::Kind> kindAt(const RadarFrame& frame, const QDateTime& newest)
{
    const QDateTime hourBefore = newest.addSecs(-kHourSeconds);
    const QDateTime hourAfter = newest.addSecs(kHourSeconds);
    if (frame.isObservation()) {
        if (frame.date >= hourBefore && frame.date <= newest)
            return RainOutlookStep::Kind::Observation;
        return std::nullopt;
    }
    if (frame.product == RadarProduct::Nowcast) {
        if (frame.date > newest && frame.date <= hourAfter)
            return RainOutlookStep::Kind::Nowcast;
        return std::nullopt;
    }
    if (frame.date > hourAfter)
        return RainOutlookStep::Kind::Forecast;
    return std::nullopt;
}

} // namespace

bool holdsNowcast(const RadarFrames& frames)
{
    return std::any_of(frames.cbegin(), frames.cend(), [](const RadarFrame& frame) {
        return frame.product == RadarProduct::Nowcast && frame.isForecast();
    });
}

RadarFrames withForecastsOf(const RadarFrames& nowcast, const RadarFrames& timeline)
{
    RadarFrames frames = nowcast;
    std::copy_if(timeline.cbegin(), timeline.cend(), std::back_inserter(frames), isHourlyForecast);
    return frames;
}

Selection select(const RadarFrames& frames)
{
    Selection selection;
    for (const RadarFrame& frame : frames) {
        if (frame.isObservation() &&
            (!selection.newestObservation.isValid() || frame.date > selection.newestObservation))
            selection.newestObservation = frame.date;
    }
    if (!selection.newestObservation.isValid())
        return selection;
    for (const RadarFrame& frame : frames) {
        if (const auto kind = kindAt(frame, selection.newestObservation))
            selection.picks.append({frame, *kind});
    }
    std::stable_sort(selection.picks.begin(), selection.picks.end(),
                     [](const Pick& a, const Pick& b) { return a.frame.date < b.frame.date; });
    return selection;
}

} // namespace OutlookFrames
