#include "weather/JapaneseHoliday.h"

#include "platform/JapanTime.h"

#include <cmath>

namespace {

bool isMonday(QDate day)
{
    return day.dayOfWeek() == Qt::Monday;
}

bool isSunday(QDate day)
{
    return day.dayOfWeek() == Qt::Sunday;
}

// The n-th Monday of a month falls on day 7n−6 … 7n.
bool isNthMonday(QDate day, int n)
{
    return isMonday(day) && day.day() >= 7 * n - 6 && day.day() <= 7 * n;
}

// The approximation that holds for the years around 1980–2099; day of month, truncated.
int equinoxDay(double base, int year)
{
    const double n = year - 1980;
    return static_cast<int>(std::trunc(base + 0.242194 * n - std::floor(n / 4.0)));
}

} // namespace

bool JapaneseHoliday::isHoliday(const QDateTime& instant)
{
    if (!instant.isValid())
        return false;
    return isHoliday(JapanTime::of(instant).date());
}

bool JapaneseHoliday::isHoliday(QDate day)
{
    if (!day.isValid())
        return false;
    if (fixedHoliday(day))
        return true;
    const QDate previous = day.addDays(-1);
    const QDate next = day.addDays(1);
    const bool afterHoliday = previous.isValid() && fixedHoliday(previous);
    // Only the day right after a Sunday holiday stands in for it.
    if (afterHoliday && isSunday(previous))
        return true;
    return afterHoliday && next.isValid() && fixedHoliday(next) && !isSunday(day);
}

bool JapaneseHoliday::fixedHoliday(QDate day)
{
    if (!day.isValid())
        return false;
    const int d = day.day();
    switch (day.month()) {
    case 1:
        return d == 1 || isNthMonday(day, 2);
    case 2:
        return d == 11 || d == 23;
    case 3:
        return d == equinoxDay(20.8431, day.year());
    case 4:
        return d == 29;
    case 5:
        return d >= 3 && d <= 5;
    case 7:
        return isNthMonday(day, 3);
    case 8:
        return d == 11;
    case 9:
        return d == equinoxDay(23.2488, day.year()) || isNthMonday(day, 3);
    case 10:
        return isNthMonday(day, 2);
    case 11:
        return d == 3 || d == 23;
    default:
        return false;
    }
}
