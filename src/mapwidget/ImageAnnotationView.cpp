#include "mapwidget/ImageAnnotationView.h"

#include <QPainter>

ImageAnnotationView::ImageAnnotationView(QString reuseIdentifier)
    : MapAnnotationView(std::move(reuseIdentifier))
{}

void ImageAnnotationView::setImage(const QImage& image)
{
    m_picture = image;
    setSize(image.deviceIndependentSize());
    setNeedsDisplay();
}

void ImageAnnotationView::paint(QPainter& painter) const
{
    if (!m_picture.isNull())
        painter.drawImage(QRectF(QPointF(0, 0), size()), m_picture);
}
