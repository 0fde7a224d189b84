#pragma once

#include "TestTime.h"
#include "outlook/RainOutlook.h"

#include <QList>

namespace rainsample {

// 14:30 in Japan, 29 August 2025: the newest observation of the sample outlooks.
inline QDateTime dataTime()
{
    return testing::utc(2025, 8, 29, 5, 30);
}

// Observations at 5-minute steps ending with the newest at dataTime() (the last of `past`),
// then 5-minute nowcast bands, then hourly forecast bands. A band of -1 is a frame that
// could not be had.
inline RainOutlook outlook(const QList<int>& past, const QList<int>& nowcast,
                           const QList<int>& hourly = {})
{
    using Kind = RainOutlookStep::Kind;
    RainOutlook result;
    result.placeName = QStringLiteral("東京都千代田区");
    result.dataTime = dataTime();
    const auto add = [&](qint64 offset, Kind kind, int band) {
        result.steps.append({dataTime().addSecs(offset), kind, std::max(band, 0), band >= 0});
    };
    for (qsizetype i = 0; i < past.size(); ++i)
        add(-300 * (past.size() - 1 - i), Kind::Observation, past[i]);
    for (qsizetype i = 0; i < nowcast.size(); ++i)
        add(300 * (i + 1), Kind::Nowcast, nowcast[i]);
    for (qsizetype i = 0; i < hourly.size(); ++i)
        add(3600 * (i + 2), Kind::Forecast, hourly[i]);
    return result;
}

} // namespace rainsample
