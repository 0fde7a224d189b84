#pragma once

#include <QDateTime>
#include <QString>

// The display texts shared by the forecast header, the status bar and the slider. Dates and
// clock times are shown in the Japanese locale and the system's time zone. Numbers that are
// not finite have no reading and give "—".
namespace Fmt {

QString clock(const QDateTime& instant);           // "9:05"
QString monthDayWeekday(const QDateTime& instant); // "3/20（木）"
// How far `date` lies from `now` in whole minutes: "現在", "5分前", "1時間30分後".
QString relative(const QDateTime& date, const QDateTime& now);
QString duration(double seconds);         // hours and minutes, "12:34"
QString temperature(double celsius);      // "22°C"
QString temperatureShort(double celsius); // "22°"

} // namespace Fmt
