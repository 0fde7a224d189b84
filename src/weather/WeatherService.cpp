#include "weather/WeatherService.h"

#include "platform/Clock.h"
#include "platform/DataHosts.h"
#include "platform/ErrorText.h"
#include "platform/Logging.h"
#include "platform/PropertyHelpers.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace {

// The API answers errors with {"error": true, "reason": "…"}; the reason is shown inside
// the message, so it is cut short and kept to one printable line.
constexpr qsizetype kMaxReasonLength = 200;

QString serverReason(const QByteArray& body)
{
    const QJsonObject object = QJsonDocument::fromJson(body).object();
    QString reason = object.value(QLatin1String("reason")).toString();
    for (QChar& c : reason) {
        if (!c.isPrint())
            c = u' ';
    }
    reason = reason.simplified();
    if (reason.size() > kMaxReasonLength) {
        qsizetype cut = kMaxReasonLength;
        if (reason.at(cut - 1).isHighSurrogate())
            --cut;
        reason = reason.left(cut) + u'…';
    }
    return reason;
}

QString statusDescription(const HttpResponse& response)
{
    const QString reason = serverReason(response.body);
    const QString status = ErrorText::httpStatus(response.status);
    return reason.isEmpty() ? status : status + QStringLiteral(" (") + reason + u')';
}

QString coordinateText(double degrees)
{
    return QString::asprintf("%.4f", degrees);
}

QString copyKey(GeoCoordinate place)
{
    return QStringLiteral("forecast-") + coordinateText(place.latitude) + u'_' +
           coordinateText(place.longitude) + QStringLiteral(".json");
}

} // namespace

HttpSessionConfig WeatherService::defaultSessionConfig()
{
    HttpSessionConfig config;
    config.cachePolicy = QNetworkRequest::PreferNetwork;
    return config;
}

QUrl WeatherService::requestUrl(GeoCoordinate coordinate)
{
    const QList<std::pair<QString, QString>> items = {
        {QStringLiteral("latitude"), coordinateText(coordinate.latitude)},
        {QStringLiteral("longitude"), coordinateText(coordinate.longitude)},
        {QStringLiteral("current"),
         QStringLiteral("temperature_2m,apparent_temperature,relative_humidity_2m,dew_point_2m,"
                        "weather_code,wind_speed_10m,wind_direction_10m,surface_pressure,"
                        "precipitation,is_day")},
        {QStringLiteral("daily"),
         QStringLiteral("weather_code,temperature_2m_max,temperature_2m_min,"
                        "precipitation_probability_max,wind_speed_10m_max,"
                        "wind_direction_10m_dominant,sunrise,sunset,daylight_duration")},
        {QStringLiteral("hourly"),
         QStringLiteral("weather_code,temperature_2m,precipitation_probability,is_day")},
        {QStringLiteral("timezone"), QStringLiteral("Asia/Tokyo")},
        {QStringLiteral("forecast_days"), QStringLiteral("16")},
    };
    QStringList parts;
    for (const auto& [name, value] : items) {
        parts.append(name + u'=' +
                     QString::fromLatin1(QUrl::toPercentEncoding(value, QByteArrayLiteral(",/"))));
    }
    QUrl url = DataHosts::join(DataHosts::current().forecast, QStringLiteral("/v1/forecast"));
    url.setQuery(parts.join(u'&'), QUrl::StrictMode);
    return url;
}

WeatherService::WeatherService(QObject* parent, HttpSessionConfig sessionConfig)
    : QObject(parent)
    , m_session(new HttpSession(std::move(sessionConfig), this))
    , m_status(lcWeather, QStringLiteral("予報取得失敗"), QStringLiteral("天気予報"))
{
    m_status.forwardTo(
        this, &WeatherService::isLoadingChanged, &WeatherService::errorMessageChanged,
        static_cast<void (WeatherService::*)()>(nullptr), &WeatherService::savedCopyTimeChanged);
}

WeatherService::~WeatherService()
{
    // The loads torn down with the task scope must not announce it to observers of a
    // half-destroyed service.
    m_tearingDown = true;
}

