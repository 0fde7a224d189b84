#include "locations/GsiGeocoder.h"

#include "locations/JapaneseText.h"
#include "locations/MunicipalityTable.h"
#include "locations/PostalCodeTable.h"
#include "platform/DataHosts.h"
#include "platform/ErrorText.h"
#include "platform/Logging.h"
#include "platform/async/ThreadPool.h"

#include <QStringList>

namespace {

QString degreesText(double degrees)
{
    return QString::asprintf("%.6f", degrees);
}

QUrl urlWithQuery(const QUrl& host, const QString& path,
                  const QList<std::pair<QString, QString>>& items)
{
    QStringList parts;
    for (const auto& [name, value] : items)
        parts.append(name + u'=' + QString::fromLatin1(QUrl::toPercentEncoding(value)));
    QUrl url = DataHosts::join(host, path);
    url.setQuery(parts.join(u'&'), QUrl::StrictMode);
    return url;
}

// The tables are read on first use, off the GUI thread; afterwards this is a quick hop.
// Nothing when the task was cancelled meanwhile.
async::Task<const MunicipalityTable*> municipalities()
{
    auto load = async::runInPool([] { return &MunicipalityTable::builtIn(); });
    const std::optional<const MunicipalityTable*> table = co_await load;
    co_return table.value_or(nullptr);
}

async::Task<const PostalCodeTable*> postalCodes()
{
    auto load = async::runInPool([] { return &PostalCodeTable::builtIn(); });
    const std::optional<const PostalCodeTable*> table = co_await load;
    co_return table.value_or(nullptr);
}

// The hit that is the address itself, else the first one inside the municipality.
std::optional<GeoCoordinate> bestMatch(const QList<AddressSearchHit>& hits, const QString& address,
                                       const QString& municipality)
{
    for (const AddressSearchHit& hit : hits) {
        if (hit.title == address)
            return hit.coordinate;
    }
    for (const AddressSearchHit& hit : hits) {
        if (hit.title.startsWith(municipality))
            return hit.coordinate;
    }
    return std::nullopt;
}

} // namespace

GeocodedPlace placeFromAddressHit(const AddressSearchHit& hit,
                                  const MunicipalityTable& municipalities)
{
    GeocodedPlace place;
    place.coordinate = hit.coordinate;
    place.name = hit.title;
    const MunicipalityTable::AddressParts parts = municipalities.split(hit.title);
    if (parts.prefecture) {
        place.fullAddress = hit.title;
        if (hit.title.size() > parts.prefecture->size())
            place.name = hit.title.mid(parts.prefecture->size());
    }
    std::optional<Municipality> coded;
    if (!hit.addressCode.isEmpty())
        coded = municipalities.find(hit.addressCode);
    place.regionName = parts.prefecture;
    if (!place.regionName && coded)
        place.regionName = coded->prefecture;
    place.cityName = parts.municipality;
    if (!place.cityName && coded)
        place.cityName = coded->name;
    return place;
}

std::optional<GeocodedPlace> placeFromReverseHit(const ReverseGeocoderHit& hit, GeoCoordinate at,
                                                 const MunicipalityTable& municipalities)
{
    const std::optional<Municipality> municipality = municipalities.find(hit.municipalityCode);
    if (!municipality) {
        if (hit.town.isEmpty())
            return std::nullopt;
        GeocodedPlace place;
        place.name = hit.town;
        place.coordinate = at;
        return place;
    }
    GeocodedPlace place;
    place.name = municipality->name + hit.town;
    place.coordinate = at;
    place.regionName = municipality->prefecture;
    place.cityName = municipality->name;
    place.fullAddress = municipality->prefecture + municipality->name + hit.town;
    return place;
}

HttpSessionConfig GsiGeocoder::defaultSessionConfig()
{
    HttpSessionConfig config;
    config.cachePolicy = QNetworkRequest::PreferNetwork;
    config.betweenBytesTimeout = std::chrono::seconds(15);
    // A search the user waits for must end.
    config.wholeTransferTimeout = std::chrono::seconds(20);
    return config;
}

QUrl GsiGeocoder::addressSearchUrl(const QString& text)
{
    return urlWithQuery(DataHosts::current().addressSearch,
                        QStringLiteral("/address-search/AddressSearch"),
                        {{QStringLiteral("q"), text}});
}

