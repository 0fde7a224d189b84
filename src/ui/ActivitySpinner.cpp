#include "ui/ActivitySpinner.h"

#include "ui/PaneStyle.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSpokes = 12;

} // namespace

ActivitySpinner::ActivitySpinner(qreal diameter, QWidget* parent)
    : QWidget(parent)
    , m_diameter(diameter)
{
    setFixedSize(sizeHint());
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_turn.setStartValue(0);
    m_turn.setEndValue(kSpokes);
    m_turn.setDuration(1000);
    m_turn.setLoopCount(-1);
    connect(&m_turn, &QVariantAnimation::valueChanged, this, [this] { update(); });
}

QSize ActivitySpinner::sizeHint() const
{
    const int side = int(std::ceil(m_diameter));
    return {side, side};
}

void ActivitySpinner::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal radius = m_diameter / 2;
    const int lead = m_turn.currentValue().toInt() % kSpokes;
    QPen pen(PaneStyle::primaryText(palette()), std::max(1.0, m_diameter / 10), Qt::SolidLine,
             Qt::RoundCap);
    painter.translate(width() / 2.0, height() / 2.0);
    for (int i = 0; i < kSpokes; ++i) {
        // The leading spoke is darkest; those behind it fade out.
        const int behind = (lead - i + kSpokes) % kSpokes;
        pen.setColor(PaneStyle::faded(PaneStyle::primaryText(palette()),
                                      0.85 - 0.6 * behind / (kSpokes - 1)));
        painter.setPen(pen);
        painter.save();
        painter.rotate(360.0 * i / kSpokes);
        painter.drawLine(QPointF(0, -radius * 0.5), QPointF(0, -radius + pen.widthF() / 2));
        painter.restore();
    }
}

void ActivitySpinner::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!isSpinning())
        m_turn.start();
}

void ActivitySpinner::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_turn.stop();
}
