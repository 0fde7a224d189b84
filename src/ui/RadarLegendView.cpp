#include "ui/RadarLegendView.h"

#include "ui/PaneStyle.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

QFont titleFont()
{
    return PaneStyle::font(10, QFont::DemiBold);
}

QFont legendLabelFont()
{
    return PaneStyle::tabularDigits(PaneStyle::font(8));
}

int lineHeight(const QFont& font)
{
    return int(std::ceil(QFontMetricsF(font).height()));
}

QList<int> widthsOf(const QList<RadarLegendView::Step>& steps)
{
    const QFontMetricsF metrics(legendLabelFont());
    QList<int> widths;
    for (const RadarLegendView::Step& step : steps)
        widths.append(std::max(RadarLegendView::kSwatch.width(),
                               int(std::ceil(metrics.horizontalAdvance(step.label)))));
    return widths;
}

int scaleHeight()
{
    return lineHeight(titleFont()) + RadarLegendView::kRowSpacing +
           RadarLegendView::kSwatch.height() + RadarLegendView::kLabelSpacing +
           lineHeight(legendLabelFont());
}

} // namespace

const QList<RadarLegendView::Step>& RadarLegendView::steps()
{
    // The agency's colour scale, lightest rain first.
    static const QList<Step> list{
        {QColor(242, 242, 255), QStringLiteral("0.1")},
        {QColor(160, 210, 255), QStringLiteral("1")},
        {QColor(33, 140, 255), QStringLiteral("5")},
        {QColor(0, 65, 255), QStringLiteral("10")},
        {QColor(250, 245, 0), QStringLiteral("20")},
        {QColor(255, 153, 0), QStringLiteral("30")},
        {QColor(255, 40, 0), QStringLiteral("50")},
        {QColor(180, 0, 104), QStringLiteral("80")},
    };
    return list;
}

QString RadarLegendView::title()
{
    return QStringLiteral("降水強度（mm/h）");
}

QList<RadarLegendView::Scale> RadarLegendView::hazardScales(const QList<QColor>& thunder,
                                                            const QList<QColor>& tornado)
{
    QList<Scale> scales;
    const auto add = [&](const QString& title, const QList<QColor>& colours, int levels) {
        if (colours.isEmpty())
            return;
        Scale scale{title, {}};
        for (int level = 1; level <= std::min(levels, int(colours.size())); ++level)
            scale.steps.append({colours[level - 1], QString::number(level)});
        scales.append(scale);
    };
    add(QStringLiteral("雷活動度"), thunder, 4);
    add(QStringLiteral("竜巻発生確度"), tornado, 2);
    return scales;
}

RadarLegendView::RadarLegendView(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QList<int> RadarLegendView::entryWidths() const
{
    return widthsOf(steps());
}

void RadarLegendView::setExtraScales(const QList<Scale>& scales)
{
    if (scales == m_extraScales)
        return;
    m_extraScales = scales;
    updateGeometry();
    update();
}

QList<RadarLegendView::Scale> RadarLegendView::scales() const
{
    return QList<Scale>{{title(), steps()}} + m_extraScales;
}

QSize RadarLegendView::sizeHint() const
{
    int width = 0;
    const QFontMetricsF titleMetrics(titleFont());
    for (const Scale& scale : scales()) {
        const QList<int> widths = widthsOf(scale.steps);
        width = std::max({width, std::accumulate(widths.begin(), widths.end(), 0),
                          int(std::ceil(titleMetrics.horizontalAdvance(scale.title)))});
    }
    const int count = int(scales().size());
    const int height = count * scaleHeight() + (count - 1) * kScaleSpacing;
    return {width + 2 * kPadding, height + 2 * kPadding};
}

void RadarLegendView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor secondary = PaneStyle::secondaryText(palette());
    const int titleHeight = lineHeight(titleFont());
    const int labelHeight = lineHeight(legendLabelFont());

    int y = kPadding;
    for (const Scale& scale : scales()) {
        painter.setFont(titleFont());
        painter.setPen(secondary);
        painter.drawText(QRect(kPadding, y, width() - 2 * kPadding, titleHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, scale.title);
        y += titleHeight + kRowSpacing;

        // Whole-pixel swatches side by side, so the bar has no seams at any pixel ratio.
        const QList<int> widths = widthsOf(scale.steps);
        painter.setFont(legendLabelFont());
        int x = kPadding;
        for (qsizetype i = 0; i < scale.steps.size(); ++i) {
            const Step& step = scale.steps[i];
            const int entry = widths[i];
            painter.fillRect(
                QRect(x + (entry - kSwatch.width()) / 2, y, kSwatch.width(), kSwatch.height()),
                step.color);
            painter.drawText(QRect(x, y + kSwatch.height() + kLabelSpacing, entry, labelHeight),
                             Qt::AlignHCenter | Qt::AlignVCenter, step.label);
            x += entry;
        }
        y += kSwatch.height() + kLabelSpacing + labelHeight + kScaleSpacing;
    }
}

void RadarLegendView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::ApplicationFontChange)
        updateGeometry();
}
