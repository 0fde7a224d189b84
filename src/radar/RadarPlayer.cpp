#include "radar/RadarPlayer.h"

#include "platform/PropertyHelpers.h"
#include "platform/async/Sleep.h"

#include <QMap>

#include <cmath>
#include <limits>

RadarPlayer::RadarPlayer(QObject* parent)
    : QObject(parent)
{}

RadarPlayer::~RadarPlayer() = default;

std::optional<RadarFrame> RadarPlayer::currentFrame() const
{
    if (m_index >= 0 && m_index < m_frames.size())
        return m_frames.at(m_index);
    return std::nullopt;
}

std::optional<int> RadarPlayer::latestObservationIndex() const
{
    for (int i = int(m_frames.size()) - 1; i >= 0; --i) {
        if (m_frames.at(i).isObservation())
            return i;
    }
    return std::nullopt;
}

int RadarPlayer::minutesAhead(int index) const
{
    const auto latest = latestObservationIndex();
    if (index < 0 || index >= m_frames.size() || !latest)
        return 0;
    const double ms = double(m_frames.at(*latest).date.msecsTo(m_frames.at(index).date));
    return int(std::round(ms / 60000.0)); // halves away from zero
}

void RadarPlayer::update(const RadarFrames& frames)
{
    if (frames == m_frames)
        return;
    const std::optional<QDateTime> shownDate =
        currentFrame() ? std::optional(currentFrame()->date) : std::nullopt;
    const qsizetype oldCount = m_frames.size();
    m_frames = frames;

    int index = -1;
    if (m_mode == RadarPlaybackMode::Live)
        index = liveTargetIndex();
    else if (oldCount > 0 && shownDate)
        index = nearestIndex(*shownDate).value_or(latestObservationOrLast());
    else
        index = latestObservationOrLast();
    // Frames and index change together: a listener of either never sees the new list at
    // the old index, which would show a wrong frame for one paint.
    const bool indexMoved = assignIfChanged(m_index, index);
    Q_EMIT framesChanged();
    if (indexMoved)
        Q_EMIT indexChanged();
    passIndexToFollower(index);
}

