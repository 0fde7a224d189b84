#pragma once

#include <memory>

class MapAnnotation;
class MapAnnotationView;
class MapOverlay;
class MapOverlayRenderer;
class MapScene;

// Chooses how the map draws what its owner adds. The defaults draw tile overlays with a
// TileOverlayRenderer, shapes with a ShapeRenderer, and annotations as red markers.
class MapDelegate {
public:
    virtual ~MapDelegate();

    // Asked once, when the overlay is added; nullptr leaves the overlay undrawn.
    virtual std::shared_ptr<MapOverlayRenderer>
    rendererFor(const std::shared_ptr<MapOverlay>& overlay);
    // Asked once, when the annotation is added. Take views from
    // map.dequeueReusableView(identifier) before making new ones; nullptr gets the default.
    virtual std::shared_ptr<MapAnnotationView>
    viewFor(MapScene& map, const std::shared_ptr<MapAnnotation>& annotation);
};
