#pragma once

#include "geo/GeoTypes.h"

#include <QDebug>
#include <QJsonObject>
#include <QJsonValue>

#include <optional>

// The map region a pane last showed: centre and spans in degrees. JSON members carry the
// field names.
struct SavedMapCamera {
    double latitude = 0;
    double longitude = 0;
    double latitudeDelta = 0;
    double longitudeDelta = 0;

    static SavedMapCamera fromRegion(const MapRegion& region);
    MapRegion region() const;

    // A centre on the globe and spans that a map can show: finite, greater than zero, at
    // most 180° of latitude and 360° of longitude.
    bool isValid() const;

    QJsonObject toJson() const;
    // Nothing when one of the four members is missing or not a number.
    static std::optional<SavedMapCamera> fromJson(const QJsonValue& value);

    friend bool operator==(const SavedMapCamera&, const SavedMapCamera&) = default;
};

QDebug operator<<(QDebug debug, const SavedMapCamera& camera);
