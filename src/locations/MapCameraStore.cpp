#include "locations/MapCameraStore.h"

#include "platform/JsonReader.h"

#include <QJsonDocument>
#include <QSettings>

namespace {

const QString kCamerasKey = QStringLiteral("Shiguren.mapCameras");

SavedMapCameras storedCameras(const QSettings& defaults)
{
    const QVariant value = defaults.value(kCamerasKey);
    if (value.typeId() != QMetaType::QByteArray)
        return {};
    JsonDecodeStatus status;
    const QJsonObject object = json::rootObject(json::parse(value.toByteArray(), status), status);
    if (!status.ok())
        return {};
    SavedMapCameras cameras;
    for (auto it = object.begin(); it != object.end(); ++it) {
        const std::optional<SavedMapCamera> camera = SavedMapCamera::fromJson(it.value());
        if (!camera)
            return {};
        cameras.insert(it.key(), *camera);
    }
    return cameras;
}

} // namespace

MapCameraStore::MapCameraStore(QSettings* defaults, QObject* parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_cameras(storedCameras(*defaults))
{}

std::optional<SavedMapCamera> MapCameraStore::camera(MapPane pane) const
{
    const auto it = m_cameras.constFind(mapPaneKey(pane));
    if (it == m_cameras.cend() || !it->isValid())
        return std::nullopt;
    return *it;
}

void MapCameraStore::save(const MapRegion& region, MapPane pane)
{
    const SavedMapCamera camera = SavedMapCamera::fromRegion(region);
    if (!camera.isValid())
        return;
    const QString key = mapPaneKey(pane);
    const auto it = m_cameras.constFind(key);
    if (it != m_cameras.cend() && *it == camera)
        return;
    m_cameras.insert(key, camera);
    Q_EMIT camerasChanged();

    QJsonObject object;
    for (auto c = m_cameras.cbegin(); c != m_cameras.cend(); ++c) {
        // Stored cameras came from JSON or passed isValid(), so every value is finite and
        // the encoding cannot fail.
        object.insert(c.key(), c->toJson());
    }
    m_defaults->setValue(kCamerasKey, QJsonDocument(object).toJson(QJsonDocument::Compact));
}
