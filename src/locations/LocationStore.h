#pragma once

#include "locations/SavedLocation.h"

#include <QObject>

class QSettings;

// The user's favourite places and the one that is selected, kept in the preferences store
// under "Shiguren.savedLocations" (JSON bytes) and "Shiguren.selectedLocationID" (string).
// The list is never empty: it starts with 東京 when nothing usable is stored, and the last
// place cannot be removed. Lives on the GUI thread.
class LocationStore : public QObject {
    Q_OBJECT
    Q_PROPERTY(SavedLocations locations READ locations WRITE setLocations NOTIFY locationsChanged)
    Q_PROPERTY(SavedLocation selected READ selected WRITE setSelected NOTIFY selectedChanged)

public:
    // The store is not owned and must outlive this object. Reading writes nothing back.
    explicit LocationStore(QSettings* defaults, QObject* parent = nullptr);

    const SavedLocations& locations() const { return m_locations; }
    // Replaces the list without persisting it. An empty list is refused.
    void setLocations(const SavedLocations& locations);

    const SavedLocation& selected() const { return m_selected; }
    // Persists the id on every call, notifies only on a change.
    void setSelected(const SavedLocation& location);

    // Selects an existing place within 0.001° on both axes instead of adding a second one;
    // otherwise appends the location, selects it and persists the list.
    void add(const SavedLocation& location);
    // Deletes every entry with the location's id, unless that would leave the list empty.
    void remove(const SavedLocation& location);

Q_SIGNALS:
    void locationsChanged();
    void selectedChanged();

private:
    void persistLocations();

    QSettings* m_defaults;
    SavedLocations m_locations;
    SavedLocation m_selected;
};