WeatherService::LoadMark::LoadMark(WeatherService* service, GeoCoordinate place)
    : m_service(service)
    , m_place(place)
{
    m_service->changeLoading([this] { m_service->m_loadingPlaces.append(m_place); });
}

WeatherService::LoadMark::LoadMark(LoadMark&& other) noexcept
    : m_service(std::exchange(other.m_service, nullptr))
    , m_place(other.m_place)
{}

WeatherService::LoadMark::~LoadMark()
{
    if (m_service)
        m_service->changeLoading([this] { m_service->m_loadingPlaces.removeOne(m_place); });
}

template <typename Change>
void WeatherService::changeLoading(Change change)
{
    change();
    if (!m_tearingDown)
        m_status.setLoading(m_place && m_loadingPlaces.contains(*m_place));
}

WeatherService::LoadMark WeatherService::beginLoad(GeoCoordinate place)
{
    LoadMark mark(this, place);
    if (m_place != place) {
        changeLoading([&] { m_place = place; });
        // The old place's figures and failure would read as the new place's.
        if (std::exchange(m_snapshot, std::nullopt))
            Q_EMIT snapshotChanged();
        m_status.setErrorMessage(QString());
        m_status.markShowingCopy({});
    }
    return mark;
}

void WeatherService::load(GeoCoordinate coordinate)
{
    m_loadTask.cancel();
    // Marked before the task starts, so replacing a running load never blinks isLoading.
    m_loadTask = m_tasks.spawn(performLoad(coordinate, beginLoad(coordinate)));
}

void WeatherService::startAutoRefresh(double intervalSeconds,
                                      std::function<GeoCoordinate()> coordinate)
{
    m_refresh.stop();
    if (!coordinate)
        return;
    m_refresh.start(m_tasks, intervalSeconds, async::RefreshLoop::FirstRound::AfterInterval,
                    [this, coordinate = std::move(coordinate)] {
                        const GeoCoordinate place = coordinate();
                        return performLoad(place, beginLoad(place));
                    });
}

async::Task<void> WeatherService::performLoad(GeoCoordinate coordinate, LoadMark mark)
{
    (void)mark; // held until the load ends
    const Expected<OpenMeteoResponse> result = co_await fetch(coordinate);
    // A superseded load, or one for a place no longer asked for, publishes nothing, success
    // or failure.
    if (async::isCancelled() || m_place != coordinate)
        co_return;
    if (!result) {
        m_status.markFailed(result.failure().description);
        if (!m_snapshot)
            showSavedCopy(coordinate);
        co_return;
    }
    const OpenMeteoResponse& response = result.value();
    if (assignIfChanged(m_snapshot, makeSnapshot(response)))
        Q_EMIT snapshotChanged();
    qCInfo(lcWeather, "予報取得完了 気温=%f 日数=%ld", response.current.temperature2m,
           long(response.daily.time.size()));
    m_status.markSucceeded();
}

async::Task<Expected<OpenMeteoResponse>> WeatherService::fetch(GeoCoordinate coordinate)
{
    const QUrl url = requestUrl(coordinate);
    if (!url.isValid())
        co_return Failure{ErrorText::badUrl()};
    const HttpResponse response = co_await m_session->get(url);
    if (response.isTransportFailure())
        co_return Failure{response.errorDescription()};
    if (response.status != 200)
        co_return Failure{statusDescription(response)};
    Expected<OpenMeteoResponse> decoded = OpenMeteoResponse::decode(response.body);
    if (decoded)
        m_copies.save(copyKey(coordinate), response.body, Clock::current().now());
    co_return decoded;
}

void WeatherService::showSavedCopy(GeoCoordinate coordinate)
{
    const std::optional<LastGoodCopies::Copy> copy = m_copies.load(copyKey(coordinate));
    if (!copy)
        return;
    const Expected<OpenMeteoResponse> saved = OpenMeteoResponse::decode(copy->bytes);
    if (!saved) {
        qCWarning(lcWeather, "保存した予報を読めません: %s",
                  qUtf8Printable(saved.failure().description));
        return;
    }
    m_snapshot = makeSnapshot(saved.value());
    Q_EMIT snapshotChanged();
    m_status.markShowingCopy(copy->fetchedAt);
}
