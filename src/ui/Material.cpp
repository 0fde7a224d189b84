#include "ui/Material.h"

#include "ui/PaneStyle.h"

#include <QPainter>
#include <QPalette>

namespace Material {

QColor fill(Kind kind, const QPalette& palette)
{
    const bool dark = PaneStyle::isDark(palette);
    QColor base = dark ? QColor(38, 38, 40) : QColor(248, 248, 248);
    base.setAlphaF(kind == Kind::Bar ? 0.9f : 0.82f);
    return base;
}

QColor edge(const QPalette& palette)
{
    return PaneStyle::isDark(palette) ? QColor(255, 255, 255, 36) : QColor(0, 0, 0, 30);
}

void paint(QPainter& painter, const QPainterPath& shape, Kind kind, const QPalette& palette)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill(kind, palette));
    painter.drawPath(shape);
    // Stroke inside the shape so the hairline covers whole device pixels on a shape drawn at
    // whole coordinates, at 1x and 2x alike.
    painter.setClipPath(shape, Qt::IntersectClip);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(edge(palette), 2.0));
    painter.drawPath(shape);
    painter.restore();
}

void paint(QPainter& painter, const QRectF& rect, qreal radius, Kind kind, const QPalette& palette)
{
    QPainterPath shape;
    if (radius > 0)
        shape.addRoundedRect(rect, radius, radius);
    else
        shape.addRect(rect);
    paint(painter, shape, kind, palette);
}

} // namespace Material

MaterialPanel::MaterialPanel(Material::Kind kind, QWidget* parent)
    : QWidget(parent)
    , m_kind(kind)
{}

void MaterialPanel::setCornerRadius(qreal radius)
{
    if (qFuzzyCompare(m_cornerRadius, radius))
        return;
    m_cornerRadius = radius;
    update();
}

void MaterialPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    Material::paint(painter, QRectF(rect()), m_cornerRadius, m_kind, palette());
}
