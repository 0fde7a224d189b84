#include "mapwidget/TileOverlayRenderer.h"

#include "mapwidget/TileOverlay.h"
#include "mapwidget/TileOverlayLayer.h"

TileOverlayRenderer::TileOverlayRenderer(std::shared_ptr<TileOverlay> overlay)
    : MapOverlayRenderer(overlay)
    , m_tiles(std::move(overlay))
{}

std::shared_ptr<MapLayer> TileOverlayRenderer::makeLayer(const MapLayerContext& context)
{
    auto layer = std::make_shared<TileOverlayLayer>(m_tiles, context.relay, context.changed);
    m_layer = layer;
    return layer;
}

void TileOverlayRenderer::reloadData()
{
    // Out of the map, the layer is gone for good even if a late answer still holds it.
    if (!isAttached())
        return;
    if (auto layer = m_layer.lock())
        layer->reload();
    setNeedsDisplay();
}

void TileOverlayRenderer::reloadData(const std::function<bool(const TileId&)>& showsNothing)
{
    if (!isAttached())
        return;
    if (auto layer = m_layer.lock())
        layer->reload(showsNothing);
    setNeedsDisplay();
}
