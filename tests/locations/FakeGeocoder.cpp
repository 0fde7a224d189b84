#include "FakeGeocoder.h"

#include "platform/async/Sleep.h"

async::Task<Expected<GeocodedPlaces>> FakeGeocoder::search(QString text, GeoCoordinate near)
{
    searches.append(text);
    searchBiases.append(near);
    if (searchDelaySeconds > 0)
        co_await async::sleepSeconds(searchDelaySeconds);
    if (async::isCancelled())
        co_return Failure{QStringLiteral("通信が取り消されました")};
    co_return onSearch ? onSearch(text) : GeocodedPlaces{};
}

async::Task<Expected<GeocodedPlaces>> FakeGeocoder::reverse(GeoCoordinate at)
{
    reverses.append(at);
    if (reverseDelaySeconds > 0)
        co_await async::sleepSeconds(reverseDelaySeconds);
    if (async::isCancelled())
        co_return Failure{QStringLiteral("通信が取り消されました")};
    co_return onReverse ? onReverse(at) : GeocodedPlaces{};
}

GeocodedPlace namedPlace(const QString& name, GeoCoordinate at, std::optional<QString> region,
                         std::optional<QString> city, std::optional<QString> fullAddress)
{
    GeocodedPlace place;
    place.name = name;
    place.coordinate = at;
    place.regionName = std::move(region);
    place.cityName = std::move(city);
    place.fullAddress = std::move(fullAddress);
    return place;
}
