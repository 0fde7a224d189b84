#pragma once

#include "radar/RadarFrame.h"
#include "radar/TargetTimeEntry.h"

#include <QDateTime>

#include <optional>

// The pure half of the radar timeline: agency list entries in, ordered frames out.
// Nothing here touches the network, so every rule is tested on plain data.
namespace TimelineAssembly {

// Entries listing `element`, as frames of `product` and `kind`; entries whose validtime
// does not parse are skipped.
RadarFrames framesFrom(const QList<TargetTimeEntry>& entries, const QString& element,
                       RadarProduct product, RadarFrame::Kind kind);

// One frame per valid time, by date ascending. Among forecasts the newest base time wins;
// an observation always wins over a forecast of the same valid time.
RadarFrames merge(const RadarFrames& observed, const RadarFrames& forecast);

// Forecast runs from the newest base time to the oldest; an older run only adds valid
// times later than everything the newer runs gave. Mixing runs frame by frame would make
// the animation jump between two forecasts on every step.
RadarFrames newestRunsFirst(const RadarFrames& forecasts);

struct ExtendedWindow {
    QDateTime after; // exclusive
    QDateTime until; // inclusive
};

struct NowcastPlan {
    RadarFrames frames;                     // observations merged with nowcast forecasts
    std::optional<ExtendedWindow> extended; // hourly forecasts still to append, if any
};

// List 1 (observations) and list 2 (nowcast forecasts) with the user's horizon in hours.
NowcastPlan planNowcast(const QList<TargetTimeEntry>& list1, const QList<TargetTimeEntry>& list2,
                        double forecastHorizonHours);

// Hourly forecasts from the rasrf list inside the window, by date ascending.
RadarFrames extendedForecastFrames(const QList<TargetTimeEntry>& rasrf,
                                   const ExtendedWindow& window);

// The twelve-hour timeline: rasrf analyses merged with the forecast runs.
RadarFrames analysisTimeline(const QList<TargetTimeEntry>& rasrf);

} // namespace TimelineAssembly
