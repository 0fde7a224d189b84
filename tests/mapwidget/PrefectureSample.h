#pragma once

#include "mapwidget/MapAnnotation.h"
#include "mapwidget/MapAnnotationView.h"
#include "mapwidget/MultiPolylineOverlay.h"
#include "mapwidget/ShapeRenderer.h"

#include <memory>

class MapScene;

// The sample prefecture borders and labels (tests/data/mapwidget) as map layers, drawn the
// way the radar map draws them: a dashed core over a casing, names with a halo.
namespace PrefectureSample {

class Border : public MultiPolylineOverlay {
public:
    Border(const QList<QList<GeoCoordinate>>& lines, bool casing)
        : MultiPolylineOverlay(lines)
        , isCasing(casing)
    {}
    const bool isCasing;
};

// All casings, then all cores: 2 × 87 overlays.
QList<std::shared_ptr<MapOverlay>> borders();
// The 47 prefectures, titled with their names.
QList<std::shared_ptr<MapAnnotation>> labels();

void styleBorder(ShapeRenderer& renderer, const Border& border, bool dark);
// A reused "PrefectureLabel" text view for `annotation`.
std::shared_ptr<MapAnnotationView> labelView(MapScene& map, const MapAnnotation& annotation,
                                             bool dark);

} // namespace PrefectureSample