std::optional<int> RadarPlayer::nearestIndex(const QDateTime& date) const
{
    std::optional<int> best;
    qint64 bestDistance = std::numeric_limits<qint64>::max();
    for (int i = 0; i < m_frames.size(); ++i) {
        const qint64 distance = std::abs(m_frames.at(i).date.msecsTo(date));
        if (distance < bestDistance) { // strict: a tie keeps the lower index
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

void RadarPlayer::play()
{
    if (m_mode != RadarPlaybackMode::Animation || m_frames.size() < 2)
        return;
    setPlaying(true);
    if (m_drivesLoop)
        restartLoop();
}

void RadarPlayer::pause()
{
    setPlaying(false);
    m_loopTask.cancel();
    m_loopTask = {};
}

void RadarPlayer::scrub(int index)
{
    if (m_frames.isEmpty())
        return;
    setIndex(std::clamp(index, 0, int(m_frames.size()) - 1));
}

void RadarPlayer::jumpToLatestObservation()
{
    setIndex(latestObservationOrLast());
}

int RadarPlayer::latestObservationOrLast() const
{
    return latestObservationIndex().value_or(std::max(0, int(m_frames.size()) - 1));
}

void RadarPlayer::restartLoop()
{
    m_loopTask.cancel();
    const double fps = m_framesPerSecond;
    const double interval = 1.0 / (std::isnan(fps) ? 0.25 : std::max(fps, 0.25));
    m_loopTask = m_tasks.spawn(runLoop(interval));
}

async::Task<void> RadarPlayer::runLoop(double interval)
{
    for (;;) {
        if (async::isCancelled())
            co_return;
        if (!m_isPlaying || m_frames.size() < 2)
            co_return;
        const int i = m_index;
        const int n = int(m_frames.size());
        const bool last = i >= n - 1;
        co_await async::sleepSeconds(last ? m_loopPause : interval);
        if (async::isCancelled())
            co_return;
        if (m_isPlaying)
            setIndex(last ? 0 : nextIndex(m_index));
    }
}

int RadarPlayer::nextIndex(int from) const
{
    const int count = int(m_frames.size());
    if (count == 0)
        return 0;
    // The list may have been replaced during the wait; never read outside it.
    const int i = std::clamp(from, 0, count - 1);
    const double target = double(m_frames.at(i).date.toMSecsSinceEpoch()) + m_stepMinutes * 60000.0;
    for (int j = i + 1; j < count; ++j) {
        if (double(m_frames.at(j).date.toMSecsSinceEpoch()) >= target)
            return j;
    }
    return count - 1;
}

QList<int> RadarPlayer::liveSteps() const
{
    const auto latest = latestObservationIndex();
    if (!latest)
        return {};
    const int o = *latest;

    QList<int> near;
    QMap<int, int> hourly; // whole hours ahead → frame index
    for (int k = o + 1; k < m_frames.size(); ++k) {
        if (!m_frames.at(k).isForecast())
            continue;
        const int m = minutesAhead(k);
        if (m <= 60)
            near.append(k);
        if (m < 61)
            continue;
        const int h = int(std::round(m / 60.0));
        if (h < 2)
            continue;
        auto existing = hourly.find(h);
        if (existing == hourly.end()) {
            hourly.insert(h, k);
            continue;
        }
        const int e = existing.value();
        const QString& kept = m_frames.at(e).basetime;
        const QString& candidate = m_frames.at(k).basetime;
        if (kept < candidate) {
            existing.value() = k; // newer forecast run
        } else if (kept == candidate && std::abs(m - 60 * h) < std::abs(minutesAhead(e) - 60 * h)) {
            existing.value() = k;
        }
    }

    QList<int> steps{o};
    steps += near;
    steps += hourly.values(); // QMap iterates in ascending hour
    return steps;
}

void RadarPlayer::jumpToLiveTarget()
{
    setIndex(liveTargetIndex());
}

int RadarPlayer::liveTargetIndex() const
{
    const QList<int> steps = liveSteps();
    if (m_liveOffsetMinutes < 1 || steps.size() < 2)
        return latestObservationOrLast();
    int best = steps.at(1);
    for (int s = 2; s < steps.size(); ++s) {
        const int candidate = steps.at(s);
        if (std::abs(minutesAhead(candidate) - m_liveOffsetMinutes) <
            std::abs(minutesAhead(best) - m_liveOffsetMinutes))
            best = candidate;
    }
    return best;
}

void RadarPlayer::setIndex(int index)
{
    if (assignIfChanged(m_index, index))
        Q_EMIT indexChanged();
    passIndexToFollower(index);
}

void RadarPlayer::passIndexToFollower(int index)
{
    // Guards against a follower chain that loops back to this player.
    if (m_propagating || !m_follower || index < 0 || index >= m_follower->frames().size())
        return;
    m_propagating = true;
    m_follower->setIndex(index);
    m_propagating = false;
}

void RadarPlayer::setFollower(RadarPlayer* follower)
{
    m_follower = follower;
}

void RadarPlayer::setDrivesLoop(bool drives)
{
    if (assignIfChanged(m_drivesLoop, drives))
        Q_EMIT drivesLoopChanged();
}

void RadarPlayer::setPlaying(bool playing)
{
    if (assignIfChanged(m_isPlaying, playing))
        Q_EMIT isPlayingChanged();
}

void RadarPlayer::setFramesPerSecond(double fps)
{
    if (!assignIfChanged(m_framesPerSecond, fps))
        return;
    Q_EMIT framesPerSecondChanged();
    if (m_isPlaying && m_drivesLoop)
        restartLoop();
}

void RadarPlayer::setLoopPause(double seconds)
{
    if (assignIfChanged(m_loopPause, seconds))
        Q_EMIT loopPauseChanged();
}

void RadarPlayer::setStepMinutes(double minutes)
{
    if (assignIfChanged(m_stepMinutes, minutes))
        Q_EMIT stepMinutesChanged();
}

void RadarPlayer::setMode(RadarPlaybackMode mode)
{
    if (!assignIfChanged(m_mode, mode))
        return;
    Q_EMIT modeChanged();
    if (mode == RadarPlaybackMode::Live) {
        pause();
        jumpToLiveTarget();
    } else {
        play();
    }
}

void RadarPlayer::setLiveOffsetMinutes(int minutes)
{
    if (assignIfChanged(m_liveOffsetMinutes, minutes))
        Q_EMIT liveOffsetMinutesChanged();
    if (m_mode == RadarPlaybackMode::Live)
        jumpToLiveTarget();
}
