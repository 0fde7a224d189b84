#include "map/HazardTileLayer.h"

#include "mapwidget/MapWidget.h"
#include "mapwidget/TileOverlayRenderer.h"
#include "tiles/RadarTileLoader.h"
#include "tiles/RadarTileOverlay.h"

HazardTileLayer::HazardTileLayer(RadarTileLoader& loader, int z)
    : m_loader(loader)
    , m_z(z)
{}

HazardTileLayer::~HazardTileLayer()
{
    remove();
}

void HazardTileLayer::setMap(MapWidget* map)
{
    if (map != m_map)
        remove();
    m_map = map;
}

std::optional<RadarFrame> HazardTileLayer::frame() const
{
    return m_overlay ? m_overlay->frame() : std::nullopt;
}

void HazardTileLayer::show(const std::optional<RadarFrame>& frame)
{
    if (!frame) {
        remove();
        return;
    }
    if (!m_map)
        return;
    if (!m_overlay) {
        m_overlay = RadarTileOverlay::create(&m_loader);
        m_overlay->setFrame(frame);
        m_map->addOverlay(m_overlay, m_z);
        return;
    }
    if (m_overlay->frame() == frame)
        return;
    m_overlay->setFrame(frame);
    // Most of a nowcast is empty: tiles empty before and after keep their (empty) picture.
    if (m_renderer)
        m_renderer->reloadData([&loader = m_loader, shown = *frame](const TileId& tile) {
            const auto picture = loader.pictures().displayTileInMemory(shown, {tile, 1.0});
            return picture && picture->empty;
        });
}

void HazardTileLayer::reloadTiles()
{
    if (m_renderer)
        m_renderer->reloadData();
}

std::shared_ptr<TileOverlayRenderer>
HazardTileLayer::rendererFor(const std::shared_ptr<MapOverlay>& overlay)
{
    if (!m_overlay || overlay != m_overlay)
        return nullptr;
    m_renderer = std::make_shared<TileOverlayRenderer>(m_overlay);
    m_renderer->setAlpha(kAlpha);
    return m_renderer;
}

void HazardTileLayer::remove()
{
    if (!m_overlay)
        return;
    m_overlay->teardown();
    if (m_map)
        m_map->removeOverlay(m_overlay);
    m_overlay.reset();
    m_renderer.reset();
}
