#include "weather/Fmt.h"

#include <QLocale>

#include <cmath>
#include <cstdlib>

namespace Fmt {

namespace {

const QLocale& japanese()
{
    static const QLocale locale(QLocale::Japanese, QLocale::Japan);
    return locale;
}

const QString kNoValue = QStringLiteral("—");

} // namespace

QString clock(const QDateTime& instant)
{
    return japanese().toString(instant.toLocalTime().time(), QStringLiteral("H:mm"));
}

QString monthDayWeekday(const QDateTime& instant)
{
    const QDate day = instant.toLocalTime().date();
    return japanese().toString(day, QStringLiteral("M/d")) + u'（' +
           japanese().dayName(day.dayOfWeek(), QLocale::NarrowFormat) + u'）';
}

QString relative(const QDateTime& date, const QDateTime& now)
{
    const double seconds = static_cast<double>(now.msecsTo(date)) / 1000.0;
    const long long minutes = std::llround(seconds / 60.0);
    if (minutes == 0)
        return QStringLiteral("現在");
    const long long a = std::llabs(minutes);
    const QString amount =
        a < 60 ? QString::number(a)
               : QString::number(a / 60) + QStringLiteral("時間") + QString::number(a % 60);
    return amount + (minutes < 0 ? QStringLiteral("分前") : QStringLiteral("分後"));
}

QString duration(double seconds)
{
    if (!std::isfinite(seconds))
        return kNoValue;
    const long long s = std::llround(seconds);
    const long long h = s / 3600;
    const long long m = (s - 3600 * h) / 60;
    return QString::asprintf("%lld:%02lld", h, m);
}

QString temperature(double celsius)
{
    if (!std::isfinite(celsius))
        return kNoValue;
    return QString::number(std::llround(celsius)) + QStringLiteral("°C");
}

QString temperatureShort(double celsius)
{
    if (!std::isfinite(celsius))
        return kNoValue;
    return QString::number(std::llround(celsius)) + QStringLiteral("°");
}

} // namespace Fmt
