#pragma once

#include "ui/TimelineSliderView.h"

#include <QWidget>

// The right end of the timeline slider: the "予測" badge for a forecast, the frame's clock
// time over its distance from now, or "読み込み中". Painted in one pass into a fixed width,
// so a frame change twelve times a second costs one small repaint and no relayout.
class TimelineFrameLabel : public QWidget {
    Q_OBJECT

public:
    explicit TimelineFrameLabel(QWidget* parent = nullptr);

    void setLabel(const TimelineSliderView::Label& label);
    const TimelineSliderView::Label& label() const { return m_label; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TimelineSliderView::Label m_label;
};
