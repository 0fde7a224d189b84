#include "mapwidget/MapLayer.h"

MapLayer::~MapLayer() = default;

void MapLayer::setView(const MapViewport&, bool) {}
