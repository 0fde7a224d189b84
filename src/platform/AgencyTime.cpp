#include "platform/AgencyTime.h"

namespace AgencyTime {

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The value of the digits that stand where `shape` repeats `field`; `fallback` when the
// shape has none.
int field(QStringView text, QStringView shape, char16_t field, int fallback)
{
    const qsizetype from = shape.indexOf(QChar(field));
    if (from < 0)
        return fallback;
    int value = 0;
    for (qsizetype i = from; i < shape.size() && shape.at(i) == field; ++i)
        value = value * 10 + (text.at(i).unicode() - u'0');
    return value;
}

} // namespace

std::optional<QDateTime> parse(QStringView text, QStringView shape, const QTimeZone& zone)
{
    static const QString fields = QStringLiteral("yMdHmsz");
    if (text.size() != shape.size())
        return std::nullopt;
    for (qsizetype i = 0; i < shape.size(); ++i) {
        const bool ok =
            fields.contains(shape.at(i)) ? isDigit(text.at(i)) : text.at(i) == shape.at(i);
        if (!ok)
            return std::nullopt;
    }
    const QDate date(field(text, shape, u'y', 1), field(text, shape, u'M', 1),
                     field(text, shape, u'd', 1));
    const QTime time(field(text, shape, u'H', 0), field(text, shape, u'm', 0),
                     field(text, shape, u's', 0), field(text, shape, u'z', 0));
    if (!date.isValid() || !time.isValid() || !zone.isValid())
        return std::nullopt;
    return QDateTime(date, time, zone);
}

std::optional<QDateTime> parseStamp(QStringView stamp)
{
    return parse(stamp, u"yyyyMMddHHmmss", QTimeZone::utc());
}

QString formatStamp(const QDateTime& instant)
{
    return instant.toUTC().toString(QStringLiteral("yyyyMMddHHmmss"));
}

std::optional<QDateTime> parseIso(QStringView text)
{
    if (text.size() < 20)
        return std::nullopt;
    const QStringView suffix = text.sliced(19);
    int offsetSeconds = 0;
    if (suffix != u"Z") {
        const std::optional<QDateTime> offset = parse(suffix.sliced(1), u"HH:mm", QTimeZone::utc());
        if (!offset || (suffix.at(0) != u'+' && suffix.at(0) != u'-'))
            return std::nullopt;
        offsetSeconds =
            (suffix.at(0) == u'-' ? -1 : 1) * offset->time().msecsSinceStartOfDay() / 1000;
    }
    // A zone beyond the ±14 h that real zones use is invalid, and so is the time.
    const std::optional<QDateTime> local =
        parse(text.first(19), u"yyyy-MM-ddTHH:mm:ss", QTimeZone(offsetSeconds));
    if (!local)
        return std::nullopt;
    return local->toUTC();
}

} // namespace AgencyTime
