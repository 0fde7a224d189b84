#include "locations/LocationStore.h"

#include "platform/PropertyHelpers.h"

#include <QSettings>

#include <algorithm>
#include <cmath>

namespace {

const QString kLocationsKey = QStringLiteral("Shiguren.savedLocations");
const QString kSelectedIdKey = QStringLiteral("Shiguren.selectedLocationID");

// Places closer than this on both axes are the same place. The margin keeps a place typed
// as exactly 0.001° away a new place even when its double lands a hair under the step.
constexpr double kSamePlaceDegrees = 0.001 - 1e-9;

bool isSamePlace(const SavedLocation& a, const SavedLocation& b)
{
    return std::fabs(a.latitude - b.latitude) < kSamePlaceDegrees &&
           std::fabs(a.longitude - b.longitude) < kSamePlaceDegrees;
}

SavedLocations storedLocations(const QSettings& defaults)
{
    const QVariant value = defaults.value(kLocationsKey);
    if (value.typeId() != QMetaType::QByteArray)
        return {};
    return decodeSavedLocations(value.toByteArray()).value_or(SavedLocations());
}

std::optional<QUuid> storedSelectedId(const QSettings& defaults)
{
    const QVariant value = defaults.value(kSelectedIdKey);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return parseUuidText(value.toString());
}

} // namespace

LocationStore::LocationStore(QSettings* defaults, QObject* parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_locations(storedLocations(*defaults))
{
    if (m_locations.isEmpty())
        m_locations = {SavedLocation::tokyo()};

    m_selected = m_locations.first();
    if (const std::optional<QUuid> id = storedSelectedId(*defaults)) {
        const auto match = std::find_if(m_locations.cbegin(), m_locations.cend(),
                                        [&](const SavedLocation& l) { return l.id == *id; });
        if (match != m_locations.cend())
            m_selected = *match;
    }
}

void LocationStore::setLocations(const SavedLocations& locations)
{
    if (locations.isEmpty())
        return;
    if (assignIfChanged(m_locations, locations))
        Q_EMIT locationsChanged();
}

void LocationStore::setSelected(const SavedLocation& location)
{
    if (assignIfChanged(m_selected, location))
        Q_EMIT selectedChanged();
    m_defaults->setValue(kSelectedIdKey, uuidText(location.id));
}

void LocationStore::add(const SavedLocation& location)
{
    const auto existing =
        std::find_if(m_locations.cbegin(), m_locations.cend(),
                     [&](const SavedLocation& saved) { return isSamePlace(saved, location); });
    if (existing != m_locations.cend()) {
        setSelected(*existing);
        return;
    }
    m_locations.append(location);
    Q_EMIT locationsChanged();
    setSelected(location);
    persistLocations();
}

void LocationStore::remove(const SavedLocation& location)
{
    if (m_locations.size() < 2)
        return;
    SavedLocations remaining = m_locations;
    const qsizetype removed =
        remaining.removeIf([&](const SavedLocation& saved) { return saved.id == location.id; });
    // Only a list replaced with duplicate ids can get here; an empty list has no selection.
    if (remaining.isEmpty())
        return;
    m_locations = std::move(remaining);
    if (removed > 0)
        Q_EMIT locationsChanged();
    if (m_selected.id == location.id)
        setSelected(m_locations.first());
    persistLocations();
}

void LocationStore::persistLocations()
{
    if (const std::optional<QByteArray> bytes = encodeSavedLocations(m_locations))
        m_defaults->setValue(kLocationsKey, *bytes);
}
