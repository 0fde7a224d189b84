#pragma once

#include <QDateTime>
#include <QTimeZone>

namespace testing {

inline QDateTime utc(int y, int mo, int d, int h, int mi = 0, int s = 0, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), QTimeZone::utc());
}

} // namespace testing
