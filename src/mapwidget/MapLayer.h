#pragma once

#include <functional>
#include <memory>

class GuiThreadRelay;
class MapViewport;
class QPainter;

// A layer's place in the scene's drawing order: lower values lie below, equal values in the
// order of addition. Overlays may take any value between the base map and the annotations.
namespace MapZ {
inline constexpr int BaseMap = 0;
inline constexpr int AboveRoads = 100;
inline constexpr int AboveLabels = 200;
inline constexpr int Annotations = 1000;
inline constexpr int Credit = 1100;
} // namespace MapZ

// One thing the scene draws: the base map, an overlay's tiles, a run of vector overlays,
// the annotations, the credit. Lives on the GUI thread.
class MapLayer {
public:
    MapLayer() = default;
    MapLayer(const MapLayer&) = delete;
    MapLayer& operator=(const MapLayer&) = delete;
    virtual ~MapLayer();

    // Called after every change of the view or of the appearance, only with views that have
    // a size. A view the layer already has may come again (when only the appearance changed).
    virtual void setView(const MapViewport& viewport, bool dark);
    // The painter works in device pixels of `viewport`. A moving map is drawn faster and
    // rougher (no smooth scaling, scaled pictures).
    virtual void paint(QPainter& painter, const MapViewport& viewport, bool moving) = 0;
    // Everything the view needs is there, or nothing more is on its way.
    virtual bool isComplete() const { return true; }
    // Whether the layer covers the base map entirely, which is then neither drawn nor credited.
    virtual bool hidesBaseMap() const { return false; }
};

// What a layer made for an overlay gets from its scene.
struct MapLayerContext {
    // Answers from other threads come back to the GUI thread through it.
    std::shared_ptr<GuiThreadRelay> relay;
    // Asks the scene to draw again.
    std::function<void()> changed;
};
