#pragma once

#include "outlook/RainOutlook.h"

#include <QDateTime>
#include <QString>

// The one sentence the header, the tray and the command line say about an outlook.
namespace RainOutlookText {

// An outlook whose newest observation is older than this says nothing about the hour ahead.
inline constexpr qint64 kStaleSeconds = 15 * 60;

// True when the outlook cannot be told: no observation, one older than 15 minutes at `now`,
// or no nowcast for the hour after it.
bool isStale(const RainOutlook& outlook, const QDateTime& now);

// Minutes from `now` to `time`, rounded to the 5-minute data and at least 5.
int roundedMinutes(const QDateTime& now, const QDateTime& time);

QString sentence(const RainOutlook& outlook, const QDateTime& now);

} // namespace RainOutlookText
