#include "mapwidget/MapOverlay.h"

MapOverlay::~MapOverlay() = default;
