#include "typhoon/TyphoonTime.h"

#include <QTimeZone>

namespace TyphoonTime {

namespace {

// Checks `text` against `pattern` where 'd' stands for an ASCII digit.
bool matches(QStringView text, QStringView pattern)
{
    if (text.size() != pattern.size())
        return false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = text.at(i);
        const bool ok = pattern.at(i) == u'd' ? (c >= u'0' && c <= u'9') : c == pattern.at(i);
        if (!ok)
            return false;
    }
    return true;
}

int digits(QStringView s, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i)
        value = value * 10 + (s.at(i).unicode() - u'0');
    return value;
}

} // namespace

std::optional<QDateTime> parse(const QString& text)
{
    const QStringView view(text);
    if (view.size() < 20 || !matches(view.first(19), u"dddd-dd-ddTdd:dd:dd"))
        return std::nullopt;

    const QStringView zone = view.sliced(19);
    int offsetSeconds = 0;
    if (zone != u"Z") {
        if (!matches(zone.sliced(1), u"dd:dd") || (zone.at(0) != u'+' && zone.at(0) != u'-'))
            return std::nullopt;
        const int hours = digits(zone, 1, 2);
        const int minutes = digits(zone, 4, 2);
        if (hours > 23 || minutes > 59)
            return std::nullopt;
        offsetSeconds = (zone.at(0) == u'-' ? -1 : 1) * (hours * 3600 + minutes * 60);
    }

    const QDate date(digits(view, 0, 4), digits(view, 5, 2), digits(view, 8, 2));
    const QTime time(digits(view, 11, 2), digits(view, 14, 2), digits(view, 17, 2));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    const QTimeZone offset(offsetSeconds);
    if (!offset.isValid()) // beyond the ±14 h that real zones use
        return std::nullopt;
    return QDateTime(date, time, offset).toUTC();
}

QDateTime distantPast()
{
    return QDateTime(QDate(1, 1, 1), QTime(0, 0), QTimeZone::utc());
}

} // namespace TyphoonTime
