#pragma once

#include "platform/AgencyTime.h"

// The radar lists' basetime and validtime, the agency's compact UTC stamps
// ("yyyyMMddHHmmss"); read and written as every agency time stamp is.
namespace JMATime {

inline std::optional<QDateTime> parse(const QString& stamp)
{
    return AgencyTime::parseStamp(stamp);
}

inline QString format(const QDateTime& instant)
{
    return AgencyTime::formatStamp(instant);
}

} // namespace JMATime