QUrl GsiGeocoder::reverseGeocoderUrl(GeoCoordinate at)
{
    return urlWithQuery(DataHosts::current().reverseGeocoder,
                        QStringLiteral("/reverse-geocoder/LonLatToAddress"),
                        {{QStringLiteral("lat"), degreesText(at.latitude)},
                         {QStringLiteral("lon"), degreesText(at.longitude)}});
}

QUrl GsiGeocoder::photonUrl(const QString& text, GeoCoordinate near)
{
    // No "lang": the public server knows only default, de, en and fr and answers 400 to
    // "ja"; the default gives the names as they are written locally.
    return urlWithQuery(DataHosts::current().photon, QStringLiteral("/api"),
                        {{QStringLiteral("q"), text},
                         {QStringLiteral("lat"), degreesText(near.latitude)},
                         {QStringLiteral("lon"), degreesText(near.longitude)},
                         {QStringLiteral("limit"), QString::number(kMaxSearchResults)}});
}

GsiGeocoder::GsiGeocoder(HttpSessionConfig sessionConfig)
    : m_session(std::make_unique<HttpSession>(std::move(sessionConfig)))
{}

GsiGeocoder::~GsiGeocoder() = default;

async::Task<Expected<GeocodedPlaces>> GsiGeocoder::search(QString text, GeoCoordinate near)
{
    const QString trimmed = text.trimmed();
    std::optional<Expected<GeocodedPlaces>> placed;
    if (JapaneseText::isNormalizedPostalCode(trimmed)) {
        async::Task<std::optional<Expected<GeocodedPlaces>>> postalTask = searchPostalCode(trimmed);
        placed = co_await postalTask;
    }
    if (placed)
        co_return std::move(*placed);
    if (async::isCancelled())
        co_return GeocodedPlaces{};
    // A code the table does not know (too new, or a large office's own code) may still be
    // known to the search services.
    async::Task<Expected<GeocodedPlaces>> textTask = searchText(trimmed, near);
    Expected<GeocodedPlaces> places = co_await textTask;
    co_return places;
}

async::Task<Expected<GeocodedPlaces>> GsiGeocoder::searchText(QString text, GeoCoordinate near)
{
    async::Task<Expected<QList<AddressSearchHit>>> gsiTask = addressSearch(text);
    const Expected<QList<AddressSearchHit>> gsi = co_await gsiTask;
    if (async::isCancelled())
        co_return GeocodedPlaces{};
    const bool gsiFound = gsi && !gsi.value().isEmpty();

    if (gsiFound) {
        async::Task<const MunicipalityTable*> tableTask = municipalities();
        const MunicipalityTable* table = co_await tableTask;
        if (!table)
            co_return GeocodedPlaces{};
        GeocodedPlaces places;
        for (const AddressSearchHit& hit :
             nearestDistinctHits(gsi.value(), near, kMaxSearchResults))
            places.append(placeFromAddressHit(hit, *table));
        co_return places;
    }

    async::Task<Expected<QByteArray>> photonTask = fetch(photonUrl(text, near));
    const Expected<QByteArray> body = co_await photonTask;
    if (!body) {
        if (!async::isCancelled())
            qCWarning(lcApp, "場所検索失敗 検索先=photon: %s",
                      qUtf8Printable(body.failure().description));
        // When both failed, the address search's reason is the one to tell.
        co_return gsi ? body.failure() : gsi.failure();
    }
    Expected<GeocodedPlaces> places = decodePhoton(body.value());
    if (!places)
        qCWarning(lcApp, "場所検索失敗 検索先=photon: %s",
                  qUtf8Printable(places.failure().description));
    co_return places;
}

