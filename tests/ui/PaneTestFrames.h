#pragma once

#include "FakeClock.h"
#include "radar/JMATime.h"
#include "radar/RadarFrame.h"

// Frames around the scenario's newest observation (FakeClock::scenarioNow()).
namespace PaneTestFrames {

inline RadarFrame frameAt(int minutesFromLatest, RadarFrame::Kind kind, int baseMinutes = 0)
{
    const QDateTime latest = FakeClock::scenarioNow();
    const QDateTime valid = latest.addSecs(qint64(minutesFromLatest) * 60);
    const QString base = JMATime::format(
        kind == RadarFrame::Kind::Observation ? valid : latest.addSecs(qint64(baseMinutes) * 60));
    return RadarFrame{RadarProduct::Nowcast, base, JMATime::format(valid), kind, valid};
}

// `count` observations 5 minutes apart, the last at the newest observation.
inline RadarFrames observations(int count)
{
    RadarFrames frames;
    for (int i = count - 1; i >= 0; --i)
        frames.append(frameAt(-5 * i, RadarFrame::Kind::Observation));
    return frames;
}

// Observations, nowcasts every 5 minutes to +60, then hourly forecasts from +2 h to +15 h:
// live steps at 0, 5, …, 60, 120, 180, …, 900 minutes ahead.
inline RadarFrames liveTimeline()
{
    RadarFrames frames = observations(4);
    for (int m = 5; m <= 60; m += 5)
        frames.append(frameAt(m, RadarFrame::Kind::Forecast));
    for (int h = 2; h <= 15; ++h)
        frames.append(frameAt(60 * h, RadarFrame::Kind::Forecast, -10));
    return frames;
}

} // namespace PaneTestFrames
