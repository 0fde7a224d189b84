#pragma once

#include "mapwidget/MapOverlayRenderer.h"
#include "mapwidget/ShapeOverlay.h"

#include <QColor>
#include <QList>

class QPainter;

// Strokes and fills a shape overlay: stroke colour, fill colour (closed shapes only), line
// width and dash lengths in points, line cap and join. Every setter asks the map to draw
// the overlay again; drawing happens into the map's cached vector layer, not per frame.
class ShapeRenderer : public MapOverlayRenderer {
public:
    explicit ShapeRenderer(std::shared_ptr<ShapeOverlay> overlay);

    QColor strokeColor() const { return m_strokeColor; }
    void setStrokeColor(const QColor& color);
    QColor fillColor() const { return m_fillColor; }
    void setFillColor(const QColor& color);
    void setLineWidth(double width);
    // Alternating drawn and gap lengths in points; empty for a solid line.
    void setLineDashPattern(const QList<double>& pattern);
    void setLineCap(Qt::PenCapStyle cap);
    void setLineJoin(Qt::PenJoinStyle join);

    const ShapeOverlay& shape() const { return *m_shape; }

    void draw(QPainter& painter, const ShapeProjection& projection,
              qreal devicePixelRatio) const override;

private:
    void changed();

    std::shared_ptr<ShapeOverlay> m_shape;
    QColor m_strokeColor = Qt::black;
    QColor m_fillColor = Qt::transparent;
    double m_lineWidth = 1.0;
    QList<double> m_dashPattern;
    Qt::PenCapStyle m_cap = Qt::RoundCap;
    Qt::PenJoinStyle m_join = Qt::RoundJoin;
};

// One name per shape kind, as callers think of them; they differ only in their overlay.
using PolylineRenderer = ShapeRenderer;
using MultiPolylineRenderer = ShapeRenderer;
using CircleRenderer = ShapeRenderer;
