#pragma once

#include "mapwidget/MapViewport.h"

#include <QImage>
#include <QList>

#include <memory>

class QPainter;
class ShapeRenderer;

// A run of vector overlays that lie next to each other in the drawing order, drawn into
// one picture that is reused until the view's scale or the overlays change. Antialiased,
// dashed lines cost milliseconds per thousand points, so a new radar frame or a pan must
// not redraw them: panning only shifts the picture (it covers a margin around the view and
// sits on whole device pixels, so the shift is exact); while the map moves, a zoom scales
// the old picture and the lines are drawn afresh once it stands still.
class VectorLayerCache {
public:
    void setRenderers(QList<std::shared_ptr<ShapeRenderer>> renderers);
    const QList<std::shared_ptr<ShapeRenderer>>& renderers() const { return m_renderers; }
    bool contains(const ShapeRenderer* renderer) const;

    void invalidate() { m_valid = false; }
    // The painter works in device pixels of `viewport`.
    void paint(QPainter& painter, const MapViewport& viewport, bool moving);
    // Whether paint() would draw the lines afresh.
    bool needsRender(const MapViewport& viewport, bool moving) const;

private:
    enum class Reuse { Exact, Scaled, None };
    Reuse reuseFor(const MapViewport& viewport, bool moving) const;
    void render(const MapViewport& viewport);
    void findBlocks();

    QList<std::shared_ptr<ShapeRenderer>> m_renderers;
    QImage m_image;
    QList<QRect> m_blocks; // the parts of the picture with anything in them
    double m_scale = 0;    // device pixels per map point the picture was drawn at
    QPoint m_origin;       // the picture's top-left in the plane's device pixels
    bool m_valid = false;
};
