#include "ui/LiveStatusBar.h"

#include "radar/RadarPlayer.h"
#include "radar/RadarTimeline.h"
#include "ui/ActivitySpinner.h"
#include "ui/LiveOffsetSlider.h"
#include "ui/Material.h"
#include "ui/PulsingDot.h"
#include "ui/ToneLabel.h"
#include "weather/Fmt.h"

#include <QHBoxLayout>

#include <cmath>
#include <cstdlib>

const QList<int>& LiveStatusBar::tickTargets()
{
    static const QList<int> targets{30, 60, 180, 360, 540, 720, 900};
    return targets;
}

QString LiveStatusBar::offsetText(int minutes)
{
    if (minutes > 59)
        return u'+' + QString::number(std::lround(minutes / 60.0)) + QStringLiteral("時間");
    return u'+' + QString::number(minutes) + u'分';
}

QString LiveStatusBar::clock(const QDateTime& date, const QDateTime& now)
{
    const QString text = Fmt::clock(date);
    if (date > now && date.toLocalTime().date() != now.toLocalTime().date())
        return u'翌' + text;
    return text;
}

QList<LiveStatusBar::TickLabel> LiveStatusBar::tickLabels(const RadarPlayer& player,
                                                          const QList<int>& steps, double stepWidth)
{
    QList<int> minutes;
    minutes.reserve(steps.size());
    for (int step : steps)
        minutes.append(player.minutesAhead(step));
    return tickLabels(minutes, stepWidth);
}

QList<LiveStatusBar::TickLabel> LiveStatusBar::tickLabels(const QList<int>& minutesAhead,
                                                          double stepWidth)
{
    QList<TickLabel> result;
    if (minutesAhead.isEmpty())
        return result;
    result.append({0, QStringLiteral("現在")});

    for (int target : tickTargets()) {
        int chosen = -1;
        for (int position = 0; position < int(minutesAhead.size()); ++position) {
            const int m = minutesAhead[position];
            const bool candidate = target <= 60 ? std::abs(m - target) <= 5
                                                : m >= 61 && std::lround(m / 60.0) == target / 60;
            // Closest to the target wins; on a tie the earlier position stays.
            if (candidate &&
                (chosen < 0 || std::abs(m - target) < std::abs(minutesAhead[chosen] - target)))
                chosen = position;
        }
        if (chosen < 0)
            continue;
        const int last = result.last().position;
        if (chosen <= last || (chosen - last) * stepWidth < kLabelSpacing)
            continue;
        result.append({chosen, target > 59 ? QString::number(target / 60) + QStringLiteral("時間")
                                           : QString::number(target) + u'分'});
    }
    return result;
}

LiveStatusBar::Status LiveStatusBar::status(const RadarPlayer& player, const QDateTime& now)
{
    const std::optional<RadarFrame> frame = player.currentFrame();
    if (!frame)
        return {};
    Status status;
    status.hasFrame = true;
    status.isForecast = frame->isForecast();
    status.kind = (status.isForecast ? QStringLiteral("予測 ") : QStringLiteral("観測 ")) +
                  clock(frame->date, now);
    status.detail = status.isForecast ? offsetText(player.minutesAhead(player.index()))
                                      : Fmt::relative(frame->date, now);
    return status;
}

