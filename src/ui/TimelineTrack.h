#pragma once

#include "radar/RadarPlayer.h"

#include <QPointer>
#include <QWidget>

#include <functional>

// The track of the timeline slider: a capsule of one mark per frame and the thumb. A press
// or drag anywhere on it pauses and scrubs on every move; releasing sends nothing.
class TimelineTrack : public QWidget {
    Q_OBJECT

public:
    static constexpr int kHeight = 20;
    static constexpr int kBarHeight = 4;
    static constexpr int kThumb = 13;

    explicit TimelineTrack(RadarPlayer* player, QWidget* parent = nullptr);

    void setOnPause(std::function<void()> onPause) { m_onPause = std::move(onPause); }
    void setOnScrub(std::function<void(int)> onScrub) { m_onScrub = std::move(onScrub); }

    // Left edge of the thumb.
    double thumbLeft() const;

    RadarPlayer* player() const { return m_player; }
    // Pauses and shows frame `index`, as a press there does.
    void scrubTo(int index);

    QSize sizeHint() const override { return {200, kHeight}; }
    QSize minimumSizeHint() const override { return {kThumb * 2, kHeight}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void dragTo(double x);

    QPointer<RadarPlayer> m_player;
    std::function<void()> m_onPause;
    std::function<void(int)> m_onScrub;
};
