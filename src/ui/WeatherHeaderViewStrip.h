#pragma once

#include <QList>
#include <QScrollArea>

class QHBoxLayout;
class QScrollBar;

// A horizontally scrolling row of forecast cards with a divider between neighbours. The
// scroll indicator floats over the row's bottom edge instead of taking height of its own, so
// the two strips and their cards fit the header's fixed height; it shows only when the row is
// wider than the view. A vertical wheel scrolls the row sideways.
class CardStrip : public QScrollArea {
    Q_OBJECT

public:
    explicit CardStrip(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    int cardCount() const { return int(m_cards.size()); }
    QWidget* cardAt(int index) const { return m_cards.value(index); }

protected:
    // Replaces every card; the strip takes ownership. The scroll position is kept as far as
    // the new row allows.
    void setCards(const QList<QWidget*>& cards);

    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void placeIndicator();
    void updateIndicator();

    QList<QWidget*> m_cards;
    QScrollBar* m_indicator;
};
