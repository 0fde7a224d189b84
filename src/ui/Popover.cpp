#include "ui/Popover.h"

#include "platform/WindowSystem.h"
#include "ui/Material.h"
#include "ui/PaneStyle.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include <algorithm>

namespace {

// What lies between the popup's edge and its content.
struct Frame {
    int margin;      // each side
    int arrowHeight; // added on the arrow's edge
    int overhang;    // how far the popup reaches over its button
};

Frame frameFor(Popover::Look look)
{
    // The shaped popup's shadow margin lies over the button, so the arrow's tip touches it.
    if (look == Popover::Look::Shaped)
        return {Popover::kMargin, Popover::kArrowHeight, Popover::kMargin};
    return {Popover::kPlainBorder, 0, 0};
}

QPainterPath panelShape(QRectF body, Popover::ArrowEdge edge, qreal arrowX)
{
    QPainterPath panel;
    panel.addRoundedRect(body, Popover::kCornerRadius, Popover::kCornerRadius);
    const qreal half = Popover::kArrowWidth / 2.0;
    QPainterPath arrow;
    if (edge == Popover::ArrowEdge::Top) {
        // One pixel of overlap with the body so the union leaves no seam.
        arrow.moveTo(arrowX - half, body.top() + 1);
        arrow.lineTo(arrowX, body.top() - Popover::kArrowHeight);
        arrow.lineTo(arrowX + half, body.top() + 1);
    } else {
        arrow.moveTo(arrowX - half, body.bottom() - 1);
        arrow.lineTo(arrowX, body.bottom() + Popover::kArrowHeight);
        arrow.lineTo(arrowX + half, body.bottom() - 1);
    }
    arrow.closeSubpath();
    return panel.united(arrow).simplified();
}

} // namespace

Popover::Popover(QWidget* parent)
    : Popover(parent, lookForThisDesktop())
{}

Popover::Popover(QWidget* parent, Look look)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint)
    , m_look(look)
{
    // The window's visual is chosen when it is created, so the look is fixed from the start.
    if (look == Look::Shaped)
        setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::StrongFocus); // Escape reaches it
}

Popover::Look Popover::lookForThisDesktop()
{
    return WindowSystem::composites() ? Look::Shaped : Look::Plain;
}

Popover::~Popover() = default;

void Popover::setContent(QWidget* content)
{
    if (m_content == content)
        return;
    delete m_content;
    m_content = content;
    if (content)
        content->setParent(this);
}

Popover::Placement Popover::place(QSize contentSize, QRect anchor, QRect screen, Look look)
{
    const Frame frame = frameFor(look);
    const QSize size(contentSize.width() + 2 * frame.margin,
                     contentSize.height() + 2 * frame.margin + frame.arrowHeight);
    const int anchorX = anchor.x() + anchor.width() / 2;

    Placement placement;
    const int belowTop = anchor.y() + anchor.height() - frame.overhang;
    const int aboveTop = anchor.y() - (size.height() - frame.overhang);
    const int roomBelow = screen.y() + screen.height() - belowTop;
    const int roomAbove = anchor.y() + frame.overhang - screen.y();
    if (roomBelow >= size.height() || roomBelow >= roomAbove) {
        placement.edge = ArrowEdge::Top;
        placement.geometry = QRect(QPoint(0, belowTop), size);
    } else {
        placement.edge = ArrowEdge::Bottom;
        placement.geometry = QRect(QPoint(0, aboveTop), size);
    }

    int left = anchorX - size.width() / 2;
    left = std::min(left, screen.x() + screen.width() - size.width());
    left = std::max(left, screen.x());
    placement.geometry.moveLeft(left);

    // The arrow keeps pointing at the anchor but never leaves the straight part of the edge.
    const int inset = kMargin + kCornerRadius + kArrowWidth / 2;
    placement.arrowX = std::clamp(anchorX - left, inset, std::max(inset, size.width() - inset));
    return placement;
}

void Popover::toggleAnchoredTo(QWidget* anchor)
{
    if (isVisible())
        close();
    else
        showAnchoredTo(anchor);
}

void Popover::showAnchoredTo(QWidget* anchor)
{
    watchAnchor(anchor);
    if (!m_content)
        return;
    reposition();
    show();
    raise();
    setFocus(Qt::PopupFocusReason);
}

