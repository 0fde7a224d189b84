#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>

class QPainter;

// A popup panel tied to the button that opened it. It opens under the button with its arrow
// on the button's bottom edge (above the button, arrow down, when the screen has no room
// below), and closes on Escape, on a click outside it, and when the button is hidden or
// destroyed. A click on the button itself only closes it: the click is not passed on, so a
// toggle button does not reopen what it just closed.
//
// Its rounded corners, arrow and shadow need a window system that blends see-through windows
// over what lies beneath; where none does (X11 without a compositing manager) the popup is a
// plain opaque panel right against its button instead.
class Popover : public QWidget {
    Q_OBJECT

public:
    // Which edge of the popover carries the arrow.
    enum class ArrowEdge { Top, Bottom };

    enum class Look {
        Shaped, // translucent: rounded corners, an arrow towards the button, a soft shadow
        Plain,  // opaque and square with a hairline edge, for window systems that cannot blend
    };

    struct Placement {
        QRect geometry; // of the whole popup, in screen coordinates
        ArrowEdge edge; // Top: the popup lies under the anchor
        int arrowX = 0; // arrow tip, relative to the popup's left edge
        friend bool operator==(const Placement&, const Placement&) = default;
    };

    static constexpr int kMargin = 8; // room for the shadow around the panel
    static constexpr int kArrowWidth = 18;
    static constexpr int kArrowHeight = 8;
    static constexpr int kCornerRadius = 10;
    static constexpr int kPlainBorder = 1;

    // The look this desktop can show.
    explicit Popover(QWidget* parent = nullptr);
    Popover(QWidget* parent, Look look);
    ~Popover() override;

    // Takes ownership; deletes the previous content.
    void setContent(QWidget* content);
    QWidget* content() const { return m_content; }

    // Sizes the popup to its content and shows it anchored to `anchor`.
    void showAnchoredTo(QWidget* anchor);
    // What a popover's button does: closes it when open, else shows it under `anchor`.
    void toggleAnchoredTo(QWidget* anchor);
    QWidget* anchor() const { return m_anchor; }
    Look look() const { return m_look; }

    static Look lookForThisDesktop();

    // Where a panel of `contentSize` goes for an anchor at `anchor` (screen coordinates) on a
    // screen whose usable area is `screen`.
    static Placement place(QSize contentSize, QRect anchor, QRect screen, Look look = Look::Shaped);

Q_SIGNALS:
    // Emitted whenever the popup goes away, however it was closed.
    void closed();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void reposition();
    void applyPlacement(const Placement& placement);
    void watchAnchor(QWidget* anchor);
    QRect anchorRectOnScreen() const;

    void paintShaped(QPainter& painter);
    void paintPlain(QPainter& painter);

    Look m_look;
    QPointer<QWidget> m_content;
    QPointer<QWidget> m_anchor;
    ArrowEdge m_edge = ArrowEdge::Top;
    int m_arrowX = 0;
};
