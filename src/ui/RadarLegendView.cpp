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

RadarLegendView::RadarLegendView(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QList<int> RadarLegendView::entryWidths() const
{
    const QFontMetricsF metrics(legendLabelFont());
    QList<int> widths;
    for (const Step& step : steps())
        widths.append(
            std::max(kSwatch.width(), int(std::ceil(metrics.horizontalAdvance(step.label)))));
    return widths;
}

QSize RadarLegendView::sizeHint() const
{
    const QList<int> widths = entryWidths();
    const int bar = std::accumulate(widths.begin(), widths.end(), 0);
    const int titleWidth = int(std::ceil(QFontMetricsF(titleFont()).horizontalAdvance(title())));
    const int height = lineHeight(titleFont()) + kRowSpacing + kSwatch.height() + kLabelSpacing +
                       lineHeight(legendLabelFont());
    return {std::max(bar, titleWidth) + 2 * kPadding, height + 2 * kPadding};
}

void RadarLegendView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor secondary = PaneStyle::secondaryText(palette());

    int y = kPadding;
    painter.setFont(titleFont());
    painter.setPen(secondary);
    const int titleHeight = lineHeight(titleFont());
    painter.drawText(QRect(kPadding, y, width() - 2 * kPadding, titleHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, title());
    y += titleHeight + kRowSpacing;

    // Whole-pixel swatches side by side, so the bar has no seams at any pixel ratio.
    const QList<int> widths = entryWidths();
    const int labelHeight = lineHeight(legendLabelFont());
    painter.setFont(legendLabelFont());
    int x = kPadding;
    for (qsizetype i = 0; i < steps().size(); ++i) {
        const Step& step = steps()[i];
        const int entry = widths[i];
        painter.fillRect(
            QRect(x + (entry - kSwatch.width()) / 2, y, kSwatch.width(), kSwatch.height()),
            step.color);
        painter.drawText(QRect(x, y + kSwatch.height() + kLabelSpacing, entry, labelHeight),
                         Qt::AlignHCenter | Qt::AlignVCenter, step.label);
        x += entry;
    }
}

void RadarLegendView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::ApplicationFontChange)
        updateGeometry();
}