void Popover::reposition()
{
    if (!m_content)
        return;
    QSize contentSize = m_content->sizeHint()
                            .expandedTo(m_content->minimumSize())
                            .boundedTo(m_content->maximumSize());
    // Wrapped text grows downwards at the width the content settles on.
    if (m_content->hasHeightForWidth())
        contentSize.setHeight(
            std::max(contentSize.height(), m_content->heightForWidth(contentSize.width())));

    QRect screenRect(QPoint(0, 0), QSize(1 << 20, 1 << 20));
    QScreen* screen = m_anchor ? m_anchor->screen() : QGuiApplication::primaryScreen();
    if (screen)
        screenRect = screen->availableGeometry();
    applyPlacement(place(contentSize, anchorRectOnScreen(), screenRect, m_look));
}

bool Popover::event(QEvent* event)
{
    // The content asks for another size (a panel whose list just loaded): follow it.
    if (event->type() == QEvent::LayoutRequest && isVisible())
        reposition();
    return QWidget::event(event);
}

void Popover::applyPlacement(const Placement& placement)
{
    m_edge = placement.edge;
    m_arrowX = placement.arrowX;
    setGeometry(placement.geometry);
    if (m_content) {
        const Frame frame = frameFor(m_look);
        const int top = frame.margin + (m_edge == ArrowEdge::Top ? frame.arrowHeight : 0);
        m_content->setGeometry(frame.margin, top, placement.geometry.width() - 2 * frame.margin,
                               placement.geometry.height() - 2 * frame.margin - frame.arrowHeight);
        m_content->show();
    }
    update();
}

void Popover::watchAnchor(QWidget* anchor)
{
    if (m_anchor == anchor)
        return;
    if (m_anchor) {
        m_anchor->removeEventFilter(this);
        disconnect(m_anchor, nullptr, this, nullptr);
    }
    m_anchor = anchor;
    if (anchor) {
        anchor->installEventFilter(this);
        connect(anchor, &QObject::destroyed, this, &QWidget::close);
    }
}

QRect Popover::anchorRectOnScreen() const
{
    if (!m_anchor)
        return QRect(QCursor::pos(), QSize(1, 1));
    return QRect(m_anchor->mapToGlobal(QPoint(0, 0)), m_anchor->size());
}

bool Popover::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_anchor && event->type() == QEvent::Hide && isVisible())
        close();
    return QWidget::eventFilter(watched, event);
}

void Popover::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    Q_EMIT closed();
}

void Popover::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Popover::mousePressEvent(QMouseEvent* event)
{
    const QPoint global = event->globalPosition().toPoint();
    if (!rect().contains(event->position().toPoint()) && m_anchor &&
        anchorRectOnScreen().contains(global)) {
        // The press on the anchor closes the popup and ends there.
        setAttribute(Qt::WA_NoMouseReplay);
    }
    QWidget::mousePressEvent(event);
}

void Popover::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_look == Look::Shaped)
        paintShaped(painter);
    else
        paintPlain(painter);
}

void Popover::paintPlain(QPainter& painter)
{
    // Every pixel opaque: the same tone as the shaped panel, laid over the window colour.
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.fillRect(rect(), Material::fill(Material::Kind::Bar, palette()));
    painter.setPen(QPen(PaneStyle::secondaryText(palette()), kPlainBorder));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

void Popover::paintShaped(QPainter& painter)
{
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(rect()).adjusted(
        kMargin, kMargin + (m_edge == ArrowEdge::Top ? kArrowHeight : 0), -kMargin,
        -kMargin - (m_edge == ArrowEdge::Bottom ? kArrowHeight : 0));
    const QPainterPath shape = panelShape(body, m_edge, m_arrowX);

    // A soft shadow in a few widening rings outside the panel, enough to lift it off the map.
    QPainterPath outside;
    outside.addRect(QRectF(rect()));
    painter.save();
    painter.setClipPath(outside.subtracted(shape));
    painter.setBrush(Qt::NoBrush);
    for (int ring = 1; ring <= 4; ++ring) {
        painter.setPen(QPen(QColor(0, 0, 0, 16 - 3 * ring), 2.0 * ring));
        painter.drawPath(shape.translated(0, 1));
    }
    painter.restore();
    // A popup cannot blur what lies beneath its window, so the panel uses the nearly opaque
    // material.
    Material::paint(painter, shape, Material::Kind::Bar, palette());
}
