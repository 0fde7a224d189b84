#pragma once

#include "radar/RadarPlayer.h"
#include "ui/LiveStatusBar.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

// The stepped slider of the live bar: one stop per live step of the player, from "現在"
// (the newest observation) through the nowcast steps to the hourly forecast. Pressing or
// dragging picks the step under the pointer; picking the step already shown does nothing.
// Takes no keyboard focus, so the arrow keys keep stepping through frames.
class LiveOffsetSlider : public QWidget {
    Q_OBJECT

public:
    static constexpr int kThumb = 13;
    static constexpr int kHeight = 28;
    static constexpr int kMinimumWidth = 160;
    static constexpr int kPadding = 6; // on each side, around the stops
    static constexpr int kTrackHeight = 4;
    static constexpr int kTrackCenterY = 9;
    static constexpr int kLabelCenterY = 23;

    // Width between neighbouring stops on a slider `available` wide (padding excluded).
    static double stepWidth(double available, int stepCount);
    // x of stop `position`, from the left end of the padded area.
    static double stopX(int position, double stepWidth);
    // The stop nearest `x` (same origin as stopX), clamped to the stops; -1 without stops.
    static int positionAt(double x, double stepWidth, int stepCount);
    static QString helpText(int stepCount);

    explicit LiveOffsetSlider(RadarPlayer* player, QWidget* parent = nullptr);

    void setOnSelectOffset(std::function<void(int minutes)> onSelectOffset);

    const QList<int>& steps() const { return m_steps; }
    int currentPosition() const { return m_current; }
    double currentStepWidth() const;
    const QList<LiveStatusBar::TickLabel>& labels() const { return m_labels; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void readPlayer();
    void layoutLabels();
    void selectAt(double x);

    QPointer<RadarPlayer> m_player;
    std::function<void(int)> m_onSelectOffset;
    QList<int> m_steps;
    QList<int> m_minutes; // of each step, ahead of the newest observation
    int m_current = 0;
    QList<LiveStatusBar::TickLabel> m_labels;
};
