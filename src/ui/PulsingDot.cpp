#include "ui/PulsingDot.h"

#include "ui/PaneStyle.h"

#include <QEasingCurve>
#include <QEvent>
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
    setAttribute(Qt::WA_OpaquePaintEvent);
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
    return isPulsing() ? opacityAt(m_elapsedMs) : kRestOpacity;
}

QColor PulsingDot::colour() const
{
    return PaneStyle::faded(PaneStyle::red(palette()), opacity());
}

void PulsingDot::scheduleStep()
{
    m_timer.start(std::chrono::milliseconds(kStepMs), [this] {
        m_timer.markFired();
        const QColor before = colour();
        m_elapsedMs = (m_elapsedMs + kStepMs) % (2 * kPeriodMs);
        scheduleStep();
        if (colour() != before)
            update();
    });
}

bool PulsingDot::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::PaletteChange:
    case QEvent::ParentChange:
        m_backdrop = QPixmap();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void PulsingDot::paintEvent(QPaintEvent*)
{
    // The parent alone (its background and its own painting, none of its children) is what
    // lies under the dot: a plain panel.
    QWidget* parent = parentWidget();
    if (m_backdrop.isNull() && parent) {
        const qreal ratio = devicePixelRatioF();
        m_backdrop = QPixmap(size() * ratio);
        m_backdrop.setDevicePixelRatio(ratio);
        m_backdrop.fill(Qt::transparent);
        parent->render(&m_backdrop, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
    }
    QPainter painter(this);
    if (!m_backdrop.isNull())
        painter.drawPixmap(0, 0, m_backdrop);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour());
    const qreal side = std::min(width(), height());
    painter.drawEllipse(QRectF((width() - side) / 2, (height() - side) / 2, side, side));
}

void PulsingDot::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Only while shown: a hidden pane costs no timer.
    if (!isPulsing()) {
        m_elapsedMs = 0;
        scheduleStep();
    }
}

void PulsingDot::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_timer.cancel();
}
