#include "map/MapFonts.h"

#include <cmath>

namespace MapFonts {

QFont labelFont(double points, QFont::Weight weight)
{
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    // Map points are logical pixels; a pixel size keeps labels the same size on every
    // screen, whatever its dots per inch.
    font.setPixelSize(std::max(1, int(std::lround(points))));
    font.setWeight(weight);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

} // namespace MapFonts
