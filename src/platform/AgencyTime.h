#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>
#include <QTimeZone>

#include <optional>

// The time stamps of the data services, read exactly (ASCII digits, Gregorian calendar, a
// real date and 24-hour time) whatever the user's locale and the computer's zone. Nothing
// comes back for text of any other shape. Thread-safe.
namespace AgencyTime {

// Reads `text` laid out as `shape`, a date-time format in which y, M, d, H, m, s and z
// (milliseconds) each stand for one digit of their field and any other character stands
// for itself; fields the shape leaves out are the start of their range. The time is
// `zone`'s.
std::optional<QDateTime> parse(QStringView text, QStringView shape, const QTimeZone& zone);

// The compact stamps of the tile lists ("20250829053000"), in UTC.
std::optional<QDateTime> parseStamp(QStringView stamp);
QString formatStamp(const QDateTime& instant); // the inverse, in UTC

// ISO 8601 internet date-time with seconds and a zone ("Z" or "±hh:mm"), no fraction, e.g.
// "2024-08-29T21:00:00+09:00"; the result is in UTC.
std::optional<QDateTime> parseIso(QStringView text);

} // namespace AgencyTime
