#include "ui/TimelineFrameLabel.h"

#include "ui/PaneStyle.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {

QFont clockFont()
{
    return PaneStyle::font(12, QFont::DemiBold);
}

QFont relativeFont()
{
    return PaneStyle::font(9);
}

QFont badgeFont()
{
    return PaneStyle::font(9, QFont::Bold);
}

QFont loadingFont()
{
    return PaneStyle::font(10);
}

QString badgeText()
{
    return QStringLiteral("予測");
}

} // namespace

TimelineFrameLabel::TimelineFrameLabel(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void TimelineFrameLabel::setLabel(const TimelineSliderView::Label& label)
{
    if (label == m_label)
        return;
    m_label = label;
    // What is painted, for a screen reader (the name change is announced to it).
    QString spoken =
        m_label.fetchFailed ? QStringLiteral("取得できません") : QStringLiteral("読み込み中");
    if (m_label.hasFrame) {
        spoken = m_label.clock + u' ' + m_label.relative;
        if (m_label.isForecast)
            spoken.prepend(QStringLiteral("予測 "));
    }
    setAccessibleName(spoken);
    update();
}

QSize TimelineFrameLabel::sizeHint() const
{
    const double column =
        QFontMetricsF(clockFont()).height() + QFontMetricsF(relativeFont()).height();
    return {TimelineSliderView::kLabelWidth, int(std::ceil(column))};
}

void TimelineFrameLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& colors = palette();
    const QColor secondary = PaneStyle::secondaryText(colors);

    if (!m_label.hasFrame) {
        painter.setFont(loadingFont());
        painter.setPen(secondary);
        painter.drawText(rect(), Qt::AlignRight | Qt::AlignVCenter,
                         m_label.fetchFailed ? QStringLiteral("取得できません")
                                             : QStringLiteral("読み込み中"));
        return;
    }

    // A trailing column: clock over relative time, both right-aligned.
    const QFontMetricsF clockMetrics(clockFont());
    const QFontMetricsF relativeMetrics(relativeFont());
    const double columnHeight = clockMetrics.height() + relativeMetrics.height();
    const double top = std::round((height() - columnHeight) / 2);
    const double columnWidth =
        std::ceil(std::max(clockMetrics.horizontalAdvance(m_label.clock),
                           relativeMetrics.horizontalAdvance(m_label.relative)));
    painter.setFont(clockFont());
    painter.setPen(PaneStyle::primaryText(colors));
    painter.drawText(QRectF(0, top, width(), clockMetrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, m_label.clock);
    painter.setFont(relativeFont());
    painter.setPen(secondary);
    painter.drawText(QRectF(0, top + clockMetrics.height(), width(), relativeMetrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, m_label.relative);

    if (!m_label.isForecast)
        return;
    const QFontMetricsF badgeMetrics(badgeFont());
    const QSizeF badgeSize(std::ceil(badgeMetrics.horizontalAdvance(badgeText())) + 8,
                           std::ceil(badgeMetrics.height()) + 2);
    const QRectF badge(width() - columnWidth - 6 - badgeSize.width(),
                       std::round((height() - badgeSize.height()) / 2), badgeSize.width(),
                       badgeSize.height());
    painter.setPen(Qt::NoPen);
    painter.setBrush(PaneStyle::faded(PaneStyle::orange(colors), 0.25));
    painter.drawRoundedRect(badge, 3, 3);
    painter.setFont(badgeFont());
    painter.setPen(PaneStyle::primaryText(colors));
    painter.drawText(badge, Qt::AlignCenter, badgeText());
}
