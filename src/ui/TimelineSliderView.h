#pragma once

#include "platform/Clock.h"
#include "radar/RadarFrame.h"
#include "radar/RadarPlayer.h"
#include "ui/Material.h"

#include <QDateTime>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class SymbolButton;
class TimelineFrameLabel;
class TimelineTrack;

// The bar under a radar pane in animation mode: play/pause, a track with one mark per frame
// (forecasts orange, observations in the accent colour) and a thumb where the player stands,
// and the shown frame's time. It never changes the player itself: every user action goes out
// through a callback, and the view redraws from the player's notifications.
class TimelineSliderView : public MaterialPanel {
    Q_OBJECT

public:
    // What the label at the right end shows.
    struct Label {
        bool hasFrame = false; // false: "読み込み中", or "取得できません" after a failure
        bool isForecast = false; // shows the "予測" badge
        QString clock;           // "9:05"
        QString relative;        // "5分前"
        bool fetchFailed = false;
        friend bool operator==(const Label&, const Label&) = default;
    };

    static constexpr int kLabelWidth = 94;
    static constexpr std::chrono::seconds kLabelRefresh{30};

    // Thumb position along the track, 0…1.
    static double thumbPosition(int index, int frameCount);
    // The frame index a drag at `x` on a track `trackWidth` wide reports. With fewer than two
    // frames the far right still reports 1; the player clamps it.
    static int scrubIndex(double x, double trackWidth, int frameCount);
    static Label label(const std::optional<RadarFrame>& frame, const QDateTime& now);
    static QString playToolTip(bool isPlaying);

    explicit TimelineSliderView(RadarPlayer* player, QWidget* parent = nullptr);
    ~TimelineSliderView() override;

    void setOnTogglePlayback(std::function<void()> onTogglePlayback);
    void setOnPause(std::function<void()> onPause);
    void setOnScrub(std::function<void(int index)> onScrub);
    // The last attempt to fetch the frames failed (shown only while there is no frame).
    void setFetchFailed(bool failed);

    RadarPlayer* player() const { return m_player; }
    SymbolButton* playButton() const { return m_playButton; }
    TimelineTrack* track() const { return m_track; }
    const Label& shownLabel() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void refreshButton();
    void refreshLabel();
    void scheduleRefresh();

    QPointer<RadarPlayer> m_player;
    std::function<void()> m_onTogglePlayback;
    SymbolButton* m_playButton = nullptr;
    TimelineTrack* m_track = nullptr;
    TimelineFrameLabel* m_label = nullptr;
    ScheduledTimer m_refreshTimer;
    bool m_fetchFailed = false;
};
