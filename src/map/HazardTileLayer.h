#pragma once

#include "mapwidget/MapLayer.h"
#include "radar/RadarFrame.h"

#include <QPointer>

#include <memory>
#include <optional>

class MapOverlay;
class MapWidget;
class RadarTileLoader;
class RadarTileOverlay;
class TileOverlayRenderer;

// One nowcast tile layer over the rain: the thunder activity or the tornado likelihood of
// the frame that belongs to the radar frame, drawn as the agency serves it at an alpha of its
// own. With no frame the overlay leaves the map, so a stale picture never stays.
// GUI thread.
class HazardTileLayer {
public:
    // Above the rain (MapZ::AboveRoads), below the prefecture borders, the rings and every
    // label; tornado above thunder, its areas being the smaller and the rarer.
    static constexpr int kThunderZ = MapZ::AboveRoads + 1;
    static constexpr int kTornadoZ = MapZ::AboveRoads + 2;
    // Opaque enough that level 1 reads over heavy rain, light enough to show the rain beneath.
    static constexpr double kAlpha = 0.7;

    HazardTileLayer(RadarTileLoader& loader, int z);
    HazardTileLayer(const HazardTileLayer&) = delete;
    HazardTileLayer& operator=(const HazardTileLayer&) = delete;
    ~HazardTileLayer();

    void setMap(MapWidget* map);
    // Shows `frame`, or takes the overlay off the map when there is none.
    void show(const std::optional<RadarFrame>& frame);
    // The map asks for every visible tile again.
    void reloadTiles();

    // A renderer for this layer's overlay; null for any other. The map's delegate hands it
    // out.
    std::shared_ptr<TileOverlayRenderer> rendererFor(const std::shared_ptr<MapOverlay>& overlay);

    const std::shared_ptr<RadarTileOverlay>& overlay() const { return m_overlay; }
    const std::shared_ptr<TileOverlayRenderer>& renderer() const { return m_renderer; }
    std::optional<RadarFrame> frame() const;

private:
    void remove();

    RadarTileLoader& m_loader;
    int m_z;
    QPointer<MapWidget> m_map;
    std::shared_ptr<RadarTileOverlay> m_overlay;
    std::shared_ptr<TileOverlayRenderer> m_renderer;
};
