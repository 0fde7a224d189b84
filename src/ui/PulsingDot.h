#pragma once

#include <QVariantAnimation>
#include <QWidget>

// The red dot next to "ライブ": it breathes between 0.2 and full opacity, 1.1 s each way
// with ease-in-out timing, for as long as it is shown.
class PulsingDot : public QWidget {
    Q_OBJECT

public:
    static constexpr int kPeriodMs = 1100; // one way: faint to full, or back
    static constexpr qreal kRestOpacity = 0.2;

    explicit PulsingDot(QWidget* parent = nullptr);

    QSize sizeHint() const override { return {7, 7}; }
    // Opacity at `elapsedMs` into the pulse, which starts at rest.
    static qreal opacityAt(qint64 elapsedMs);
    qreal opacity() const;
    bool isPulsing() const { return m_pulse.state() == QAbstractAnimation::Running; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QVariantAnimation m_pulse;
};
