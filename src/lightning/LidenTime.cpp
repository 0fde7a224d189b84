#include "lightning/LidenTime.h"

#include <QTimeZone>

namespace LidenTime {

namespace {

const QTimeZone& japan()
{
    // Japan has kept +09:00 all year since 1951, so a fixed offset stands in when the
    // system has no zone database.
    static const QTimeZone zone = [] {
        QTimeZone tokyo(QByteArrayLiteral("Asia/Tokyo"));
        return tokyo.isValid() ? tokyo : QTimeZone(9 * 3600);
    }();
    return zone;
}

bool isDigitAt(const QString& s, qsizetype i)
{
    return s.at(i) >= u'0' && s.at(i) <= u'9';
}

int digits(const QString& s, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i)
        value = value * 10 + (s.at(i).unicode() - u'0');
    return value;
}

} // namespace

std::optional<QDateTime> parse(const QString& text)
{
    static const QString pattern = QStringLiteral("dddd/dd/dd dd:dd:dd.ddd");
    if (text.size() != pattern.size())
        return std::nullopt;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const bool ok = pattern.at(i) == u'd' ? isDigitAt(text, i) : text.at(i) == pattern.at(i);
        if (!ok)
            return std::nullopt;
    }
    const QDate date(digits(text, 0, 4), digits(text, 5, 2), digits(text, 8, 2));
    const QTime time(digits(text, 11, 2), digits(text, 14, 2), digits(text, 17, 2),
                     digits(text, 20, 3));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time, japan()).toUTC();
}

} // namespace LidenTime
