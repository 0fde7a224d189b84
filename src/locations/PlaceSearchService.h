#pragma once

#include "locations/Geocoder.h"
#include "locations/SavedLocation.h"
#include "platform/async/TaskScope.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

// Turns what the user types into the location picker's search field into a short list of
// places, each ready to be saved. Typing is debounced (0.25 s after the last key); a new
// keystroke cancels the waiting or running search. A Japanese postal code in any usual
// spelling is answered with at most three places named after their towns; other text with
// at most twelve places near the given coordinate. A failed search leaves no results and
// no message. Lives on the GUI thread.
class PlaceSearchService : public QObject {
    Q_OBJECT
    Q_PROPERTY(SavedLocations results READ results NOTIFY resultsChanged)
    Q_PROPERTY(bool isSearching READ isSearching NOTIFY isSearchingChanged)
    Q_PROPERTY(QString attribution READ attribution NOTIFY attributionChanged)

public:
    static constexpr double kDebounceSeconds = 0.25;
    static constexpr qsizetype kMaxResults = 12;
    static constexpr qsizetype kMaxPostalResults = 3;

    explicit PlaceSearchService(std::shared_ptr<Geocoder> geocoder = Geocoder::createDefault(),
                                QObject* parent = nullptr);
    ~PlaceSearchService() override;

    // Call on every change of the search text, with the selected location's coordinate as
    // the bias. Text that is empty once trimmed clears the results at once.
    void search(const QString& text, GeoCoordinate near);
    // Cancels any search and empties the results.
    void clear();

    // "100-0001" for １００－０００１, 〒100-0001, 100 0001, 1000001…; nothing for text that
    // is not seven digits once the postal mark, dashes and spaces are set aside.
    static std::optional<QString> normalizedPostalCode(const QString& text);

    const SavedLocations& results() const { return m_results; }
    bool isSearching() const { return m_isSearching; }
    // The credit the current results require ("© OpenStreetMap contributors"), or empty.
    const QString& attribution() const { return m_attribution; }

Q_SIGNALS:
    void resultsChanged();
    void isSearchingChanged();
    void attributionChanged();

private:
    async::Task<void> debounceAndSearch(QString text, GeoCoordinate near);
    async::Task<void> performSearch(QString text, GeoCoordinate near);
    async::Task<SavedLocations> postalCodeResults(GeocodedPlaces items, QString postalCode);
    async::Task<std::optional<QString>> townName(GeoCoordinate at);

    void setResults(const SavedLocations& results, const GeocodedPlaces& from);
    void setSearching(bool searching);

    std::shared_ptr<Geocoder> m_geocoder;
    SavedLocations m_results;
    bool m_isSearching = false;
    QString m_attribution;
    async::TaskHandle m_searchTask;
    async::TaskScope m_tasks; // last: destroyed first
};
