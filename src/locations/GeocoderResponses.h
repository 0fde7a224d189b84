#pragma once

#include "geo/GeoTypes.h"
#include "locations/GeocodedPlace.h"
#include "platform/Expected.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The answers of the three geocoding services, decoded strictly: a member the format
// requires that is missing or of another type fails the whole answer.

// GSI address search: a JSON array of GeoJSON points, e.g.
// {"geometry":{"coordinates":[139.7537,35.6852]},"properties":{"title":"東京都千代田区千代田",
// "addressCode":""}}; [] when nothing matches.
struct AddressSearchHit {
    QString title;
    QString addressCode; // a municipality code without its leading zero, or empty
    GeoCoordinate coordinate;

    friend bool operator==(const AddressSearchHit&, const AddressSearchHit&) = default;
};
Expected<QList<AddressSearchHit>> decodeAddressSearch(const QByteArray& bytes);

// The same hit twice (GSI repeats some) is kept once; the rest nearest to `near` first, at
// most `limit` of them.
QList<AddressSearchHit> nearestDistinctHits(QList<AddressSearchHit> hits, GeoCoordinate near,
                                            qsizetype limit);

// GSI reverse geocoder: {"results":{"muniCd":"13101","lv01Nm":"千代田"}}, or {} at sea
// and outside Japan (nothing).
struct ReverseGeocoderHit {
    QString municipalityCode;
    QString town; // empty when GSI gives none ("" or "－")

    friend bool operator==(const ReverseGeocoderHit&, const ReverseGeocoderHit&) = default;
};
Expected<std::optional<ReverseGeocoderHit>> decodeReverseGeocoder(const QByteArray& bytes);

// Photon: a GeoJSON FeatureCollection whose features carry "name", "state", "city",
// "country", "countrycode", "postcode" (all optional). Places outside Japan get their
// country after the state in the region name.
Expected<GeocodedPlaces> decodePhoton(const QByteArray& bytes);
