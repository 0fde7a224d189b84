#include "map/RadarMapHost.h"

#include "map/RadarMapCoordinator.h"
#include "mapwidget/MapWidget.h"

#include <QVBoxLayout>

RadarMapHost::RadarMapHost(const RadarMapView& first, QWidget* parent, MapSceneOptions options,
                           RadarTileLoader* loader, PrefectureData prefectures)
    : QWidget(parent)
    , m_map(new MapWidget(this, std::move(options)))
    , m_coordinator(std::make_unique<RadarMapCoordinator>(first, loader, std::move(prefectures)))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_map);
    m_coordinator->attach(m_map, first);
}

// The coordinator goes first (it leaves the map it served); the map goes with the widget.
RadarMapHost::~RadarMapHost() = default;

void RadarMapHost::update(const RadarMapView& view)
{
    m_coordinator->update(view);
}
