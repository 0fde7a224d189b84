#include "radar/JMATime.h"

#include <QTimeZone>

namespace JMATime {

namespace {

int digits(const QString& s, int from, int count)
{
    int value = 0;
    for (int i = from; i < from + count; ++i)
        value = value * 10 + (s.at(i).unicode() - u'0');
    return value;
}

} // namespace

std::optional<QDateTime> parse(const QString& stamp)
{
    if (stamp.size() != 14)
        return std::nullopt;
    for (QChar c : stamp) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    const QDate date(digits(stamp, 0, 4), digits(stamp, 4, 2), digits(stamp, 6, 2));
    const QTime time(digits(stamp, 8, 2), digits(stamp, 10, 2), digits(stamp, 12, 2));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time, QTimeZone::utc());
}

QString format(const QDateTime& instant)
{
    return instant.toUTC().toString(QStringLiteral("yyyyMMddHHmmss"));
}

} // namespace JMATime
