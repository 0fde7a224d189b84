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

// The sentence, then what thunder or tornado nowcasts say about the hour at the place
// ("雷の可能性（活動度N）", "竜巻などの激しい突風の可能性"), for the header, the notification and
// the tray. A stale outlook says only that it cannot tell.
QString fullText(const RainOutlook& outlook, const QDateTime& now);

} // namespace RainOutlookText
