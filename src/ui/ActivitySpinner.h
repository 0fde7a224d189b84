#pragma once

#include <QVariantAnimation>
#include <QWidget>

// An indeterminate progress spinner: twelve spokes whose brightness chases around the
// circle, drawn in the palette's text colour at any size.
class ActivitySpinner : public QWidget {
    Q_OBJECT

public:
    // The sizes the panes use: small (16) for the status bar, mini (10) for badges.
    static constexpr int kSmall = 16;
    static constexpr int kMini = 10;

    explicit ActivitySpinner(qreal diameter, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    qreal diameter() const { return m_diameter; }
    bool isSpinning() const { return m_turn.state() == QAbstractAnimation::Running; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    qreal m_diameter;
    QVariantAnimation m_turn;
};
