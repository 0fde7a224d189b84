#include "locations/CurrentLocationProvider.h"

#include "locations/QtPositionSource.h"
#include "platform/Logging.h"
#include "platform/PropertyHelpers.h"
#include "platform/async/Sleep.h"

namespace {

const QString kFallbackName = QStringLiteral("現在地");

} // namespace

CurrentLocationProvider::CurrentLocationProvider(std::unique_ptr<PositionSource> source,
                                                 std::shared_ptr<Geocoder> geocoder,
                                                 QObject* parent)
    : QObject(parent)
    , m_source(std::move(source))
    , m_geocoder(std::move(geocoder))
{
    if (!m_source)
        return;
    connect(m_source.get(), &PositionSource::positionUpdated, this,
            &CurrentLocationProvider::handlePosition);
    connect(m_source.get(), &PositionSource::errorOccurred, this,
            &CurrentLocationProvider::handleFailure);
    connect(m_source.get(), &PositionSource::authorizationChanged, this,
            &CurrentLocationProvider::handleAuthorizationChange);
}

CurrentLocationProvider::~CurrentLocationProvider()
{
    // The source outlives this object's QObject part by a moment; nothing it says on the
    // way out may reach us.
    if (m_source)
        m_source->disconnect(this);
}

std::unique_ptr<PositionSource> CurrentLocationProvider::createDefaultSource()
{
    return QtPositionSource::create();
}

QString CurrentLocationProvider::noSourceMessage()
{
    return QStringLiteral(
        "現在地を取得できませんでした（この環境では位置情報サービスを利用できません）");
}

QString CurrentLocationProvider::timeoutMessage()
{
    return QStringLiteral("現在地を取得できませんでした（時間内に位置を特定できませんでした）");
}

void CurrentLocationProvider::requestCurrentLocation(Completion completion)
{
    m_completion = std::move(completion);
    m_wantsFix = true;
    setStatus(Status::requesting());
    if (!m_source) {
        handleFailure(noSourceMessage());
        return;
    }
    m_timeoutTask.cancel();
    m_timeoutTask = m_tasks.spawn(timeoutWatch());
    switch (m_source->authorization()) {
    case PositionSource::Authorization::denied:
        endWaiting();
        setStatus(Status::denied());
        break;
    case PositionSource::Authorization::notDetermined:
        m_source->requestAuthorization();
        break;
    case PositionSource::Authorization::authorized:
        m_source->requestPosition();
        break;
    }
}

void CurrentLocationProvider::handleAuthorizationChange(PositionSource::Authorization authorization)
{
    switch (authorization) {
    case PositionSource::Authorization::denied:
        endWaiting();
        setStatus(Status::denied());
        break;
    case PositionSource::Authorization::authorized:
        if (m_wantsFix)
            m_source->requestPosition();
        break;
    case PositionSource::Authorization::notDetermined:
        break;
    }
}

void CurrentLocationProvider::handleFailure(const QString& message)
{
    // A late error of a request that already ended must not overwrite its outcome.
    if (!m_wantsFix)
        return;
    qCWarning(lcApp, "現在地取得失敗: %s", qUtf8Printable(message));
    endWaiting();
    setStatus(Status::failed(message));
}

void CurrentLocationProvider::handlePosition(GeoCoordinate coordinate)
{
    // Late and repeated fixes after the first are dropped.
    if (!m_wantsFix)
        return;
    endWaiting();
    m_tasks.spawn(deliver(coordinate));
}

void CurrentLocationProvider::endWaiting()
{
    m_wantsFix = false;
    m_timeoutTask.cancel();
    m_timeoutTask = {};
}

async::Task<void> CurrentLocationProvider::deliver(GeoCoordinate coordinate)
{
    async::Task<std::pair<QString, std::optional<QString>>> naming = placeName(coordinate);
    const std::pair<QString, std::optional<QString>> name = co_await naming;
    if (async::isCancelled())
        co_return;
    const SavedLocation location =
        SavedLocation::create(name.first, name.second, coordinate.latitude, coordinate.longitude);
    qCInfo(lcApp, "現在地取得完了 場所=%s", qUtf8Printable(name.first));
    setStatus(Status::idle());
    // Cleared before the call: the completion may start the next request.
    if (Completion completion = std::exchange(m_completion, {}))
        completion(location);
}

async::Task<std::pair<QString, std::optional<QString>>>
CurrentLocationProvider::placeName(GeoCoordinate coordinate)
{
    using Name = std::pair<QString, std::optional<QString>>;
    if (!m_geocoder)
        co_return Name{kFallbackName, std::nullopt};
    async::Task<Expected<GeocodedPlaces>> lookup = m_geocoder->reverse(coordinate);
    const Expected<GeocodedPlaces> found = co_await lookup;
    if (!found || found.value().isEmpty())
        co_return Name{kFallbackName, std::nullopt};
    const GeocodedPlace& item = found.value().constFirst();
    QString title = kFallbackName;
    if (item.cityName)
        title = *item.cityName;
    else if (item.name)
        title = *item.name;
    co_return Name{title, item.regionName};
}

async::Task<void> CurrentLocationProvider::timeoutWatch()
{
    co_await async::sleepSeconds(kRequestTimeoutSeconds);
    if (async::isCancelled())
        co_return;
    handleFailure(timeoutMessage());
}

void CurrentLocationProvider::setStatus(const Status& status)
{
    if (assignIfChanged(m_status, status))
        Q_EMIT statusChanged();
}
