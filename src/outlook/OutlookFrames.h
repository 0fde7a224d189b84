#pragma once

#include "outlook/RainOutlook.h"
#include "radar/RadarFrame.h"

#include <QDateTime>
#include <QList>

// Which radar frames an outlook samples, and as what. Pure.
namespace OutlookFrames {

struct Pick {
    RadarFrame frame;
    RainOutlookStep::Kind kind = RainOutlookStep::Kind::Observation;
};

struct Selection {
    QDateTime newestObservation; // invalid: the frames hold no observation
    QList<Pick> picks;           // by time ascending
};

// Whether the frames hold the nowcast's hour ahead (the three-hour range with forecasts
// shown). The twelve-hour range holds hourly analyses, with no 5-minute steps to tell the
// next hour by, and with forecasts hidden there is no hour ahead at all.
bool holdsNowcast(const RadarFrames& frames);

// The nowcast's frames with the hourly forecasts of the timeline's frames added: what the
// outlook samples while the timeline lacks the nowcast.
RadarFrames withForecastsOf(const RadarFrames& nowcast, const RadarFrames& timeline);

// Observations of the hour up to the newest one, nowcast forecasts of the hour after it,
// hourly forecasts beyond that. Nothing without an observation: the hour ahead is counted
// from it.
Selection select(const RadarFrames& frames);

} // namespace OutlookFrames
