#include "mapwidget/MarkerAnnotationView.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

constexpr double kHead = 28;
constexpr double kSelectedHead = 36;
constexpr double kPad = 2; // room for the outline and the shadow

} // namespace

MarkerAnnotationView::MarkerAnnotationView(QString reuseIdentifier)
    : MapAnnotationView(std::move(reuseIdentifier))
{
    setCanShowCallout(true);
    updateGeometry();
}

void MarkerAnnotationView::setMarkerTintColor(const QColor& color)
{
    if (m_tint != color) {
        m_tint = color;
        setNeedsDisplay();
    }
}

void MarkerAnnotationView::setGlyphImage(const QImage& glyph)
{
    m_glyph = glyph;
    setNeedsDisplay();
}

void MarkerAnnotationView::selectionChanged()
{
    updateGeometry();
}

double MarkerAnnotationView::headDiameter() const
{
    return isSelected() ? kSelectedHead : kHead;
}

void MarkerAnnotationView::updateGeometry()
{
    const double d = headDiameter();
    const QSizeF size(d + 2 * kPad, d * 1.4 + 2 * kPad);
    setSize(size);
    // The tip, at the bottom, marks the coordinate.
    setCenterOffset(QPointF(0, -size.height() / 2 + kPad));
}

void MarkerAnnotationView::paint(QPainter& painter) const
{
    const double d = headDiameter();
    const double r = d / 2;
    const QPointF center(kPad + r, kPad + r);
    const QPointF tip(kPad + r, kPad + d * 1.4);
    // The two points where straight lines from the tip touch the head.
    const double distance = tip.y() - center.y();
    const double along = r * r / distance;
    const double across = r * std::sqrt(1 - (r / distance) * (r / distance));

    QPainterPath balloon;
    balloon.addEllipse(center, r, r);
    QPainterPath point;
    point.moveTo(tip);
    point.lineTo(center + QPointF(-across, along));
    point.lineTo(center + QPointF(across, along));
    point.closeSubpath();
    balloon = balloon.united(point).simplified();

    painter.fillPath(balloon.translated(0, 1), QColor(0, 0, 0, 60));
    painter.fillPath(balloon, m_tint);
    painter.setPen(QPen(m_tint.darker(130), 1));
    painter.drawPath(balloon);

    const double glyphSize = d * 0.56;
    const QRectF glyphRect(center.x() - glyphSize / 2, center.y() - glyphSize / 2, glyphSize,
                           glyphSize);
    if (m_glyph.isNull()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(Qt::white));
        painter.drawEllipse(center, d * 0.16, d * 0.16);
        return;
    }
    // Glyph pictures are tinted through their alpha, so any coloured icon works.
    const qreal dpr = painter.device()->devicePixelRatio();
    QImage tinted(QSize(int(std::ceil(glyphSize * dpr)), int(std::ceil(glyphSize * dpr))),
                  QImage::Format_ARGB32_Premultiplied);
    tinted.fill(Qt::transparent);
    {
        QPainter glyph(&tinted);
        glyph.setRenderHint(QPainter::SmoothPixmapTransform, true);
        glyph.drawImage(QRectF(QPointF(0, 0), QSizeF(tinted.size())), m_glyph);
        glyph.setCompositionMode(QPainter::CompositionMode_SourceIn);
        glyph.fillRect(tinted.rect(), QColor(Qt::white));
    }
    painter.drawImage(glyphRect, tinted);
}
