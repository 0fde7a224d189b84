#include "map/MapColors.h"

#include "platform/Appearance.h"

namespace MapColors {

QColor systemRed()
{
    return QColor(255, 59, 48);
}

QColor systemOrange()
{
    return QColor(255, 149, 0);
}

QColor systemYellow()
{
    return QColor(255, 204, 0);
}

QColor systemGray()
{
    return QColor(142, 142, 147);
}

QColor accent(bool dark)
{
    return (dark ? Appearance::darkPalette() : Appearance::lightPalette())
        .color(QPalette::Highlight);
}

QColor primaryLabel(bool dark)
{
    return (dark ? Appearance::darkPalette() : Appearance::lightPalette()).color(QPalette::Text);
}

QColor withAlpha(QColor color, double alpha)
{
    color.setAlphaF(float(alpha));
    return color;
}

} // namespace MapColors
