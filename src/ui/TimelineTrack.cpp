#include "ui/TimelineTrack.h"

#include "radar/RadarPlayer.h"
#include "ui/PaneStyle.h"
#include "ui/TimelineSliderView.h"

#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

// The track as a screen reader should meet it: a slider over the frames, its value the
// frame shown (1 = the oldest), which it may set like a scrub.
class TrackAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit TrackAccessible(TimelineTrack* track)
        : QAccessibleWidget(track, QAccessible::Slider)
    {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return QStringLiteral("コマ");
        if (t == QAccessible::Value)
            return QStringLiteral("%1 / %2").arg(index() + 1).arg(count());
        return QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return index() + 1; }
    void setCurrentValue(const QVariant& value) override
    {
        track()->scrubTo(std::clamp(value.toInt(), 1, std::max(1, count())) - 1);
    }
    QVariant maximumValue() const override { return std::max(1, count()); }
    QVariant minimumValue() const override { return 1; }
    QVariant minimumStepSize() const override { return 1; }

private:
    TimelineTrack* track() const { return static_cast<TimelineTrack*>(widget()); }
    RadarPlayer* player() const { return track()->player(); }
    int index() const { return player() ? player()->index() : 0; }
    int count() const { return player() ? int(player()->frames().size()) : 0; }
};

QAccessibleInterface* trackAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("TimelineTrack") && object && object->isWidgetType())
        return new TrackAccessible(static_cast<TimelineTrack*>(object));
    return nullptr;
}

} // namespace

TimelineTrack::TimelineTrack(RadarPlayer* player, QWidget* parent)
    : QWidget(parent)
    , m_player(player)
{
    static const bool accessibleInstalled = [] {
        QAccessible::installFactory(trackAccessible);
        return true;
    }();
    Q_UNUSED(accessibleInstalled);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(kHeight);
    if (player) {
        const auto repaint = [this] { update(); };
        connect(player, &RadarPlayer::framesChanged, this, repaint);
        connect(player, &RadarPlayer::indexChanged, this, repaint);
    }
}

double TimelineTrack::thumbLeft() const
{
    const int count = m_player ? int(m_player->frames().size()) : 0;
    const int index = m_player ? m_player->index() : 0;
    return TimelineSliderView::thumbPosition(index, count) * std::max(width() - kThumb, 0);
}

void TimelineTrack::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& colors = palette();
    const double centreY = height() / 2.0;

    // The per-frame bar, clipped to a capsule. Marks sit on whole pixels where they can and
    // keep a pixel between them only when they are wide enough to spare it.
    if (m_player && !m_player->frames().isEmpty()) {
        const RadarFrames& frames = m_player->frames();
        const QRectF bar(0, centreY - kBarHeight / 2.0, width(), kBarHeight);
        QPainterPath capsule;
        capsule.addRoundedRect(bar, kBarHeight / 2.0, kBarHeight / 2.0);
        painter.save();
        painter.setClipPath(capsule);
        const double each = bar.width() / double(frames.size());
        const double gap = each >= 4 ? 1.0 : 0.0;
        const QColor forecast = PaneStyle::faded(PaneStyle::orange(colors), 0.35);
        const QColor observation = PaneStyle::faded(PaneStyle::accent(colors), 0.35);
        for (qsizetype i = 0; i < frames.size(); ++i) {
            const double left = std::round(i * each);
            const double right = std::round((i + 1) * each) - (i + 1 < frames.size() ? gap : 0);
            if (right > left)
                painter.fillRect(QRectF(left, bar.top(), right - left, bar.height()),
                                 frames[i].isForecast() ? forecast : observation);
        }
        painter.restore();
    }

    // The thumb, with a faint shadow under it.
    const QPointF centre(thumbLeft() + kThumb / 2.0, centreY);
    const double radius = kThumb / 2.0;
    QRadialGradient shadow(centre + QPointF(0, 0.5), radius + 1.5);
    shadow.setColorAt(radius / (radius + 1.5), QColor(0, 0, 0, 38));
    shadow.setColorAt(1.0, QColor(0, 0, 0, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(shadow);
    painter.drawEllipse(centre + QPointF(0, 0.5), radius + 1.5, radius + 1.5);
    painter.setPen(QPen(QColor(0, 0, 0, 84), 1.0));
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, radius - 0.5, radius - 0.5);
}

void TimelineTrack::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    dragTo(event->position().x());
}

void TimelineTrack::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    dragTo(event->position().x());
}

void TimelineTrack::dragTo(double x)
{
    const int count = m_player ? int(m_player->frames().size()) : 0;
    scrubTo(TimelineSliderView::scrubIndex(x, width(), count));
}

void TimelineTrack::scrubTo(int index)
{
    // Copies: a callback may replace the callbacks (or this view) while it runs.
    const auto onPause = m_onPause;
    const auto onScrub = m_onScrub;
    if (onPause)
        onPause();
    if (onScrub)
        onScrub(index);
}
