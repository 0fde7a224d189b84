#include "mapwidget/ShapeRenderer.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

ShapeRenderer::ShapeRenderer(std::shared_ptr<ShapeOverlay> overlay)
    : MapOverlayRenderer(overlay)
    , m_shape(std::move(overlay))
{}

void ShapeRenderer::changed()
{
    setNeedsDisplay();
}

void ShapeRenderer::setStrokeColor(const QColor& color)
{
    if (m_strokeColor != color) {
        m_strokeColor = color;
        changed();
    }
}

void ShapeRenderer::setFillColor(const QColor& color)
{
    if (m_fillColor != color) {
        m_fillColor = color;
        changed();
    }
}

void ShapeRenderer::setLineWidth(double width)
{
    if (std::isfinite(width) && width >= 0 && m_lineWidth != width) {
        m_lineWidth = width;
        changed();
    }
}

void ShapeRenderer::setLineDashPattern(const QList<double>& pattern)
{
    if (m_dashPattern != pattern) {
        m_dashPattern = pattern;
        changed();
    }
}

void ShapeRenderer::setLineCap(Qt::PenCapStyle cap)
{
    if (m_cap != cap) {
        m_cap = cap;
        changed();
    }
}

void ShapeRenderer::setLineJoin(Qt::PenJoinStyle join)
{
    if (m_join != join) {
        m_join = join;
        changed();
    }
}

void ShapeRenderer::draw(QPainter& painter, const ShapeProjection& projection,
                         qreal devicePixelRatio) const
{
    if (alpha() <= 0)
        return;
    QPainterPath path;
    m_shape->addToPath(path, projection);
    if (path.isEmpty())
        return;

    painter.save();
    painter.setOpacity(painter.opacity() * alpha());
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (m_shape->isClosed() && m_fillColor.alpha() > 0)
        painter.fillPath(path, m_fillColor);
    if (m_lineWidth > 0 && m_strokeColor.alpha() > 0) {
        const double width = m_lineWidth * devicePixelRatio;
        QPen pen(m_strokeColor, width, Qt::SolidLine, m_cap, m_join);
        // QPen measures dashes in line widths; ours are points.
        // An odd list repeats to alternate drawn and gap parts; a pattern with no length
        // at all would never advance, so it draws solid.
        QList<double> pattern = m_dashPattern;
        if (pattern.size() % 2 == 1)
            pattern += m_dashPattern;
        double total = 0;
        bool valid = !pattern.isEmpty();
        for (double length : pattern) {
            valid = valid && std::isfinite(length) && length >= 0;
            total += length;
        }
        if (valid && total > 0 && width > 0) {
            QList<qreal> dashes;
            for (double length : pattern)
                dashes.append(length * devicePixelRatio / width);
            pen.setDashPattern(dashes);
        }
        painter.strokePath(path, pen);
    }
    painter.restore();
}
