#include "ui/PulsingDot.h"

#include "ui/PaneStyle.h"

#include <QEasingCurve>
#include <QPainter>

#include <algorithm>

namespace {

// The platform's ease-in-ease-out: the cubic Bézier (0.42, 0), (0.58, 1).
QEasingCurve easeInEaseOut()
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.42, 0.0), QPointF(0.58, 1.0), QPointF(1.0, 1.0));
    return curve;
}

} // namespace

PulsingDot::PulsingDot(QWidget* parent)
    : QWidget(parent)
{
    setFixedSize(7, 7);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // One forward-and-back cycle; the easing is applied per half in opacityAt().
    m_pulse.setStartValue(0);
    m_pulse.setEndValue(2 * kPeriodMs);
    m_pulse.setDuration(2 * kPeriodMs);
    m_pulse.setLoopCount(-1);
    connect(&m_pulse, &QVariantAnimation::valueChanged, this, [this] { update(); });
}

qreal PulsingDot::opacityAt(qint64 elapsedMs)
{
    static const QEasingCurve curve = easeInEaseOut();
    const qint64 phase = ((elapsedMs % (2 * kPeriodMs)) + 2 * kPeriodMs) % (2 * kPeriodMs);
    const qint64 within = phase <= kPeriodMs ? phase : 2 * kPeriodMs - phase;
    const qreal progress = curve.valueForProgress(qreal(within) / kPeriodMs);
    return kRestOpacity + (1.0 - kRestOpacity) * progress;
}

qreal PulsingDot::opacity() const
{
    return isPulsing() ? opacityAt(m_pulse.currentTime()) : kRestOpacity;
}

void PulsingDot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(PaneStyle::faded(PaneStyle::red(palette()), opacity()));
    const qreal side = std::min(width(), height());
    painter.drawEllipse(QRectF((width() - side) / 2, (height() - side) / 2, side, side));
}

void PulsingDot::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Only while shown: a hidden pane costs no timer.
    if (!isPulsing())
        m_pulse.start();
}

void PulsingDot::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_pulse.stop();
}
