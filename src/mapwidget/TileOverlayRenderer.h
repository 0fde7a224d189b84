#pragma once

#include "mapwidget/MapOverlayRenderer.h"

class TileOverlay;

// Draws a tile overlay at the renderer's alpha. reloadData() makes the map ask the overlay
// again for every visible tile; the pictures it has stay on screen until their
// replacements arrive, so a new frame never blanks the map.
class TileOverlayRenderer : public MapOverlayRenderer {
public:
    explicit TileOverlayRenderer(std::shared_ptr<TileOverlay> overlay);

    void reloadData();
};
