#pragma once

#include "geo/TileId.h"
#include "mapwidget/MapOverlayRenderer.h"

#include <functional>

class TileOverlay;
class TileOverlayLayer;

// Draws a tile overlay at the renderer's alpha. reloadData() makes the map ask the overlay
// again for every visible tile; the pictures it has stay on screen until their
// replacements arrive, so a new frame never blanks the map.
class TileOverlayRenderer : public MapOverlayRenderer {
public:
    explicit TileOverlayRenderer(std::shared_ptr<TileOverlay> overlay);

    void reloadData();
    // The same, keeping the empty pictures of tiles for which `showsNothing` holds (see
    // TileOverlayLayer::reload).
    void reloadData(const std::function<bool(const TileId&)>& showsNothing);

    std::shared_ptr<MapLayer> makeLayer(const MapLayerContext& context) override;

private:
    std::shared_ptr<TileOverlay> m_tiles;
    std::weak_ptr<TileOverlayLayer> m_layer;
};
