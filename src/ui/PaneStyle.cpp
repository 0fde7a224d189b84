#include "ui/PaneStyle.h"

#include "platform/Appearance.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>

namespace PaneStyle {

QFont font(int pixelSize, QFont::Weight weight)
{
    QFont result = QGuiApplication::font();
    // The application font comes second so a system without the Japanese font still shows
    // something legible.
    result.setFamilies({QStringLiteral("Noto Sans CJK JP"), result.family()});
    result.setPixelSize(pixelSize);
    result.setWeight(weight);
    return result;
}

QFont tabularDigits(const QFont& font)
{
    // Judged at a large size, where hinting cannot round unequal advances to the same pixel.
    QFont probe = font;
    probe.setPixelSize(100);
    const QFontMetricsF metrics(probe);
    const qreal zero = metrics.horizontalAdvance(QLatin1Char('0'));
    bool tabular = true;
    for (char digit = '1'; digit <= '9'; ++digit)
        tabular = tabular && qFuzzyCompare(metrics.horizontalAdvance(QLatin1Char(digit)), zero);
    if (tabular)
        return font;
    QFont fixed = font;
    // The face the desktop resolves its fixed font to: the font's own name may be an alias
    // ("Monospace") that a family list does not resolve.
    const QFontInfo desktopFixed(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    fixed.setFamilies(QStringList{desktopFixed.family()} + font.families());
    return fixed;
}

bool isDark(const QPalette& palette)
{
    return Appearance::isDarkPalette(palette);
}

QColor primaryText(const QPalette& palette)
{
    return palette.color(QPalette::Active, QPalette::WindowText);
}

QColor secondaryText(const QPalette& palette)
{
    return faded(primaryText(palette), isDark(palette) ? 0.6 : 0.55);
}

QColor accent(const QPalette& palette)
{
    return palette.color(QPalette::Active, QPalette::Highlight);
}

QColor orange(const QPalette& palette)
{
    return isDark(palette) ? QColor(255, 159, 10) : QColor(255, 149, 0);
}

QColor red(const QPalette& palette)
{
    return isDark(palette) ? QColor(255, 69, 58) : QColor(255, 59, 48);
}

QColor faded(QColor color, qreal opacity)
{
    color.setAlphaF(float(color.alphaF() * opacity));
    return color;
}

} // namespace PaneStyle
