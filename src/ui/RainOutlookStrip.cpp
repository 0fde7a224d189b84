#include "ui/RainOutlookStrip.h"

#include "outlook/RainBand.h"
#include "platform/JapanTime.h"
#include "ui/PaneStyle.h"
#include "ui/WeatherHeaderViewStyle.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QPainter>
#include <QPolygonF>
#include <QToolTip>

#include <algorithm>

namespace {

constexpr qint64 kStepSeconds = 5 * 60;
constexpr qint64 kHourSeconds = 60 * 60;
// An hour before the newest observation, that one, and an hour after it.
constexpr int kSlots = int(2 * kHourSeconds / kStepSeconds) + 1;
constexpr int kSlotWidth = 11;
constexpr int kBarWidth = 8;
constexpr int kMarkHeight = 7; // the "now" triangle above the bars
constexpr int kBarAreaHeight = 28;
constexpr int kBarBottom = kMarkHeight + kBarAreaHeight;
constexpr int kBaselineHeight = 2;
constexpr int kLowestBarHeight = 6;
constexpr int kLabelGap = 3;
constexpr double kLabelSize = 10;
constexpr qreal kPastOpacity = 0.45;

QString stripClock(const QDateTime& time)
{
    return JapanTime::of(time).toString(QStringLiteral("HH:mm"));
}

int stripBarHeight(int band)
{
    if (band <= RainBand::kDry)
        return kBaselineHeight;
    const int steps = RainBand::kHighest - 1;
    return kLowestBarHeight +
           (std::min(band, RainBand::kHighest) - 1) * (kBarAreaHeight - kLowestBarHeight) / steps;
}

// The newest observation's time; without one, the step before the first nowcast.
QDateTime stripAnchor(const RainOutlook& outlook)
{
    if (outlook.dataTime.isValid())
        return outlook.dataTime;
    QDateTime newest;
    for (const RainOutlookStep& step : outlook.steps) {
        if (step.kind == RainOutlookStep::Kind::Observation)
            newest = step.time;
        else if (!newest.isValid() && step.kind == RainOutlookStep::Kind::Nowcast)
            return step.time.addSecs(-kStepSeconds);
    }
    return newest;
}

} // namespace

RainOutlookStrip::RainOutlookStrip(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(QStringLiteral("前後1時間の雨"));
}

void RainOutlookStrip::setOutlook(const RainOutlook& outlook)
{
    m_bars.clear();
    m_slots.clear();
    const QDateTime anchor = stripAnchor(outlook);
    m_start = anchor.isValid() ? anchor.addSecs(-kHourSeconds) : QDateTime();
    for (const RainOutlookStep& step : outlook.steps) {
        // Hourly forecasts are for the header's hourly cards, not this strip.
        if (!anchor.isValid() || step.kind == RainOutlookStep::Kind::Forecast)
            continue;
        const qint64 offset = m_start.secsTo(step.time);
        if (offset < 0 || offset > 2 * kHourSeconds)
            continue;
        const bool observed = step.kind == RainOutlookStep::Kind::Observation;
        if (observed != (step.time <= anchor))
            continue; // an observation past the anchor or a nowcast before it tells nothing new
        Bar bar;
        bar.time = step.time;
        bar.band = step.band;
        bar.known = step.known;
        bar.past = step.time < anchor;
        bar.now = observed && step.time == anchor;
        m_bars.append(bar);
        m_slots.append(int((offset + kStepSeconds / 2) / kStepSeconds));
    }
    update();
}

void RainOutlookStrip::setScale(double scale)
{
    if (scale == m_scale)
        return;
    m_scale = scale;
    updateGeometry();
    update();
}

QFont RainOutlookStrip::labelFont() const
{
    return WeatherHeaderStyle::font(kLabelSize * m_scale);
}

QSize RainOutlookStrip::sizeHint() const
{
    const QFontMetrics metrics(labelFont());
    return {kSlots * kSlotWidth, kBarBottom + kLabelGap + metrics.height()};
}

QSize RainOutlookStrip::minimumSizeHint() const
{
    return sizeHint();
}

QRect RainOutlookStrip::slotRect(int slot) const
{
    return {slot * kSlotWidth, 0, kSlotWidth, kBarBottom};
}

QRect RainOutlookStrip::barRect(int index) const
{
    if (index < 0 || index >= m_bars.size())
        return {};
    return slotRect(m_slots[index]);
}

