#include "locations/SavedMapCamera.h"

#include "platform/JsonReader.h"

#include <cmath>

SavedMapCamera SavedMapCamera::fromRegion(const MapRegion& region)
{
    return {region.center.latitude, region.center.longitude, region.latitudeDelta,
            region.longitudeDelta};
}

MapRegion SavedMapCamera::region() const
{
    return MapRegion{{latitude, longitude}, latitudeDelta, longitudeDelta};
}

bool SavedMapCamera::isValid() const
{
    return std::isfinite(latitude) && latitude >= -90 && latitude <= 90 &&
           std::isfinite(longitude) && longitude >= -180 && longitude <= 180 &&
           std::isfinite(latitudeDelta) && latitudeDelta > 0 && latitudeDelta <= 180 &&
           std::isfinite(longitudeDelta) && longitudeDelta > 0 && longitudeDelta <= 360;
}

QJsonObject SavedMapCamera::toJson() const
{
    return {{QLatin1String("latitude"), latitude},
            {QLatin1String("longitude"), longitude},
            {QLatin1String("latitudeDelta"), latitudeDelta},
            {QLatin1String("longitudeDelta"), longitudeDelta}};
}

std::optional<SavedMapCamera> SavedMapCamera::fromJson(const QJsonValue& value)
{
    JsonDecodeStatus status;
    json::ObjectReader reader(value, status, QStringLiteral("camera"));
    SavedMapCamera camera;
    camera.latitude = reader.number(QLatin1String("latitude"));
    camera.longitude = reader.number(QLatin1String("longitude"));
    camera.latitudeDelta = reader.number(QLatin1String("latitudeDelta"));
    camera.longitudeDelta = reader.number(QLatin1String("longitudeDelta"));
    if (!status.ok())
        return std::nullopt;
    return camera;
}

QDebug operator<<(QDebug debug, const SavedMapCamera& camera)
{
    return debug << camera.region();
}
