#include "weather/WindDirection.h"

#include <cmath>

QString windDirectionLabel(double degrees)
{
    static const char16_t* const kLabels[16] = {
        u"北", u"北北東", u"北東", u"東北東", u"東", u"東南東", u"南東", u"南南東",
        u"南", u"南南西", u"南西", u"西南西", u"西", u"西北西", u"北西", u"北北西"};
    // The index below would be meaningless (and could leave the table) for these.
    if (!std::isfinite(degrees))
        return QString();
    const double normalised = std::fmod(std::fmod(degrees, 360.0) + 360.0, 360.0);
    const auto index = static_cast<int>(std::round(normalised / 22.5)) % 16;
    return QString::fromUtf16(kLabels[index]);
}
