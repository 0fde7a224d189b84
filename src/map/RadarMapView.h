#pragma once

#include "geo/GeoTypes.h"
#include "geo/TilePath.h"
#include "lightning/LightningStrike.h"
#include "locations/SavedLocation.h"
#include "locations/SavedMapCamera.h"
#include "radar/RadarFrame.h"
#include "typhoon/TyphoonInfo.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

class RadarMapCoordinator;

// What one radar pane's map should show, as a plain value. The pane builds a new one on
// every change of state and hands it to the map's long-lived coordinator, which changes
// only what differs from what it last applied.
struct RadarMapView {
    using Coordinator = RadarMapCoordinator;

    enum class Style { Detail, Overview };
    // Why a settled region is reported: the map was just placed on its first region (saved
    // or default), its size changed, or it moved (the user's gestures, a new place). Only a
    // move makes a region the user's.
    enum class RegionReport { Placed, Resized, Moved };

    Style style = Style::Detail;
    SavedLocation location;
    std::optional<RadarFrame> frame;
    double opacity = 0.75;
    // The thunder activity and tornado likelihood frames that belong to `frame`; none when
    // switched off or when the agency has none that close.
    std::optional<RadarFrame> thunderFrame;
    std::optional<RadarFrame> tornadoFrame;
    TyphoonInfos typhoons;             // empty when typhoons are switched off
    LightningStrikes lightningStrikes; // empty when lightning is switched off
    qint64 forceRedrawToken = 0;
    qint64 rebuildToken = 0;
    bool showPrefectureBorders = false;
    bool showPrefectureLabels = false;
    bool showRangeCircles = false;
    std::optional<SavedMapCamera> initialCamera;
    std::optional<QString> selectedTyphoonID;

    std::function<void(const QString& typhoonID)> onTyphoonSelect;
    std::function<void()> onClearSelection;
    std::function<void(const MapRegion& region, const QList<TilePath>& tiles, RegionReport report)>
        onRegionSettled;
    std::function<void(bool loading)> onTileLoadingChange;

    // Latitude and longitude span of a new map: 1.1° for the detail map, 26° for the overview.
    static double defaultSpan(Style style) { return style == Style::Detail ? 1.1 : 26.0; }
    MapRegion defaultRegion() const
    {
        const double span = defaultSpan(style);
        return {location.coordinate(), span, span};
    }
};
