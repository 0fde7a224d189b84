#pragma once

#include "map/PrefectureLayer.h"
#include "map/RadarMapView.h"
#include "mapwidget/MapScene.h"

#include <QWidget>

#include <memory>

class MapWidget;
class RadarMapCoordinator;
class RadarTileLoader;

// The map of one radar pane with its coordinator: a plain container that holds the map
// widget at its own size. The pane creates it with its first RadarMapView and calls
// update() with a new value on every change of state.
class RadarMapHost : public QWidget {
    Q_OBJECT

public:
    explicit RadarMapHost(const RadarMapView& first, QWidget* parent = nullptr,
                          MapSceneOptions options = {}, RadarTileLoader* loader = nullptr,
                          PrefectureData prefectures = PrefectureData::builtIn());
    ~RadarMapHost() override;

    void update(const RadarMapView& view);

    MapWidget& mapWidget() { return *m_map; }
    RadarMapCoordinator& coordinator() { return *m_coordinator; }

private:
    MapWidget* m_map;
    std::unique_ptr<RadarMapCoordinator> m_coordinator;
};
