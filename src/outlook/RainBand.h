#pragma once

#include <QColor>
#include <QString>

#include <optional>

// The agency's precipitation classes as the radar legend shows them. Band 0 is no rain;
// bands 1–8 start at 0.1, 1, 5, 10, 20, 30, 50 and 80 mm/h. Pure, safe on any thread.
namespace RainBand {

inline constexpr int kDry = 0;
inline constexpr int kHighest = 8;

// Lower bound in mm/h (0 for no rain).
double lowerBound(int band);
// Upper bound in mm/h: none above 80; 0 for no rain.
std::optional<double> upperBound(int band);

// The legend colour of a band 1–8 (invalid for no rain).
QColor color(int band);

// "5〜10 mm/h", "80 mm/h以上"; empty for no rain.
QString rangeText(int band);

// The smallest band whose lower bound is at least `mmPerHour` (a threshold the user picks).
int atLeast(double mmPerHour);

} // namespace RainBand
