#include "locations/GeocoderResponses.h"

#include "geo/GeoDistance.h"
#include "platform/JsonReader.h"

#include <QStringList>

#include <algorithm>

namespace {

GeoCoordinate pointOf(json::ObjectReader& feature, JsonDecodeStatus& status)
{
    json::ObjectReader geometry(feature.object(QLatin1String("geometry")), status,
                                QStringLiteral("geometry"));
    const QJsonArray coordinates = geometry.array(QLatin1String("coordinates"));
    if (status.ok() && coordinates.size() < 2)
        status.fail(QStringLiteral("coordinates: fewer than two numbers"));
    // GeoJSON order: longitude first.
    const double longitude = json::numberAt(coordinates, 0, status);
    const double latitude = json::numberAt(coordinates, 1, status);
    return GeoCoordinate{latitude, longitude};
}

std::optional<QString> nonEmpty(std::optional<QString> text)
{
    if (text && text->trimmed().isEmpty())
        return std::nullopt;
    return text;
}

} // namespace

Expected<QList<AddressSearchHit>> decodeAddressSearch(const QByteArray& bytes)
{
    return json::decodeRows<AddressSearchHit>(
        bytes, [](const QJsonValue& row, JsonDecodeStatus& status, const QString& where) {
            json::ObjectReader feature(row, status, where);
            AddressSearchHit hit;
            hit.coordinate = pointOf(feature, status);
            json::ObjectReader properties(feature.object(QLatin1String("properties")), status,
                                          where + QStringLiteral(".properties"));
            hit.title = properties.string(QLatin1String("title"));
            hit.addressCode =
                properties.optionalString(QLatin1String("addressCode")).value_or(QString());
            return hit;
        });
}

QList<AddressSearchHit> nearestDistinctHits(QList<AddressSearchHit> hits, GeoCoordinate near,
                                            qsizetype limit)
{
    QList<std::pair<double, AddressSearchHit>> distinct;
    for (AddressSearchHit& hit : hits) {
        const bool seen = std::any_of(distinct.cbegin(), distinct.cend(), [&](const auto& kept) {
            return kept.second.title == hit.title && kept.second.coordinate == hit.coordinate;
        });
        if (!seen)
            distinct.append({geoDistance(near, hit.coordinate), std::move(hit)});
    }
    std::stable_sort(distinct.begin(), distinct.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QList<AddressSearchHit> nearest;
    for (qsizetype i = 0; i < distinct.size() && i < limit; ++i)
        nearest.append(std::move(distinct[i].second));
    return nearest;
}

Expected<std::optional<ReverseGeocoderHit>> decodeReverseGeocoder(const QByteArray& bytes)
{
    JsonDecodeStatus status;
    json::ObjectReader root(json::rootObject(json::parse(bytes, status), status), status);
    const std::optional<QJsonObject> results = root.optionalObject(QLatin1String("results"));
    std::optional<ReverseGeocoderHit> hit;
    if (results) {
        json::ObjectReader reader(*results, status, QStringLiteral("results"));
        hit =
            ReverseGeocoderHit{reader.string(QLatin1String("muniCd")),
                               reader.optionalString(QLatin1String("lv01Nm")).value_or(QString())};
        hit->town = hit->town.trimmed();
        if (hit->town == u"－" || hit->town == u"-")
            hit->town.clear();
    }
    if (!status.ok())
        return status.failure();
    return hit;
}

Expected<GeocodedPlaces> decodePhoton(const QByteArray& bytes)
{
    JsonDecodeStatus status;
    json::ObjectReader root(json::rootObject(json::parse(bytes, status), status), status);
    const QJsonArray features = root.array(QLatin1String("features"));
    GeocodedPlaces places;
    for (qsizetype i = 0; i < features.size() && status.ok(); ++i) {
        const QString where = QStringLiteral("features[%1]").arg(i);
        json::ObjectReader feature(features.at(i), status, where);
        GeocodedPlace place;
        place.coordinate = pointOf(feature, status);
        json::ObjectReader properties(feature.object(QLatin1String("properties")), status,
                                      where + QStringLiteral(".properties"));
        place.name = nonEmpty(properties.optionalString(QLatin1String("name")));
        place.cityName = nonEmpty(properties.optionalString(QLatin1String("city")));
        const std::optional<QString> state =
            nonEmpty(properties.optionalString(QLatin1String("state")));
        const std::optional<QString> country =
            nonEmpty(properties.optionalString(QLatin1String("country")));
        const std::optional<QString> countryCode =
            properties.optionalString(QLatin1String("countrycode"));
        (void)properties.optionalString(QLatin1String("postcode")); // type check only
        QStringList region;
        if (state)
            region.append(*state);
        if (country && countryCode.value_or(QString()).compare(u"JP", Qt::CaseInsensitive) != 0)
            region.append(*country);
        if (!region.isEmpty())
            place.regionName = region.join(QStringLiteral("、"));
        place.fromOpenStreetMap = true;
        places.append(std::move(place));
    }
    if (!status.ok())
        return status.failure();
    return places;
}
