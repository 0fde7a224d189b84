#pragma once

#include <QAbstractButton>

class QLabel;
class QPropertyAnimation;

// The small buttons over a radar map (凡例, 範囲, 台風): a symbol and a 10-point label on a
// thin translucent panel with corner radius 5, no bezel. Never takes keyboard focus, so the
// arrow keys keep stepping through the frames.
class PaneButton : public QAbstractButton {
    Q_OBJECT

public:
    PaneButton(const QString& symbol, const QString& label, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
};

// "雨雲を読み込み中" with a mini spinner, in the same look as the buttons; fades in and out.
// After a failed fetch it says so instead, without the spinner, so a wait that brings
// nothing does not read as progress.
class LoadingBadge : public QWidget {
    Q_OBJECT

public:
    static const QString kLoadingText; // "雨雲を読み込み中"
    static const QString kFailedText; // "雨雲を取得できませんでした。自動で再試行します"

    explicit LoadingBadge(QWidget* parent = nullptr);

    // Fades to shown or hidden over 0.2 s (ease-out); `isShown` is the target state.
    void setShown(bool shown);
    bool isShown() const { return m_shown; }
    // `reason` becomes the tooltip.
    void setFailed(bool failed, const QString& reason = {});
    QString text() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_shown = false;
    QPropertyAnimation* m_fade;
    QWidget* m_spinner;
    QLabel* m_label;
};
