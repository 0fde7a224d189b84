#pragma once

#include "locations/Geocoder.h"
#include "platform/async/Sleep.h"

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

    async::Task<Expected<GeocodedPlaces>> search(QString text, GeoCoordinate near) override
    {
        searches.append(text);
        searchBiases.append(near);
        return answer(searchDelaySeconds,
                      [this, text] { return onSearch ? onSearch(text) : GeocodedPlaces{}; });
    }
    async::Task<Expected<GeocodedPlaces>> reverse(GeoCoordinate at) override
    {
        reverses.append(at);
        return answer(reverseDelaySeconds,
                      [this, at] { return onReverse ? onReverse(at) : GeocodedPlaces{}; });
    }

private:
    static async::Task<Expected<GeocodedPlaces>>
    answer(double delaySeconds, std::function<Expected<GeocodedPlaces>()> respond)
    {
        if (delaySeconds > 0)
            co_await async::sleepSeconds(delaySeconds);
        if (async::isCancelled())
            co_return Failure{QStringLiteral("通信が取り消されました")};
        co_return respond();
    }
};

inline GeocodedPlace namedPlace(const QString& name, GeoCoordinate at,
                                std::optional<QString> region = std::nullopt,
                                std::optional<QString> city = std::nullopt,
                                std::optional<QString> fullAddress = std::nullopt)
{
    return GeocodedPlace{name, at, std::move(region), std::move(city), std::move(fullAddress),
                         false};
}
