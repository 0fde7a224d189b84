#include "mapwidget/MapAnnotationView.h"

#include "mapwidget/MapAnnotation.h"

#include <QPainter>

#include <cmath>

MapAnnotationView::MapAnnotationView(QString reuseIdentifier)
    : m_reuseIdentifier(std::move(reuseIdentifier))
{}

MapAnnotationView::~MapAnnotationView() = default;

void MapAnnotationView::setAnnotation(std::shared_ptr<MapAnnotation> annotation)
{
    m_annotation = std::move(annotation);
}

void MapAnnotationView::setDisplayPriority(float priority)
{
    if (m_displayPriority != priority) {
        m_displayPriority = priority;
        if (m_changeHandler)
            m_changeHandler();
    }
}

void MapAnnotationView::setCollisionMode(CollisionMode mode)
{
    if (m_collisionMode != mode) {
        m_collisionMode = mode;
        if (m_changeHandler)
            m_changeHandler();
    }
}

void MapAnnotationView::setCenterOffset(const QPointF& offset)
{
    if (m_centerOffset != offset) {
        m_centerOffset = offset;
        if (m_changeHandler)
            m_changeHandler();
    }
}

void MapAnnotationView::setSelected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    selectionChanged();
    setNeedsDisplay();
}

QRectF MapAnnotationView::frameAt(const QPointF& point) const
{
    const QPointF center = point + m_centerOffset;
    return {center.x() - m_size.width() / 2, center.y() - m_size.height() / 2, m_size.width(),
            m_size.height()};
}

const QImage& MapAnnotationView::image(qreal devicePixelRatio)
{
    if (m_image.isNull() || m_image.devicePixelRatio() != devicePixelRatio) {
        const QSize pixels(int(std::ceil(m_size.width() * devicePixelRatio)),
                           int(std::ceil(m_size.height() * devicePixelRatio)));
        m_image = QImage(pixels.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
        m_image.setDevicePixelRatio(devicePixelRatio);
        m_image.fill(Qt::transparent);
        QPainter painter(&m_image);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        paint(painter);
    }
    return m_image;
}

void MapAnnotationView::setNeedsDisplay()
{
    m_image = QImage();
    if (m_changeHandler)
        m_changeHandler();
}

void MapAnnotationView::setChangeHandler(std::function<void()> handler)
{
    m_changeHandler = std::move(handler);
}

void MapAnnotationView::prepareForReuse()
{
    setSelected(false);
}

void MapAnnotationView::setSize(const QSizeF& size)
{
    if (m_size != size) {
        m_size = size;
        setNeedsDisplay();
    }
}
