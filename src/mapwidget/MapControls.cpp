#include "mapwidget/MapControls.h"

#include <QPainter>
#include <QPainterPath>

namespace MapControls {

namespace {

constexpr double kButton = 28;
constexpr double kMargin = 10;
constexpr double kRadius = 6;

} // namespace

QRectF buttonRect(const QSizeF& viewSize, Button button)
{
    const double left = viewSize.width() - kMargin - kButton;
    const double bottom = viewSize.height() - kMargin;
    switch (button) {
    case Button::ZoomIn:
        return {left, bottom - 2 * kButton, kButton, kButton};
    case Button::ZoomOut:
        return {left, bottom - kButton, kButton, kButton};
    case Button::None:
        break;
    }
    return {};
}

Button buttonAt(const QSizeF& viewSize, const QPointF& point)
{
    for (Button button : {Button::ZoomIn, Button::ZoomOut}) {
        if (buttonRect(viewSize, button).contains(point))
            return button;
    }
    return Button::None;
}

void paint(QPainter& painter, const QSizeF& viewSize, bool dark, Button pressed)
{
    const QRectF in = buttonRect(viewSize, Button::ZoomIn);
    const QRectF out = buttonRect(viewSize, Button::ZoomOut);
    if (in.top() < 0 || in.left() < 0)
        return; // a view this small has no room for them
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QColor panel = dark ? QColor(44, 44, 46, 225) : QColor(255, 255, 255, 225);
    const QColor pressedPanel = dark ? QColor(70, 70, 74, 235) : QColor(220, 220, 224, 235);
    const QColor line = dark ? QColor(230, 230, 235) : QColor(60, 60, 64);

    QPainterPath both;
    both.addRoundedRect(in.united(out), kRadius, kRadius);
    painter.fillPath(both.translated(0, 1), QColor(0, 0, 0, 45));
    painter.fillPath(both, panel);
    if (pressed != Button::None) {
        painter.save();
        painter.setClipRect(buttonRect(viewSize, pressed));
        painter.fillPath(both, pressedPanel);
        painter.restore();
    }
    painter.setPen(QPen(dark ? QColor(255, 255, 255, 40) : QColor(0, 0, 0, 30), 1));
    painter.drawLine(QPointF(in.left() + 5, in.bottom()), QPointF(in.right() - 5, in.bottom()));

    painter.setPen(QPen(line, 2, Qt::SolidLine, Qt::RoundCap));
    const double arm = 6;
    painter.drawLine(in.center() - QPointF(arm, 0), in.center() + QPointF(arm, 0));
    painter.drawLine(in.center() - QPointF(0, arm), in.center() + QPointF(0, arm));
    painter.drawLine(out.center() - QPointF(arm, 0), out.center() + QPointF(arm, 0));
    painter.restore();
}

} // namespace MapControls
