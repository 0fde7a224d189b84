#include "ui/LiveOffsetSlider.h"

#include "radar/RadarPlayer.h"
#include "ui/PaneStyle.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

QFont sliderLabelFont()
{
    return PaneStyle::font(8);
}

} // namespace

double LiveOffsetSlider::stepWidth(double available, int stepCount)
{
    const double track = std::max(available - kThumb, 1.0);
    return track / (std::max(stepCount, 2) - 1);
}

double LiveOffsetSlider::stopX(int position, double stepWidth)
{
    return kThumb / 2.0 + position * stepWidth;
}

int LiveOffsetSlider::positionAt(double x, double stepWidth, int stepCount)
{
    if (stepCount <= 0)
        return -1;
    const double raw = std::round((x - kThumb / 2.0) / stepWidth);
    return int(std::clamp(raw, 0.0, double(stepCount - 1)));
}

QString LiveOffsetSlider::helpText(int stepCount)
{
    if (stepCount < 2)
        return QStringLiteral("予測を読み込めていません");
    return QStringLiteral(
        "最新の観測から先の予測を表示（1時間先までは5分刻み、その先は1時間刻み）。"
        "← / → で1コマずつ、0・↑・↓ で現在");
}

LiveOffsetSlider::LiveOffsetSlider(RadarPlayer* player, QWidget* parent)
    : QWidget(parent)
    , m_player(player)
{
    setFocusPolicy(Qt::NoFocus);
    setContentsMargins(kPadding, 0, kPadding, 0);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    if (player) {
        connect(player, &RadarPlayer::framesChanged, this, &LiveOffsetSlider::readPlayer);
        connect(player, &RadarPlayer::indexChanged, this, &LiveOffsetSlider::readPlayer);
    }
    setToolTip(helpText(0));
    readPlayer();
}

void LiveOffsetSlider::setOnSelectOffset(std::function<void(int)> onSelectOffset)
{
    m_onSelectOffset = std::move(onSelectOffset);
}

double LiveOffsetSlider::currentStepWidth() const
{
    return stepWidth(contentsRect().width(), int(m_steps.size()));
}

QSize LiveOffsetSlider::sizeHint() const
{
    return {kMinimumWidth + 2 * kPadding, kHeight};
}

QSize LiveOffsetSlider::minimumSizeHint() const
{
    return sizeHint();
}

void LiveOffsetSlider::readPlayer()
{
    QList<int> steps;
    QList<int> minutes;
    int current = 0;
    if (m_player) {
        steps = m_player->liveSteps();
        for (int step : std::as_const(steps))
            minutes.append(m_player->minutesAhead(step));
        current = std::max(0, int(steps.indexOf(m_player->index())));
    }
    const bool stepsChanged = steps != m_steps || minutes != m_minutes;
    if (!stepsChanged && current == m_current)
        return;
    m_steps = steps;
    m_minutes = minutes;
    m_current = current;
    if (stepsChanged) {
        setToolTip(helpText(int(m_steps.size())));
        layoutLabels();
    }
    update();
}

void LiveOffsetSlider::layoutLabels()
{
    m_labels = LiveStatusBar::tickLabels(m_minutes, currentStepWidth());
}

void LiveOffsetSlider::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutLabels();
}

void LiveOffsetSlider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& colors = palette();
    const QColor orange = PaneStyle::orange(colors);
    const QColor secondary = PaneStyle::secondaryText(colors);
    const double width = currentStepWidth();
    const double left = contentsRect().left();
    const auto xOf = [&](int position) { return left + stopX(position, width); };
    const QRectF track(left + kThumb / 2.0, kTrackCenterY - kTrackHeight / 2.0,
                       std::max(contentsRect().width() - kThumb, 1), kTrackHeight);
    const int count = int(m_steps.size());

    // Track: one segment per interval, filled up to the step shown.
    if (count < 2) {
        painter.fillRect(track, PaneStyle::faded(secondary, 0.2));
    } else {
        for (int i = 0; i + 1 < count; ++i) {
            const double x0 = xOf(i) + 0.5;
            const double x1 = xOf(i + 1) - 0.5;
            if (x1 <= x0)
                continue;
            painter.fillRect(QRectF(x0, track.top(), x1 - x0, track.height()),
                             PaneStyle::faded(orange, i < m_current ? 0.8 : 0.3));
        }
    }

    // Separators where the hourly forecast begins and at each hour after it.
    const QColor separator(0, 0, 0, 84);
    for (int i = 0; i < count; ++i) {
        if (m_minutes[i] >= 60)
            painter.fillRect(QRectF(xOf(i) - 0.5, track.top() - 1, 1, track.height() + 2),
                             separator);
    }

    // Ticks and their labels.
    painter.setFont(sliderLabelFont());
    const QFontMetricsF metrics(sliderLabelFont());
    for (const LiveStatusBar::TickLabel& label : std::as_const(m_labels)) {
        const double x = xOf(label.position);
        painter.fillRect(QRectF(x - 0.5, kTrackCenterY - 4, 1, 8),
                         PaneStyle::faded(secondary, 0.5));
        const double textWidth = metrics.horizontalAdvance(label.text);
        const QRectF box(x - textWidth / 2 - 1, kLabelCenterY - metrics.height() / 2, textWidth + 2,
                         metrics.height());
        painter.setPen(secondary);
        painter.drawText(box, Qt::AlignCenter, label.text);
    }

    // Thumb on the step shown; its dot says whether that is the present or a look ahead.
    if (count == 0)
        return;
    const QPointF centre(xOf(m_current), kTrackCenterY);
    painter.setPen(QPen(QColor(0, 0, 0, 38), 1.0));
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, kThumb / 2.0 - 0.5, kThumb / 2.0 - 0.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_current == 0 ? PaneStyle::accent(colors) : orange);
    painter.drawEllipse(centre, 2.5, 2.5);
}

void LiveOffsetSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    selectAt(event->position().x() - contentsRect().left());
}

void LiveOffsetSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    selectAt(event->position().x() - contentsRect().left());
}

void LiveOffsetSlider::selectAt(double x)
{
    const int position = positionAt(x, currentStepWidth(), int(m_steps.size()));
    if (position < 0 || !m_player)
        return;
    const int step = m_steps[position];
    if (step == m_player->index())
        return;
    if (m_onSelectOffset)
        m_onSelectOffset(m_player->minutesAhead(step));
}
