#pragma once

#include "mapwidget/MapAnnotation.h"
#include "mapwidget/MultiPolylineOverlay.h"
#include "mapwidget/TextAnnotationView.h"
#include "prefecture/PrefectureBoundaryLoader.h"

#include <QColor>
#include <QList>

#include <functional>
#include <memory>

class MapScene;
class ShapeRenderer;

// One group of border lines, drawn either as the wide casing or as the dashed core on top.
class PrefectureBorderOverlay : public MultiPolylineOverlay {
public:
    PrefectureBorderOverlay(const QList<QList<GeoCoordinate>>& lines, bool isCasing)
        : MultiPolylineOverlay(lines)
        , m_isCasing(isCasing)
    {}
    bool isCasing() const { return m_isCasing; }

private:
    bool m_isCasing;
};

namespace PrefectureBorderStyle {

QList<double> dashPattern(); // 3 drawn, 3 gap
// A reddish tint of the text colour of the map's appearance: dark red on light maps, pale
// pink on dark ones.
QColor coreColor(bool isDarkMap);

} // namespace PrefectureBorderStyle

// Where a prefecture's name is written.
class PrefectureLabelAnnotation : public MapAnnotation {
public:
    PrefectureLabelAnnotation(const GeoCoordinate& coordinate, QString name)
        : MapAnnotation(coordinate)
        , m_name(std::move(name))
    {}
    const QString& name() const { return m_name; }

private:
    QString m_name;
};

// A prefecture name: 11-point semibold in the text colour with a soft halo (white on light
// maps), hidden where it collides with a label of higher priority.
class PrefectureLabelAnnotationView : public TextAnnotationView {
public:
    static const QString kReuseIdentifier; // "PrefectureLabel"

    PrefectureLabelAnnotationView();
    // The same text again changes nothing.
    void configure(const QString& text);
    // Text in the appearance's text colour. A white halo around the light text of a dark map
    // would swallow the letters, so dark maps get a black one.
    void setDarkMap(bool isDarkMap);
};

// Where the border lines and labels come from: the application's built-in files unless a
// test says otherwise. Read only when a layer is first switched on.
struct PrefectureData {
    std::function<QList<PrefectureBoundaryLoader::BorderLineGroup>()> borderLineGroups;
    std::function<QList<PrefectureLabel>()> labels;

    static PrefectureData builtIn();
};

// Prefecture borders (all casings below all cores, all above the map's other lines) and
// names. Each part is rebuilt when its switch changes, or both when `remake` says the
// appearance changed and the renderers and views must read it again. The borders' z value
// keeps them above overlays added later.
class PrefectureLayer {
public:
    explicit PrefectureLayer(PrefectureData data = PrefectureData::builtIn());

    void apply(MapScene& map, bool showBorders, bool showLabels, bool remake);

    static void configureRenderer(ShapeRenderer& renderer, const PrefectureBorderOverlay& overlay,
                                  bool isDarkMap);

    const QList<std::shared_ptr<PrefectureBorderOverlay>>& overlays() const { return m_overlays; }
    const QList<std::shared_ptr<PrefectureLabelAnnotation>>& labels() const { return m_labels; }
    bool appliedShowBorders() const { return m_appliedShowBorders; }
    bool appliedShowLabels() const { return m_appliedShowLabels; }

private:
    PrefectureData m_data;
    QList<std::shared_ptr<PrefectureBorderOverlay>> m_overlays;
    QList<std::shared_ptr<PrefectureLabelAnnotation>> m_labels;
    bool m_appliedShowBorders = false;
    bool m_appliedShowLabels = false;
};
