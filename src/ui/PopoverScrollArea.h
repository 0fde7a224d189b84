#pragma once

#include <QScrollArea>

// Content for a popover that may be taller than the room under its button: shown whole
// while it fits in `maximumHeight`, scrolled within that height otherwise.
class PopoverScrollArea : public QScrollArea {
    Q_OBJECT

public:
    PopoverScrollArea(QWidget* content, int maximumHeight, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int m_maximumHeight;
};
