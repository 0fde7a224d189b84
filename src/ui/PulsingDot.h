#pragma once

#include "platform/Clock.h"

#include <QPixmap>
#include <QWidget>

// The red dot next to "ライブ": it breathes between 0.2 and full opacity, 1.6 s each way
// with ease-in-out timing, for as long as it is shown.
//
// It is on screen all day in live mode, so it costs what a resting program may: five steps a
// second (a 7-point dot breathing this slowly shows no more; each repaint costs the process
// about 0.6 ms with the window system's round trip), a repaint only when its colour changes,
// and only its own pixels: it paints the panel behind it from a copy, so no ancestor
// repaints with it.
class PulsingDot : public QWidget {
    Q_OBJECT

public:
    static constexpr int kPeriodMs = 1600; // one way: faint to full, or back
    static constexpr int kStepMs = 200;
    static constexpr qreal kRestOpacity = 0.2;

    explicit PulsingDot(QWidget* parent = nullptr);

    QSize sizeHint() const override { return {7, 7}; }
    // Opacity at `elapsedMs` into the pulse, which starts at rest.
    static qreal opacityAt(qint64 elapsedMs);
    qreal opacity() const;
    bool isPulsing() const { return m_timer.isActive(); }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void scheduleStep();
    QColor colour() const;

    ScheduledTimer m_timer;
    qint64 m_elapsedMs = 0;
    QPixmap m_backdrop; // the parent's pixels under the dot; null when they must be taken again
};
