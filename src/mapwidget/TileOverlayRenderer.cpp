#include "mapwidget/TileOverlayRenderer.h"

#include "mapwidget/TileOverlay.h"

TileOverlayRenderer::TileOverlayRenderer(std::shared_ptr<TileOverlay> overlay)
    : MapOverlayRenderer(std::move(overlay))
{}

void TileOverlayRenderer::reloadData()
{
    notify(Change::ReloadTiles);
}
