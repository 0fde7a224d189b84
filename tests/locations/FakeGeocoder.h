#pragma once

#include "locations/Geocoder.h"

#include <QList>
#include <QString>

#include <functional>

// A geocoder whose answers the test decides. Each call is recorded; an answer can be held
// back for a time on the program clock, so tests can cancel calls that are still running.
class FakeGeocoder final : public Geocoder {
public:
    std::function<Expected<GeocodedPlaces>(const QString& text)> onSearch;
    std::function<Expected<GeocodedPlaces>(GeoCoordinate at)> onReverse;
    double searchDelaySeconds = 0;
    double reverseDelaySeconds = 0;

    QList<QString> searches;
    QList<GeoCoordinate> searchBiases;
    QList<GeoCoordinate> reverses;

    async::Task<Expected<GeocodedPlaces>> search(QString text, GeoCoordinate near) override;
    async::Task<Expected<GeocodedPlaces>> reverse(GeoCoordinate at) override;
};

GeocodedPlace namedPlace(const QString& name, GeoCoordinate at,
                         std::optional<QString> region = std::nullopt,
                         std::optional<QString> city = std::nullopt,
                         std::optional<QString> fullAddress = std::nullopt);
