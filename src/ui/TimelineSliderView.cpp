#include "ui/TimelineSliderView.h"

#include "radar/RadarPlayer.h"
#include "ui/Material.h"
#include "ui/SymbolButton.h"
#include "ui/TimelineFrameLabel.h"
#include "ui/TimelineTrack.h"
#include "weather/Fmt.h"

#include <QHBoxLayout>

#include <algorithm>
#include <cmath>

double TimelineSliderView::thumbPosition(int index, int frameCount)
{
    if (frameCount <= 0)
        return 0;
    const int n = std::max(frameCount, 2);
    return std::clamp(double(index) / (n - 1), 0.0, 1.0);
}

int TimelineSliderView::scrubIndex(double x, double trackWidth, int frameCount)
{
    const double raw = trackWidth > 1 ? x / trackWidth : x;
    const double f = std::clamp(raw, 0.0, 1.0);
    const int n = std::max(frameCount, 2);
    return int(std::round(f * (n - 1)));
}

TimelineSliderView::Label TimelineSliderView::label(const std::optional<RadarFrame>& frame,
                                                    const QDateTime& now)
{
    if (!frame)
        return {};
    return {true, frame->isForecast(), Fmt::clock(frame->date), Fmt::relative(frame->date, now)};
}

QString TimelineSliderView::playToolTip(bool isPlaying)
{
    return isPlaying ? QStringLiteral("一時停止") : QStringLiteral("再生");
}

TimelineSliderView::TimelineSliderView(RadarPlayer* player, QWidget* parent)
    : MaterialPanel(Material::Kind::Bar, parent)
    , m_player(player)
{
    setCornerRadius(8);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 8, 12, 8);
    row->setSpacing(10);

    m_playButton = new SymbolButton(QStringLiteral("play.fill"), QSize(22, 22), 11, this);
    connect(m_playButton, &QAbstractButton::clicked, this, [this] {
        const auto onToggle = m_onTogglePlayback;
        if (onToggle)
            onToggle();
    });
    row->addWidget(m_playButton, 0, Qt::AlignVCenter);

    m_track = new TimelineTrack(player, this);
    row->addWidget(m_track, 1, Qt::AlignVCenter);

    m_label = new TimelineFrameLabel(this);
    row->addWidget(m_label, 0, Qt::AlignVCenter);

    if (player) {
        connect(player, &RadarPlayer::framesChanged, this, [this] {
            refreshButton();
            refreshLabel();
        });
        connect(player, &RadarPlayer::indexChanged, this, &TimelineSliderView::refreshLabel);
        connect(player, &RadarPlayer::isPlayingChanged, this, &TimelineSliderView::refreshButton);
    }
    refreshButton();
    refreshLabel();
}

TimelineSliderView::~TimelineSliderView() = default;

void TimelineSliderView::setOnTogglePlayback(std::function<void()> onTogglePlayback)
{
    m_onTogglePlayback = std::move(onTogglePlayback);
}

void TimelineSliderView::setOnPause(std::function<void()> onPause)
{
    m_track->setOnPause(std::move(onPause));
}

void TimelineSliderView::setOnScrub(std::function<void(int)> onScrub)
{
    m_track->setOnScrub(std::move(onScrub));
}

const TimelineSliderView::Label& TimelineSliderView::shownLabel() const
{
    return m_label->label();
}

void TimelineSliderView::refreshButton()
{
    const bool playing = m_player && m_player->isPlaying();
    m_playButton->setSymbol(playing ? QStringLiteral("pause.fill") : QStringLiteral("play.fill"));
    m_playButton->setToolTip(playToolTip(playing));
    m_playButton->setAccessibleName(playing ? QStringLiteral("一時停止") : QStringLiteral("再生"));
    m_playButton->setEnabled(m_player && m_player->frames().size() >= 2);
}

void TimelineSliderView::setFetchFailed(bool failed)
{
    m_fetchFailed = failed;
    refreshLabel();
}

void TimelineSliderView::refreshLabel()
{
    Label next = m_player ? label(m_player->currentFrame(), Clock::current().now()) : Label{};
    next.fetchFailed = !next.hasFrame && m_fetchFailed;
    m_label->setLabel(next);
}

void TimelineSliderView::scheduleRefresh()
{
    m_refreshTimer.start(kLabelRefresh, [this] {
        m_refreshTimer.markFired();
        refreshLabel();
        scheduleRefresh();
    });
}

void TimelineSliderView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // A paused player changes nothing, yet its relative time moves on.
    refreshLabel();
    scheduleRefresh();
}

void TimelineSliderView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_refreshTimer.cancel();
}
