#include "map/PrefectureLayer.h"

#include "map/MapColors.h"
#include "map/MapFonts.h"
#include "mapwidget/MapScene.h"
#include "mapwidget/ShapeRenderer.h"

#include <algorithm>

namespace {

// Borders lie above every other line and circle of the map, whenever those were added.
constexpr int kBordersZ = MapZ::AboveLabels + 1;

} // namespace

namespace PrefectureBorderStyle {

QList<double> dashPattern()
{
    return {3, 3};
}

QColor coreColor(bool isDarkMap)
{
    const QColor text = MapColors::primaryLabel(isDarkMap).toRgb();
    return QColor::fromRgbF(std::min(text.redF() + 0.35f, 1.0f),
                            std::max(text.greenF() - 0.12f, 0.0f),
                            std::max(text.blueF() - 0.12f, 0.0f), text.alphaF());
}

} // namespace PrefectureBorderStyle

const QString PrefectureLabelAnnotationView::kReuseIdentifier = QStringLiteral("PrefectureLabel");

PrefectureLabelAnnotationView::PrefectureLabelAnnotationView()
    : TextAnnotationView(kReuseIdentifier)
{
    setCanShowCallout(false);
    // Place names give way where they meet a lightning mark, a typhoon or a ring label.
    setDisplayPriority(kPriorityDefaultLow - 1);
    setCollisionMode(CollisionMode::Rectangle);
    setFont(MapFonts::labelFont(11, QFont::DemiBold));
    setDarkMap(false);
}

void PrefectureLabelAnnotationView::setDarkMap(bool isDarkMap)
{
    setTextColor(MapColors::primaryLabel(isDarkMap));
    const QColor halo = MapColors::withAlpha(isDarkMap ? Qt::black : Qt::white, 0.85);
    if (halo != haloColor() || haloRadius() != 3)
        setHalo(halo, 3);
}

void PrefectureLabelAnnotationView::configure(const QString& text)
{
    setText(text);
}

PrefectureData PrefectureData::builtIn()
{
    return {[] { return PrefectureBoundaryLoader::borderLineGroups(); },
            [] { return PrefectureBoundaryLoader::labels(); }};
}

PrefectureLayer::PrefectureLayer(PrefectureData data)
    : m_data(std::move(data))
{}

void PrefectureLayer::apply(MapScene& map, bool showBorders, bool showLabels, bool remake)
{
    if (remake || showBorders != m_appliedShowBorders) {
        if (!m_overlays.isEmpty())
            map.removeOverlays({m_overlays.cbegin(), m_overlays.cend()});
        m_overlays.clear();
        if (showBorders && m_data.borderLineGroups) {
            const auto groups = m_data.borderLineGroups();
            for (bool casing : {true, false}) {
                for (const auto& group : groups) {
                    auto overlay = std::make_shared<PrefectureBorderOverlay>(group, casing);
                    map.addOverlay(overlay, kBordersZ);
                    m_overlays.append(overlay);
                }
            }
        }
        m_appliedShowBorders = showBorders;
    }
    if (remake || showLabels != m_appliedShowLabels) {
        if (!m_labels.isEmpty())
            map.removeAnnotations({m_labels.cbegin(), m_labels.cend()});
        m_labels.clear();
        if (showLabels && m_data.labels) {
            QList<std::shared_ptr<MapAnnotation>> added;
            for (const PrefectureLabel& label : m_data.labels()) {
                auto annotation =
                    std::make_shared<PrefectureLabelAnnotation>(label.coordinate(), label.name);
                m_labels.append(annotation);
                added.append(annotation);
            }
            map.addAnnotations(added);
        }
        m_appliedShowLabels = showLabels;
    }
}

void PrefectureLayer::configureRenderer(ShapeRenderer& renderer,
                                        const PrefectureBorderOverlay& overlay, bool isDarkMap)
{
    if (overlay.isCasing()) {
        renderer.setStrokeColor(isDarkMap ? MapColors::withAlpha(Qt::black, 0.75)
                                          : MapColors::withAlpha(Qt::white, 0.9));
        renderer.setLineWidth(3.2);
    } else {
        renderer.setStrokeColor(PrefectureBorderStyle::coreColor(isDarkMap));
        renderer.setLineWidth(1.4);
    }
    renderer.setLineDashPattern(PrefectureBorderStyle::dashPattern());
    renderer.setLineCap(Qt::RoundCap);
    renderer.setLineJoin(Qt::RoundJoin);
}
