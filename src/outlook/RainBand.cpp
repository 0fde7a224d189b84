#include "outlook/RainBand.h"

#include <algorithm>
#include <array>

namespace RainBand {
namespace {

constexpr std::array<double, kHighest + 1> kLowerBounds{0, 0.1, 1, 5, 10, 20, 30, 50, 80};

int clamped(int band)
{
    return std::clamp(band, kDry, kHighest);
}

QString number(double mmPerHour)
{
    return QString::number(mmPerHour, 'g', 3);
}

} // namespace

double lowerBound(int band)
{
    return kLowerBounds.at(size_t(clamped(band)));
}

std::optional<double> upperBound(int band)
{
    const int b = clamped(band);
    if (b == kDry)
        return 0.0;
    if (b == kHighest)
        return std::nullopt;
    return kLowerBounds.at(size_t(b + 1));
}

QColor color(int band)
{
    static const std::array<QColor, kHighest + 1> colors{
        QColor(),
        QColor(242, 242, 255),
        QColor(160, 210, 255),
        QColor(33, 140, 255),
        QColor(0, 65, 255),
        QColor(250, 245, 0),
        QColor(255, 153, 0),
        QColor(255, 40, 0),
        QColor(180, 0, 104),
    };
    return colors.at(size_t(clamped(band)));
}

QString rangeText(int band)
{
    const int b = clamped(band);
    if (b == kDry)
        return {};
    const std::optional<double> upper = upperBound(b);
    if (!upper)
        return QStringLiteral("%1 mm/h以上").arg(number(lowerBound(b)));
    return QStringLiteral("%1〜%2 mm/h").arg(number(lowerBound(b)), number(*upper));
}

int atLeast(double mmPerHour)
{
    for (int b = kDry + 1; b <= kHighest; ++b) {
        if (lowerBound(b) >= mmPerHour)
            return b;
    }
    return kHighest;
}

} // namespace RainBand
