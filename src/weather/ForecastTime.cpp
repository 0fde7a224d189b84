#include "weather/ForecastTime.h"

namespace ForecastTime {

namespace {

// `pattern` spells the shape: '9' is an ASCII digit, anything else must match as is.
bool hasShape(const QString& text, QLatin1String pattern)
{
    if (text.size() != pattern.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (pattern.at(i) == '9' ? (c < u'0' || c > u'9') : c != QLatin1Char(pattern.at(i)))
            return false;
    }
    return true;
}

int number(const QString& text, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i)
        value = value * 10 + (text.at(i).unicode() - u'0');
    return value;
}

QDate dateAtStart(const QString& text)
{
    return QDate(number(text, 0, 4), number(text, 5, 2), number(text, 8, 2));
}

} // namespace

QTimeZone japanTimeZone()
{
    static const QTimeZone zone = [] {
        QTimeZone tokyo(QByteArrayLiteral("Asia/Tokyo"));
        return tokyo.isValid() ? tokyo : QTimeZone::systemTimeZone();
    }();
    return zone;
}

std::optional<QDateTime> parseLocalDateTime(const QString& text, const QTimeZone& zone)
{
    if (!hasShape(text, QLatin1String("9999-99-99T99:99")))
        return std::nullopt;
    const QDate date = dateAtStart(text);
    const QTime time(number(text, 11, 2), number(text, 14, 2));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time, zone);
}

std::optional<QDateTime> parseDay(const QString& text, const QTimeZone& zone)
{
    if (!hasShape(text, QLatin1String("9999-99-99")))
        return std::nullopt;
    const QDate date = dateAtStart(text);
    if (!date.isValid())
        return std::nullopt;
    return QDateTime(date, QTime(0, 0), zone);
}

} // namespace ForecastTime