int RainOutlookStrip::barAt(QPoint position) const
{
    for (qsizetype i = 0; i < m_bars.size(); ++i) {
        if (barRect(int(i)).contains(position))
            return int(i);
    }
    return -1;
}

QString RainOutlookStrip::toolTip(int index) const
{
    const Bar& bar = m_bars[index];
    QString what;
    if (!bar.known)
        what = QStringLiteral("データなし");
    else if (bar.band <= RainBand::kDry)
        what = QStringLiteral("雨なし");
    else
        what = RainBand::rangeText(bar.band);
    return stripClock(bar.time) + u'\u3000' + what;
}

QString RainOutlookStrip::toolTipAt(QPoint position) const
{
    const int index = barAt(position);
    return index < 0 ? QString() : toolTip(index);
}

bool RainOutlookStrip::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const int index = barAt(help->pos());
    if (index < 0) {
        QToolTip::hideText();
        event->ignore();
    } else {
        // Tied to the bar's area, so moving on to the next bar replaces the text at once.
        QToolTip::showText(help->globalPos(), toolTip(index), this, barRect(index));
    }
    return true;
}

void RainOutlookStrip::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange)
        update();
}

void RainOutlookStrip::paintEvent(QPaintEvent*)
{
    if (!m_start.isValid())
        return;
    QPainter painter(this);
    const QPalette& colors = palette();
    const bool dark = PaneStyle::isDark(colors);
    const QColor primary = WeatherHeaderStyle::color(WeatherHeaderStyle::Tone::Primary, colors);
    const QColor secondary = WeatherHeaderStyle::color(WeatherHeaderStyle::Tone::Secondary, colors);

    // The run of slots, faint, so an hour with gaps still reads as two hours.
    painter.fillRect(QRect(0, kBarBottom - 1, kSlots * kSlotWidth, 1),
                     PaneStyle::faded(secondary, 0.35));

    int nowX = -1;
    for (qsizetype i = 0; i < m_bars.size(); ++i) {
        const Bar& bar = m_bars[i];
        const QRect slot = barRect(int(i));
        const int x = slot.left() + (kSlotWidth - kBarWidth) / 2;
        if (bar.now)
            nowX = slot.center().x();
        painter.setOpacity(bar.past ? kPastOpacity : 1.0);
        if (!bar.known) {
            const QRect whole(x, kMarkHeight, kBarWidth, kBarAreaHeight);
            painter.fillRect(whole, QBrush(PaneStyle::faded(secondary, 0.8), Qt::BDiagPattern));
            continue;
        }
        const int height = stripBarHeight(bar.band);
        const QRect shape(x, kBarBottom - height, kBarWidth, height);
        if (bar.band <= RainBand::kDry) {
            painter.fillRect(shape, secondary);
            continue;
        }
        const QColor fill = RainBand::color(bar.band);
        painter.fillRect(shape, fill);
        // The palest and the yellow classes vanish into a light background without an edge.
        if (!dark) {
            painter.setPen(fill.darker(150));
            painter.drawRect(shape.adjusted(0, 0, -1, -1));
        }
    }
    painter.setOpacity(1.0);

    const QFont font = labelFont();
    const QFontMetrics metrics(font);
    painter.setFont(font);
    const int labelTop = kBarBottom + kLabelGap;
    const QRect labels(0, labelTop, width(), metrics.height());
    painter.setPen(secondary);
    painter.drawText(labels, Qt::AlignLeft | Qt::AlignVCenter, stripClock(m_start));
    painter.drawText(labels, Qt::AlignRight | Qt::AlignVCenter,
                     stripClock(m_start.addSecs(2 * kHourSeconds)));
    if (nowX < 0)
        return;
    const qreal half = kBarWidth / 2.0;
    const QPointF tip(nowX + 0.5, kMarkHeight - 2);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(primary);
    painter.drawPolygon(QPolygonF{tip, tip + QPointF(-half, -(kMarkHeight - 2)),
                                  tip + QPointF(half, -(kMarkHeight - 2))});
    const QString now = QStringLiteral("現在");
    const int nowWidth = metrics.horizontalAdvance(now);
    painter.setPen(primary);
    painter.drawText(QRect(nowX - nowWidth / 2, labelTop, nowWidth, metrics.height()),
                     Qt::AlignCenter, now);
}
