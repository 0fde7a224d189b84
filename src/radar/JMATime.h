#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// The agency's compact UTC stamps, "yyyyMMddHHmmss". Parsing is exact: fourteen ASCII
// digits forming a real Gregorian date and 24-hour time, whatever the user's locale or
// time zone. Thread-safe (no shared formatter).
namespace JMATime {

std::optional<QDateTime> parse(const QString& stamp);
QString format(const QDateTime& instant); // the inverse, in UTC

} // namespace JMATime
