#pragma once

#include <QDateTime>
#include <QTimeZone>

// Time as it reads in Japan, whatever the computer's zone and whether it has a zone
// database. Japan has kept UTC+09:00 all year since 1951, so a fixed offset is exact for
// every time the program meets.
namespace JapanTime {

QTimeZone zone();
// The program clock's now, in Japan.
QDateTime now();
// The same instant, in Japan.
QDateTime of(const QDateTime& instant);

} // namespace JapanTime
