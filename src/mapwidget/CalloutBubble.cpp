#include "mapwidget/CalloutBubble.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace CalloutBubble {

namespace {

constexpr double kPaddingX = 10;
constexpr double kPaddingY = 6;
constexpr double kArrow = 7;
constexpr double kRadius = 7;

QFont titleFont()
{
    QFont font;
    font.setPixelSize(13);
    font.setWeight(QFont::DemiBold);
    return font;
}

QFont subtitleFont()
{
    QFont font;
    font.setPixelSize(11);
    return font;
}

} // namespace

QRectF frame(const QPointF& anchor, const QString& title, const QString& subtitle)
{
    const QFontMetricsF titleMetrics(titleFont());
    const QFontMetricsF subtitleMetrics(subtitleFont());
    double width = titleMetrics.horizontalAdvance(title);
    double height = titleMetrics.height();
    if (!subtitle.isEmpty()) {
        width = std::max(width, subtitleMetrics.horizontalAdvance(subtitle));
        height += subtitleMetrics.height() + 2;
    }
    width += 2 * kPaddingX;
    height += 2 * kPaddingY;
    return {anchor.x() - width / 2, anchor.y() - kArrow - height, width, height};
}

void paint(QPainter& painter, const QPointF& anchor, const QString& title, const QString& subtitle,
           bool dark)
{
    const QRectF box = frame(anchor, title, subtitle);
    QPainterPath bubble;
    bubble.addRoundedRect(box, kRadius, kRadius);
    QPainterPath arrow;
    arrow.moveTo(anchor);
    arrow.lineTo(anchor + QPointF(-kArrow, -kArrow - 1));
    arrow.lineTo(anchor + QPointF(kArrow, -kArrow - 1));
    arrow.closeSubpath();
    bubble = bubble.united(arrow);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillPath(bubble.translated(0, 1.5), QColor(0, 0, 0, 50));
    painter.fillPath(bubble, dark ? QColor(44, 44, 46) : QColor(255, 255, 255));
    painter.setPen(QPen(dark ? QColor(80, 80, 84) : QColor(0, 0, 0, 40), 0.8));
    painter.drawPath(bubble);

    const QColor text = dark ? QColor(235, 235, 240) : QColor(20, 20, 20);
    const QFontMetricsF titleMetrics(titleFont());
    double y = box.top() + kPaddingY;
    painter.setFont(titleFont());
    painter.setPen(text);
    painter.drawText(QRectF(box.left(), y, box.width(), titleMetrics.height()), Qt::AlignCenter,
                     title);
    if (!subtitle.isEmpty()) {
        y += titleMetrics.height() + 2;
        QColor secondary = text;
        secondary.setAlphaF(0.7);
        painter.setFont(subtitleFont());
        painter.setPen(secondary);
        painter.drawText(QRectF(box.left(), y, box.width(), QFontMetricsF(subtitleFont()).height()),
                         Qt::AlignCenter, subtitle);
    }
    painter.restore();
}

} // namespace CalloutBubble
