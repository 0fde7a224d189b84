#pragma once

#include "geo/GeoTypes.h"
#include "mapwidget/MapScene.h"

#include <cmath>

// The middle of the maps these tests show, and a scene that draws only what a test adds.
inline const GeoCoordinate kCenter{35.0, 137.0};

inline MapSceneOptions withoutBaseMap()
{
    MapSceneOptions options;
    options.showBaseMap = false;
    return options;
}

// A light scene without base map, `span` degrees across around kCenter.
class Scene : public MapScene {
public:
    explicit Scene(QSizeF size = QSizeF(400, 300), double span = 4.0)
        : MapScene(withoutBaseMap())
    {
        setDarkOverride(false);
        setViewportSize(size);
        setRegion({kCenter, span, span});
    }
};

inline bool near(double a, double b, double tolerance = 1e-9)
{
    return std::abs(a - b) <= tolerance;
}
