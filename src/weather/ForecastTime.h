#pragma once

#include <QDateTime>
#include <QString>
#include <QTimeZone>

#include <optional>

// The forecast's local times, read in fixed formats (ASCII digits, Gregorian calendar)
// whatever the user's locale and the system's time zone are.
namespace ForecastTime {

// Asia/Tokyo, the zone the forecast is requested in and holidays are counted in; the
// system's zone if the platform does not know it.
QTimeZone japanTimeZone();

// "yyyy-MM-ddTHH:mm" (hourly times, sunrise and sunset) in `zone`; nothing unless the text
// is exactly that shape and a real date and time.
std::optional<QDateTime> parseLocalDateTime(const QString& text, const QTimeZone& zone);
// "yyyy-MM-dd" (daily times): 00:00 of that day in `zone`.
std::optional<QDateTime> parseDay(const QString& text, const QTimeZone& zone);

} // namespace ForecastTime