async::Task<std::optional<Expected<GeocodedPlaces>>> GsiGeocoder::searchPostalCode(QString code)
{
    async::Task<const PostalCodeTable*> postalTask = postalCodes();
    const PostalCodeTable* postal = co_await postalTask;
    async::Task<const MunicipalityTable*> tableTask = municipalities();
    const MunicipalityTable* table = co_await tableTask;
    if (!postal || !table)
        co_return GeocodedPlaces{};
    const QList<PostalTown> towns = postal->find(QString(code).remove(u'-'));
    if (towns.isEmpty())
        co_return std::nullopt;

    GeocodedPlaces places;
    std::optional<Failure> firstFailure;
    // One code can cover dozens of towns; a few requests place the few results shown.
    for (qsizetype i = 0; i < towns.size() && i < kMaxPostalResults; ++i) {
        const PostalTown& town = towns.at(i);
        const std::optional<Municipality> municipality = table->find(town.municipalityCode);
        if (!municipality)
            continue;
        const QString inMunicipality = municipality->prefecture + municipality->name;
        const QString address = inMunicipality + town.town;
        async::Task<Expected<std::optional<GeoCoordinate>>> locateTask =
            locateAddress(address, inMunicipality);
        const Expected<std::optional<GeoCoordinate>> located = co_await locateTask;
        if (async::isCancelled())
            co_return GeocodedPlaces{};
        if (!located) {
            if (!firstFailure)
                firstFailure = located.failure();
            continue;
        }
        if (!located.value())
            continue;
        GeocodedPlace place;
        place.name = municipality->name + town.town;
        place.coordinate = *located.value();
        place.regionName = municipality->prefecture;
        place.cityName = municipality->name;
        place.fullAddress = address;
        places.append(std::move(place));
    }
    if (places.isEmpty() && firstFailure)
        co_return *firstFailure;
    co_return places;
}

async::Task<Expected<std::optional<GeoCoordinate>>>
GsiGeocoder::locateAddress(QString address, QString municipalityPrefix)
{
    // Japan Post writes digits and letters full-width; the address search wants them plain.
    const QString query = JapaneseText::toHalfWidth(address);
    async::Task<Expected<QList<AddressSearchHit>>> exactTask = addressSearch(query);
    const Expected<QList<AddressSearchHit>> exact = co_await exactTask;
    if (!exact)
        co_return exact.failure();
    const std::optional<GeoCoordinate> found = bestMatch(exact.value(), query, municipalityPrefix);
    if (found || query == municipalityPrefix || async::isCancelled())
        co_return found;

    // The town (a building, a district name GSI spells otherwise) is unknown: the
    // municipality is still a useful place for the code.
    async::Task<Expected<QList<AddressSearchHit>>> broaderTask = addressSearch(municipalityPrefix);
    const Expected<QList<AddressSearchHit>> broader = co_await broaderTask;
    if (!broader)
        co_return broader.failure();
    co_return bestMatch(broader.value(), municipalityPrefix, municipalityPrefix);
}

async::Task<Expected<GeocodedPlaces>> GsiGeocoder::reverse(GeoCoordinate at)
{
    async::Task<Expected<QByteArray>> fetchTask = fetch(reverseGeocoderUrl(at));
    const Expected<QByteArray> body = co_await fetchTask;
    if (!body)
        co_return body.failure();
    const Expected<std::optional<ReverseGeocoderHit>> hit = decodeReverseGeocoder(body.value());
    if (!hit) {
        qCWarning(lcApp, "逆ジオコーディング失敗: %s", qUtf8Printable(hit.failure().description));
        co_return hit.failure();
    }
    if (!hit.value()) // at sea or abroad
        co_return GeocodedPlaces{};
    async::Task<const MunicipalityTable*> tableTask = municipalities();
    const MunicipalityTable* table = co_await tableTask;
    if (!table)
        co_return GeocodedPlaces{};
    const std::optional<GeocodedPlace> place = placeFromReverseHit(*hit.value(), at, *table);
    co_return place ? GeocodedPlaces{*place} : GeocodedPlaces{};
}

async::Task<Expected<QList<AddressSearchHit>>> GsiGeocoder::addressSearch(QString text)
{
    async::Task<Expected<QByteArray>> fetchTask = fetch(addressSearchUrl(text));
    const Expected<QByteArray> body = co_await fetchTask;
    if (!body) {
        if (!async::isCancelled())
            qCWarning(lcApp, "住所検索失敗: %s", qUtf8Printable(body.failure().description));
        co_return body.failure();
    }
    Expected<QList<AddressSearchHit>> hits = decodeAddressSearch(body.value());
    if (!hits)
        qCWarning(lcApp, "住所検索失敗: %s", qUtf8Printable(hits.failure().description));
    co_return hits;
}

async::Task<Expected<QByteArray>> GsiGeocoder::fetch(QUrl url)
{
    if (!url.isValid())
        co_return Failure{ErrorText::badUrl()};
    HttpReply reply = m_session->get(url);
    const HttpResponse response = co_await reply;
    if (response.isTransportFailure())
        co_return Failure{response.errorDescription()};
    if (response.status != 200)
        co_return Failure{ErrorText::httpStatus(response.status)};
    co_return response.body;
}
