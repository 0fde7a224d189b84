#pragma once

#include "locations/Geocoder.h"
#include "locations/GeocoderResponses.h"
#include "platform/HttpSession.h"

#include <QUrl>

#include <memory>

class MunicipalityTable;

// The program's geocoder, over public Japanese services (hosts in DataHosts):
//
// - Free text goes to GSI's address search, which knows every address and many stations
//   and landmarks of Japan but has no location bias and no limit: its answer is
//   de-duplicated and sorted by distance from the bias point here.
// - When GSI finds nothing (most points of interest, places abroad) Photon is asked, with
//   the bias point; its data is OpenStreetMap's.
// - Reverse geocoding is GSI's reverse geocoder, which answers a municipality code and a
//   town; the built-in municipality table turns the code into names.
// - A postal code ("100-0001") is looked up offline in the built-in postal code table;
//   GSI's address search then places each of its towns (at most three).
//
// All requests of one call run one after another on one session, never in parallel; the
// callers debounce typing. Used on the GUI thread.
class GsiGeocoder final : public Geocoder {
public:
    static constexpr qsizetype kMaxSearchResults = 12;
    static constexpr qsizetype kMaxPostalResults = 3;

    static HttpSessionConfig defaultSessionConfig();
    static QUrl addressSearchUrl(const QString& text);
    static QUrl reverseGeocoderUrl(GeoCoordinate at);
    static QUrl photonUrl(const QString& text, GeoCoordinate near);

    explicit GsiGeocoder(HttpSessionConfig sessionConfig = defaultSessionConfig());
    ~GsiGeocoder() override;

    async::Task<Expected<GeocodedPlaces>> search(QString text, GeoCoordinate near) override;
    async::Task<Expected<GeocodedPlaces>> reverse(GeoCoordinate at) override;

private:
    async::Task<Expected<GeocodedPlaces>> searchText(QString text, GeoCoordinate near);
    // Nothing when the built-in table does not know the code.
    async::Task<std::optional<Expected<GeocodedPlaces>>> searchPostalCode(QString code);
    // One town of a postal code, placed by the address search; nothing if GSI does not
    // know the address.
    async::Task<Expected<std::optional<GeoCoordinate>>> locateAddress(QString address,
                                                                      QString municipalityPrefix);
    async::Task<Expected<QList<AddressSearchHit>>> addressSearch(QString text);
    async::Task<Expected<QByteArray>> fetch(QUrl url);

    std::unique_ptr<HttpSession> m_session;
};

// What the address search's hits become as places: an address loses its prefecture from
// the name and keeps it as the region ("東京都千代田区千代田" → 千代田区千代田, 東京都); a
// landmark takes its region and city from its municipality code when it has one.
GeocodedPlace placeFromAddressHit(const AddressSearchHit& hit,
                                  const MunicipalityTable& municipalities);
// What the reverse geocoder's hit becomes: named after municipality and town
// ("千代田区丸の内一丁目"), city = the municipality, region = the prefecture.
std::optional<GeocodedPlace> placeFromReverseHit(const ReverseGeocoderHit& hit, GeoCoordinate at,
                                                 const MunicipalityTable& municipalities);
