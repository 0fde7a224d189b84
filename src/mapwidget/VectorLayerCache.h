#pragma once

#include "mapwidget/MapLayer.h"
#include "mapwidget/MapViewport.h"

#include <QImage>
#include <QList>

#include <functional>
#include <memory>

class MapOverlayRenderer;
class QPainter;

// A run of vector overlays that lie next to each other in the drawing order, drawn into
// one picture that is reused until the view's scale or the overlays change. Antialiased,
// dashed lines cost milliseconds per thousand points, so a new radar frame or a pan must
// not redraw them: panning only shifts the picture (it covers a margin around the view and
// sits on whole device pixels, so the shift is exact); while the map moves, a zoom scales
// the old picture and the lines are drawn afresh once it stands still.
class VectorLayerCache : public MapLayer {
public:
    // `rendered` is told every time the lines are drawn afresh.
    explicit VectorLayerCache(std::function<void()> rendered = {});

    void setRenderers(QList<std::shared_ptr<MapOverlayRenderer>> renderers);
    const QList<std::shared_ptr<MapOverlayRenderer>>& renderers() const { return m_renderers; }
    bool contains(const MapOverlayRenderer* renderer) const;

    void invalidate() { m_valid = false; }
    void paint(QPainter& painter, const MapViewport& viewport, bool moving) override;

private:
    enum class Reuse { Exact, Scaled, None };
    Reuse reuseFor(const MapViewport& viewport, bool moving) const;
    void render(const MapViewport& viewport);
    void findBlocks();

    std::function<void()> m_rendered;
    QList<std::shared_ptr<MapOverlayRenderer>> m_renderers;
    QImage m_image;
    QList<QRect> m_blocks; // the parts of the picture with anything in them
    double m_scale = 0;    // device pixels per map point the picture was drawn at
    QPoint m_origin;       // the picture's top-left in the plane's device pixels
    bool m_valid = false;
};
