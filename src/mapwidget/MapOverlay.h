#pragma once

// Something drawn over the map: tiles, lines, circles. Overlays are shared between their
// owner and the map (std::shared_ptr); the map identifies them by address and asks its
// delegate for a renderer for each one.
class MapOverlay {
public:
    MapOverlay() = default;
    MapOverlay(const MapOverlay&) = delete;
    MapOverlay& operator=(const MapOverlay&) = delete;
    virtual ~MapOverlay();
};
