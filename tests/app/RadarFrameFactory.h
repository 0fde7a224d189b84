#pragma once

#include "radar/JMATime.h"
#include "radar/RadarFrame.h"

#include <QList>

// Frame lists written the way the tests think about them: minutes relative to a base time.
namespace RadarFrameFactory {

inline RadarFrame frameAt(const QDateTime& base, int minutes, RadarFrame::Kind kind)
{
    RadarFrame frame;
    frame.kind = kind;
    frame.date = base.addSecs(qint64(minutes) * 60);
    frame.basetime = JMATime::format(kind == RadarFrame::Kind::Observation ? frame.date : base);
    frame.validtime = JMATime::format(frame.date);
    return frame;
}

// `observations` frames 5 minutes apart ending at `base`, then forecasts at the given minutes.
inline RadarFrames frames(const QDateTime& base, int observations,
                          const QList<int>& forecastMinutes)
{
    RadarFrames result;
    for (int i = observations - 1; i >= 0; --i)
        result.append(frameAt(base, -5 * i, RadarFrame::Kind::Observation));
    for (int minutes : forecastMinutes)
        result.append(frameAt(base, minutes, RadarFrame::Kind::Forecast));
    return result;
}

} // namespace RadarFrameFactory
