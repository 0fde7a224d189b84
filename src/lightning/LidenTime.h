#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// Observation times of the lightning files, "yyyy/MM/dd HH:mm:ss.SSS" in Japan Standard
// Time. Parsing is exact (ASCII digits, fixed separators, three fraction digits) and does
// not depend on the user's locale or time zone. The result is in UTC.
namespace LidenTime {

std::optional<QDateTime> parse(const QString& text);

} // namespace LidenTime
