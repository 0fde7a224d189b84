#include "ui/PopoverScrollArea.h"

#include <QEvent>
#include <QScrollBar>

PopoverScrollArea::PopoverScrollArea(QWidget* content, int maximumHeight, QWidget* parent)
    : QScrollArea(parent)
    , m_maximumHeight(maximumHeight)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(true);
    viewport()->setAutoFillBackground(false);
    setWidget(content);
    // The popover's panel shows through (setWidget turned the content's filling on).
    content->setAutoFillBackground(false);
    // The content asking for another size reaches the viewport, not the popover.
    viewport()->installEventFilter(this);
    content->installEventFilter(this);
}

bool PopoverScrollArea::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::LayoutRequest)
        updateGeometry();
    return QScrollArea::eventFilter(watched, event);
}

QSize PopoverScrollArea::sizeHint() const
{
    if (!widget())
        return {};
    const QSize content = widget()->sizeHint().expandedTo(widget()->minimumSize());
    if (content.height() <= m_maximumHeight)
        return content;
    return {content.width() + verticalScrollBar()->sizeHint().width(), m_maximumHeight};
}
