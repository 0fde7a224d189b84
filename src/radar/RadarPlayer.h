#pragma once

#include "platform/async/TaskScope.h"
#include "radar/RadarFrame.h"

#include <QObject>
#include <QPointer>

#include <optional>

// Holds the frames of one pane and the position shown. In animation mode it loops over
// them, dwelling on the last frame; in live mode it shows the newest observation or the
// step nearest a chosen offset ahead of it. A follower mirrors every position it takes.
class RadarPlayer : public QObject {
    Q_OBJECT
    Q_PROPERTY(RadarFrames frames READ frames NOTIFY framesChanged)
    Q_PROPERTY(int index READ index WRITE setIndex NOTIFY indexChanged)
    Q_PROPERTY(bool drivesLoop READ drivesLoop WRITE setDrivesLoop NOTIFY drivesLoopChanged)
    Q_PROPERTY(bool isPlaying READ isPlaying NOTIFY isPlayingChanged)
    Q_PROPERTY(double framesPerSecond READ framesPerSecond WRITE setFramesPerSecond NOTIFY
                   framesPerSecondChanged)
    Q_PROPERTY(double loopPause READ loopPause WRITE setLoopPause NOTIFY loopPauseChanged)
    Q_PROPERTY(double stepMinutes READ stepMinutes WRITE setStepMinutes NOTIFY stepMinutesChanged)
    Q_PROPERTY(RadarPlaybackMode mode READ mode WRITE setMode NOTIFY modeChanged)
    Q_PROPERTY(int liveOffsetMinutes READ liveOffsetMinutes WRITE setLiveOffsetMinutes NOTIFY
                   liveOffsetMinutesChanged)

public:
    explicit RadarPlayer(QObject* parent = nullptr);
    ~RadarPlayer() override;

    void update(const RadarFrames& frames);
    void play();
    void pause();
    void scrub(int index);
    void jumpToLatestObservation();

    std::optional<RadarFrame> currentFrame() const;
    // Indices live mode can show: the newest observation, each step up to an hour ahead,
    // then one step per whole hour.
    QList<int> liveSteps() const;
    // Whole minutes from the newest observation to frame `index`; 0 when either is missing.
    int minutesAhead(int index) const;
    std::optional<int> latestObservationIndex() const;

    const RadarFrames& frames() const { return m_frames; }
    int index() const { return m_index; }
    // Every assignment re-shows the position in the follower, also an unchanged one, so
    // a caller can push the two players back into step.
    void setIndex(int index);
    RadarPlayer* follower() const { return m_follower; }
    void setFollower(RadarPlayer* follower);
    bool drivesLoop() const { return m_drivesLoop; }
    void setDrivesLoop(bool drives);
    bool isPlaying() const { return m_isPlaying; }
    double framesPerSecond() const { return m_framesPerSecond; }
    void setFramesPerSecond(double fps);
    double loopPause() const { return m_loopPause; }
    void setLoopPause(double seconds);
    double stepMinutes() const { return m_stepMinutes; }
    void setStepMinutes(double minutes);
    RadarPlaybackMode mode() const { return m_mode; }
    void setMode(RadarPlaybackMode mode);
    int liveOffsetMinutes() const { return m_liveOffsetMinutes; }
    // Every assignment re-targets in live mode, also an unchanged one.
    void setLiveOffsetMinutes(int minutes);

    bool hasLoopTask() const { return m_loopTask.isActive(); }

Q_SIGNALS:
    void framesChanged();
    void indexChanged();
    void drivesLoopChanged();
    void isPlayingChanged();
    void framesPerSecondChanged();
    void loopPauseChanged();
    void stepMinutesChanged();
    void modeChanged();
    void liveOffsetMinutesChanged();

private:
    void setPlaying(bool playing);
    void restartLoop();
    async::Task<void> runLoop(double interval);
    int nextIndex(int from) const;
    std::optional<int> nearestIndex(const QDateTime& date) const;
    void jumpToLiveTarget();
    int liveTargetIndex() const;
    int latestObservationOrLast() const;
    void passIndexToFollower(int index);

    RadarFrames m_frames;
    int m_index = 0;
    QPointer<RadarPlayer> m_follower;
    bool m_drivesLoop = true;
    bool m_isPlaying = false;
    double m_framesPerSecond = 4.0;
    double m_loopPause = 1.2;
    double m_stepMinutes = 5.0;
    RadarPlaybackMode m_mode = RadarPlaybackMode::Animation;
    int m_liveOffsetMinutes = 0;
    bool m_propagating = false;
    async::TaskHandle m_loopTask;
    async::TaskScope m_tasks; // last: destroyed first
};
