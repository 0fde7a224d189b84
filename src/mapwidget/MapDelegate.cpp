#include "mapwidget/MapDelegate.h"

#include "mapwidget/ShapeRenderer.h"
#include "mapwidget/TileOverlay.h"
#include "mapwidget/TileOverlayRenderer.h"

MapDelegate::~MapDelegate() = default;

std::shared_ptr<MapOverlayRenderer>
MapDelegate::rendererFor(const std::shared_ptr<MapOverlay>& overlay)
{
    if (auto tiles = std::dynamic_pointer_cast<TileOverlay>(overlay))
        return std::make_shared<TileOverlayRenderer>(std::move(tiles));
    if (auto shape = std::dynamic_pointer_cast<ShapeOverlay>(overlay))
        return std::make_shared<ShapeRenderer>(std::move(shape));
    return nullptr;
}

std::shared_ptr<MapAnnotationView> MapDelegate::viewFor(MapScene&,
                                                        const std::shared_ptr<MapAnnotation>&)
{
    return nullptr;
}
