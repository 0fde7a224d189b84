#pragma once

#include "geo/GeoTypes.h"

#include <QDebug>
#include <QList>
#include <QString>

#include <optional>

// One answer of a place search or a reverse geocoding: a named point with the parts of its
// address the service knew.
struct GeocodedPlace {
    std::optional<QString> name;
    GeoCoordinate coordinate;
    std::optional<QString> regionName;  // prefecture, or state (and country) abroad
    std::optional<QString> cityName;    // municipality, e.g. "千代田区"
    std::optional<QString> fullAddress; // e.g. "東京都千代田区千代田"
    // Found in OpenStreetMap's data, which must be credited where it is shown.
    bool fromOpenStreetMap = false;

    friend bool operator==(const GeocodedPlace&, const GeocodedPlace&) = default;
};

using GeocodedPlaces = QList<GeocodedPlace>;

inline QDebug operator<<(QDebug debug, const GeocodedPlace& place)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "GeocodedPlace(" << place.name.value_or(QStringLiteral("-")) << ", "
                    << place.coordinate << ", " << place.regionName.value_or(QStringLiteral("-"))
                    << ", " << place.cityName.value_or(QStringLiteral("-")) << ", "
                    << place.fullAddress.value_or(QStringLiteral("-"))
                    << (place.fromOpenStreetMap ? ", OSM)" : ")");
    return debug;
}
