#pragma once

#include <functional>
#include <memory>

class MapOverlay;

// Draws one overlay; the map's delegate makes one per overlay. Renderers live on the GUI
// thread. A renderer tells the map it needs drawing again through setNeedsDisplay(); the
// map connects it when the overlay is added and disconnects it when it is removed.
class MapOverlayRenderer {
public:
    enum class Change { Display, ReloadTiles };

    explicit MapOverlayRenderer(std::shared_ptr<MapOverlay> overlay);
    MapOverlayRenderer(const MapOverlayRenderer&) = delete;
    MapOverlayRenderer& operator=(const MapOverlayRenderer&) = delete;
    virtual ~MapOverlayRenderer();

    const std::shared_ptr<MapOverlay>& overlay() const { return m_overlay; }

    double alpha() const { return m_alpha; }
    void setAlpha(double alpha);

    void setNeedsDisplay();

    // Used by the map.
    void setChangeHandler(std::function<void(Change)> handler);

protected:
    void notify(Change change);

private:
    std::shared_ptr<MapOverlay> m_overlay;
    double m_alpha = 1.0;
    std::function<void(Change)> m_changeHandler;
};
