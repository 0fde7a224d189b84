#pragma once

#include "mapwidget/CircleOverlay.h"
#include "mapwidget/MapAnnotation.h"
#include "mapwidget/TextAnnotationView.h"

#include <QList>

#include <array>
#include <memory>
#include <optional>

class MapScene;
class ShapeRenderer;

// A ring around the chosen place.
class RangeCircleOverlay : public CircleOverlay {
public:
    using CircleOverlay::CircleOverlay;
};

// A ring's distance, written on its eastern point.
class RangeLabelAnnotation : public MapAnnotation {
public:
    using MapAnnotation::MapAnnotation;
};

// The distance text of a ring: red, semibold, never a callout.
class RangeLabelAnnotationView : public TextAnnotationView {
public:
    static const QString kReuseIdentifier; // "RangeLabel"

    RangeLabelAnnotationView();
    // The same text again changes nothing.
    void configure(const QString& text);
};

// Three red rings around the chosen place, 105, 210 and 315 points in radius whatever the
// zoom, each labelled with its ground distance. The rings are rebuilt only when the centre
// moves or the scale changes by more than 0.1 %, so panning leaves them alone.
class RangeCircleLayer {
public:
    static constexpr std::array<double, 3> kRadiiPoints{105.0, 210.0, 315.0};
    static constexpr double kMetresPerDegreeLatitude = 111320.0;
    static constexpr double kTolerance = 0.001;

    void apply(MapScene& map, bool show, const GeoCoordinate& center, bool force);

    // "2.1km", "21km", "999m": tenths below 10 km (without a trailing ".0"), whole metres
    // (truncated) below 1 km.
    static QString labelText(double metres);
    // The mean of the vertical and horizontal ground scale of `region` shown in `size`
    // points, for a ring centred at `latitude`; nothing when the view or the region is empty.
    static std::optional<double> metresPerPoint(const MapRegion& region, const QSizeF& size,
                                                double latitude);
    static void configureRenderer(ShapeRenderer& renderer);

    const QList<std::shared_ptr<RangeCircleOverlay>>& overlays() const { return m_overlays; }
    const QList<std::shared_ptr<RangeLabelAnnotation>>& labels() const { return m_labels; }
    std::optional<GeoCoordinate> appliedCenter() const { return m_appliedCenter; }
    std::optional<double> appliedMetresPerPoint() const { return m_appliedMetresPerPoint; }

private:
    void removeAll(MapScene& map);

    QList<std::shared_ptr<RangeCircleOverlay>> m_overlays;
    QList<std::shared_ptr<RangeLabelAnnotation>> m_labels;
    std::optional<GeoCoordinate> m_appliedCenter;
    std::optional<double> m_appliedMetresPerPoint;
};
