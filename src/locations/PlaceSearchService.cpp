#include "locations/PlaceSearchService.h"

#include "locations/JapaneseText.h"
#include "platform/PropertyHelpers.h"
#include "platform/async/Sleep.h"

namespace {

const QString kOpenStreetMapCredit = QStringLiteral("© OpenStreetMap contributors");

// The free-text naming: the place's name, and as second line its region (prefecture), or
// else its city.
std::optional<SavedLocation> locationFromItem(const GeocodedPlace& item)
{
    if (!item.name)
        return std::nullopt;
    std::optional<QString> subtitle = item.regionName;
    if (!subtitle)
        subtitle = item.cityName;
    return SavedLocation::create(*item.name, subtitle, item.coordinate.latitude,
                                 item.coordinate.longitude);
}

} // namespace

PlaceSearchService::PlaceSearchService(std::shared_ptr<Geocoder> geocoder, QObject* parent)
    : QObject(parent)
    , m_geocoder(std::move(geocoder))
{}

PlaceSearchService::~PlaceSearchService() = default;

std::optional<QString> PlaceSearchService::normalizedPostalCode(const QString& text)
{
    return JapaneseText::normalizedPostalCode(text);
}

void PlaceSearchService::search(const QString& text, GeoCoordinate near)
{
    m_searchTask.cancel();
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        setResults({}, {});
        setSearching(false);
        return;
    }
    m_searchTask = m_tasks.spawn(debounceAndSearch(trimmed, near));
}

void PlaceSearchService::clear()
{
    m_searchTask.cancel();
    setResults({}, {});
    setSearching(false);
}

async::Task<void> PlaceSearchService::debounceAndSearch(QString text, GeoCoordinate near)
{
    co_await async::sleepSeconds(kDebounceSeconds); // an interrupted sleep is ignored
    if (async::isCancelled())
        co_return;
    async::Task<void> searching = performSearch(std::move(text), near);
    co_await searching;
}

async::Task<void> PlaceSearchService::performSearch(QString text, GeoCoordinate near)
{
    setSearching(true);
    const std::optional<QString> postal = normalizedPostalCode(text);
    async::Task<Expected<GeocodedPlaces>> lookup = m_geocoder->search(postal.value_or(text), near);
    const Expected<GeocodedPlaces> found = co_await lookup;
    if (!found) {
        if (!async::isCancelled())
            setResults({}, {});
        setSearching(false);
        co_return;
    }
    if (async::isCancelled()) {
        setSearching(false);
        co_return;
    }
    if (postal) {
        // Cancelled during its town look-ups this publishes an empty list: what was
        // collected belongs to text the user has already changed.
        async::Task<SavedLocations> naming = postalCodeResults(found.value(), *postal);
        const SavedLocations named = co_await naming;
        setResults(named, found.value().mid(0, kMaxPostalResults));
    } else {
        SavedLocations locations;
        GeocodedPlaces shown;
        for (qsizetype i = 0; i < found.value().size() && i < kMaxResults; ++i) {
            const GeocodedPlace& item = found.value().at(i);
            if (std::optional<SavedLocation> location = locationFromItem(item)) {
                locations.append(std::move(*location));
                shown.append(item);
            }
        }
        setResults(locations, shown);
    }
    setSearching(false);
}

async::Task<SavedLocations> PlaceSearchService::postalCodeResults(GeocodedPlaces items,
                                                                  QString postalCode)
{
    const QString mark = QStringLiteral("〒") + postalCode;
    SavedLocations locations;
    for (qsizetype i = 0; i < items.size() && i < kMaxPostalResults; ++i) {
        const GeocodedPlace& item = items.at(i);
        std::optional<QString> addressLine;
        if (item.fullAddress) {
            addressLine = item.fullAddress->split(QStringLiteral(", ")).constLast();
            if (addressLine->startsWith(u'〒'))
                addressLine.reset();
        }
        async::Task<std::optional<QString>> naming = townName(item.coordinate);
        const std::optional<QString> town = co_await naming;
        if (async::isCancelled())
            co_return SavedLocations{};
        const QString name = town ? *town : addressLine ? *addressLine : mark;
        const QString subtitle = addressLine ? mark + u' ' + *addressLine : mark;
        locations.append(SavedLocation::create(name, subtitle, item.coordinate.latitude,
                                               item.coordinate.longitude));
    }
    co_return locations;
}

async::Task<std::optional<QString>> PlaceSearchService::townName(GeoCoordinate at)
{
    async::Task<Expected<GeocodedPlaces>> lookup = m_geocoder->reverse(at);
    const Expected<GeocodedPlaces> found = co_await lookup;
    if (!found || found.value().isEmpty() || !found.value().constFirst().name)
        co_return std::nullopt;
    co_return JapaneseText::nameBeforeFirstDigit(*found.value().constFirst().name);
}

void PlaceSearchService::setResults(const SavedLocations& results, const GeocodedPlaces& from)
{
    const bool fromOpenStreetMap = std::any_of(
        from.cbegin(), from.cend(), [](const auto& item) { return item.fromOpenStreetMap; });
    if (assignIfChanged(m_attribution,
                        fromOpenStreetMap && !results.isEmpty() ? kOpenStreetMapCredit : QString()))
        Q_EMIT attributionChanged();
    if (assignIfChanged(m_results, results))
        Q_EMIT resultsChanged();
}

void PlaceSearchService::setSearching(bool searching)
{
    if (assignIfChanged(m_isSearching, searching))
        Q_EMIT isSearchingChanged();
}
