#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// Time stamps of the typhoon documents: ISO 8601 internet date-time with seconds and a
// zone ("Z" or "+09:00"), no fraction, e.g. 2024-08-29T21:00:00+09:00. Parsing is exact and
// independent of the user's locale and time zone; the result is in UTC.
namespace TyphoonTime {

std::optional<QDateTime> parse(const QString& text);

// What an issue time that does not parse stands for: 0001-01-01 00:00:00 UTC, before any
// real issue.
QDateTime distantPast();

} // namespace TyphoonTime
