#pragma once

#include "radar/RadarFrame.h"
#include "radar/TargetTimeEntry.h"

#include <optional>

// The thunder and tornado nowcasts on the radar's clock. The agency lists them in nowcast
// list 3 every 10 minutes: an observation at each base time and, for the newest one, a
// forecast every 10 minutes up to an hour ahead. Pure functions on plain data.
namespace HazardFrames {

// How far a hazard frame reaches after its valid time: the agency issues one every ten
// minutes, so an older one is no longer the current state.
inline constexpr qint64 kReachSeconds = 600;

// The frames of `product` (ThunderNowcast or TornadoNowcast) in a list: every observation
// that carries its element and the forecasts of the newest run, by date ascending, one per
// valid time (an observation wins over a forecast of the same time).
RadarFrames fromList(const QList<TargetTimeEntry>& entries, RadarProduct product);

// The frame that belongs to a radar frame: the newest at or before it, at most
// kReachSeconds older. An observed radar frame takes observations only; a forecast one also
// takes forecasts. Nothing when no frame is that close.
std::optional<RadarFrame> matching(const RadarFrames& frames, const RadarFrame& radar);

} // namespace HazardFrames
