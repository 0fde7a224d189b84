#pragma once

#include "mapwidget/MapLayer.h"

#include <QtGlobal>

#include <functional>
#include <memory>

class MapOverlay;
struct ShapeProjection;

// Draws one overlay; the map's delegate makes one per overlay. Renderers live on the GUI
// thread. A renderer tells the map it needs drawing again through setNeedsDisplay(); the
// map connects it when the overlay is added and disconnects it when it is removed.
//
// A renderer with a layer of its own (tiles) is drawn as that layer, at the renderer's
// alpha; one without draws with draw() into the picture it shares with the vector overlays
// next to it, so a new kind of overlay is one renderer class and its registration in the
// delegate.
class MapOverlayRenderer {
public:
    explicit MapOverlayRenderer(std::shared_ptr<MapOverlay> overlay);
    MapOverlayRenderer(const MapOverlayRenderer&) = delete;
    MapOverlayRenderer& operator=(const MapOverlayRenderer&) = delete;
    virtual ~MapOverlayRenderer();

    const std::shared_ptr<MapOverlay>& overlay() const { return m_overlay; }

    double alpha() const { return m_alpha; }
    void setAlpha(double alpha);

    void setNeedsDisplay();

    // Made once, when the overlay is added; nullptr: drawn with draw().
    virtual std::shared_ptr<MapLayer> makeLayer(const MapLayerContext& context);
    // Draws into a painter working in device pixels, `devicePixelRatio` of them per point.
    virtual void draw(QPainter& painter, const ShapeProjection& projection,
                      qreal devicePixelRatio) const;

    // Used by the map.
    void setChangeHandler(std::function<void()> handler);

protected:
    // Whether a map draws the overlay.
    bool isAttached() const { return bool(m_changeHandler); }

private:
    std::shared_ptr<MapOverlay> m_overlay;
    double m_alpha = 1.0;
    std::function<void()> m_changeHandler;
};
