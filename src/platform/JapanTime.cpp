#include "platform/JapanTime.h"

#include "platform/Clock.h"

namespace JapanTime {

QTimeZone zone()
{
    static const QTimeZone japan(9 * 3600);
    return japan;
}

QDateTime now()
{
    return of(Clock::current().now());
}

QDateTime of(const QDateTime& instant)
{
    return instant.toTimeZone(zone());
}

} // namespace JapanTime
