#pragma once

#include "locations/MapPane.h"
#include "locations/SavedMapCamera.h"

#include <QMap>
#include <QObject>

#include <optional>

class QSettings;

using SavedMapCameras = QMap<QString, SavedMapCamera>; // by pane key

// The region each map pane last settled on, so that it reopens there. Kept in the
// preferences store under "Shiguren.mapCameras" as JSON bytes, one member per pane key.
// Lives on the GUI thread.
class MapCameraStore : public QObject {
    Q_OBJECT
    Q_PROPERTY(SavedMapCameras cameras READ cameras NOTIFY camerasChanged)

public:
    // The store is not owned and must outlive this object. Unreadable data means no cameras.
    explicit MapCameraStore(QSettings* defaults, QObject* parent = nullptr);

    const SavedMapCameras& cameras() const { return m_cameras; }

    // The remembered region, only when a map could show it.
    std::optional<SavedMapCamera> camera(MapPane pane) const;
    // Remembers a valid region; writes only when it differs from the one remembered.
    void save(const MapRegion& region, MapPane pane);

Q_SIGNALS:
    void camerasChanged();

private:
    QSettings* m_defaults;
    SavedMapCameras m_cameras;
};