LiveStatusBar::LiveStatusBar(RadarPlayer* player, RadarTimeline* timeline, QWidget* parent)
    : MaterialPanel(Material::Kind::Bar, parent)
    , m_player(player)
    , m_timeline(timeline)
{
    setCornerRadius(8);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 10, 12, 10);
    row->setSpacing(8);

    m_dot = new PulsingDot(this);
    m_mode = new ToneLabel(QStringLiteral("ライブ"), 11, QFont::DemiBold, ToneLabel::Tone::Primary,
                           this);
    row->addWidget(m_dot, 0, Qt::AlignVCenter);
    row->addWidget(m_mode, 0, Qt::AlignVCenter);
    // The small spinner drawn at 70 %.
    m_spinner = new ActivitySpinner(ActivitySpinner::kSmall * 0.7, this);
    m_spinner->hide();
    row->addWidget(m_spinner, 0, Qt::AlignVCenter);

    m_slider = new LiveOffsetSlider(player, this);
    row->addWidget(m_slider, 1, Qt::AlignVCenter);

    auto* statusArea = new QWidget(this);
    statusArea->setMinimumWidth(kStatusMinimumWidth);
    auto* statusRow = new QHBoxLayout(statusArea);
    statusRow->setContentsMargins(0, 0, 0, 0);
    statusRow->setSpacing(8);
    statusRow->addStretch(1);
    m_loading = new ToneLabel(QStringLiteral("読み込み中"), 10, QFont::Normal,
                              ToneLabel::Tone::Secondary, statusArea);
    m_kind = new ToneLabel(QString(), 11, QFont::DemiBold, ToneLabel::Tone::Primary, statusArea);
    m_kind->setObjectName(QStringLiteral("kind"));
    m_detail = new ToneLabel(QString(), 10, QFont::Normal, ToneLabel::Tone::Secondary, statusArea);
    m_detail->setObjectName(QStringLiteral("detail"));
    for (QLabel* label : {static_cast<QLabel*>(m_loading), static_cast<QLabel*>(m_kind),
                          static_cast<QLabel*>(m_detail)})
        statusRow->addWidget(label, 0, Qt::AlignVCenter);
    row->addWidget(statusArea, 0, Qt::AlignVCenter);

    if (player) {
        connect(player, &RadarPlayer::framesChanged, this, &LiveStatusBar::refreshStatus);
        connect(player, &RadarPlayer::indexChanged, this, &LiveStatusBar::refreshStatus);
    }
    if (timeline)
        connect(timeline, &RadarTimeline::isLoadingChanged, this, &LiveStatusBar::refreshLoading);
    showStatus(m_player ? status(*m_player, Clock::current().now()) : Status{});
    refreshLoading();
}

LiveStatusBar::~LiveStatusBar() = default;

void LiveStatusBar::setOnSelectOffset(std::function<void(int)> onSelectOffset)
{
    m_slider->setOnSelectOffset(std::move(onSelectOffset));
}

bool LiveStatusBar::showsSpinner() const
{
    return !m_spinner->isHidden();
}

void LiveStatusBar::refreshStatus()
{
    const Status next = m_player ? status(*m_player, Clock::current().now()) : Status{};
    if (next != m_status)
        showStatus(next);
}

void LiveStatusBar::showStatus(const Status& next)
{
    m_status = next;
    m_loading->setVisible(!next.hasFrame);
    m_kind->setVisible(next.hasFrame);
    m_detail->setVisible(next.hasFrame);
    m_kind->setText(next.kind);
    m_kind->setTone(next.isForecast ? ToneLabel::Tone::Orange : ToneLabel::Tone::Primary);
    m_detail->setText(next.detail);
}

void LiveStatusBar::refreshLoading()
{
    m_spinner->setVisible(m_timeline && m_timeline->isLoading());
}

void LiveStatusBar::setFetchFailed(bool failed, const QString& reason)
{
    m_loading->setText(failed ? QStringLiteral("取得できません（再試行します）")
                              : QStringLiteral("読み込み中"));
    m_loading->setToolTip(failed ? reason : QString());
}

QString LiveStatusBar::placeholderText() const
{
    return m_loading->text();
}

void LiveStatusBar::scheduleRefresh()
{
    m_refreshTimer.start(kStatusRefresh, [this] {
        m_refreshTimer.markFired();
        refreshStatus();
        scheduleRefresh();
    });
}

void LiveStatusBar::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The age text goes stale while nothing else changes; keep it current while on screen.
    refreshStatus();
    scheduleRefresh();
}

void LiveStatusBar::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_refreshTimer.cancel();
}

void LiveStatusBar::setOffline(bool offline)
{
    m_dot->setVisible(!offline);
    m_mode->setText(offline ? QStringLiteral("オフライン") : QStringLiteral("ライブ"));
    m_mode->setTone(offline ? ToneLabel::Tone::Orange : ToneLabel::Tone::Primary);
}

QString LiveStatusBar::modeText() const
{
    return m_mode->text();
}
