#include "typhoon/TyphoonService.h"

#include "platform/DataHosts.h"
#include "platform/Gzip.h"
#include "platform/Logging.h"
#include "platform/PropertyHelpers.h"

#include <QScopeGuard>

#include <algorithm>
#include <vector>

namespace {

const QString kDataPath = QStringLiteral("/bosai/typhoon/data/");

// Identifiers come from the agency's list and are placed in the path as they are; one
// that could climb out of its directory is refused instead.
bool isPlainPathSegment(const QString& segment)
{
    return !segment.isEmpty() && segment != u"." && segment != u".." && !segment.contains(u'/') &&
           !segment.contains(u'\\');
}

QUrl cycloneDocumentURL(const QString& id, const QString& document)
{
    if (!isPlainPathSegment(id))
        return {}; // the session answers an invalid address with the bad-URL failure
    return DataHosts::join(DataHosts::current().agency, kDataPath + id + u'/' + document);
}

// An error status is reported as such, not as the page that came with it failing to decode.
// Bodies may come gzip-compressed without a Content-Encoding header.
template <typename Decoder>
auto decodeBody(const HttpResponse& response, Decoder decode) -> decltype(decode(QByteArray()))
{
    if (!response.isSuccess())
        return response.failure();
    return decode(Gzip::inflateIfCompressed(response.body));
}

} // namespace

HttpSessionConfig TyphoonService::defaultSessionConfig()
{
    return {}; // the defaults: always the network, 20 s between bytes, no overall limit
}

TyphoonService::TyphoonService(QObject* parent, HttpSessionConfig sessionConfig)
    : QObject(parent)
    , m_session(new HttpSession(std::move(sessionConfig), this))
    , m_status(lcTyphoon, QStringLiteral("targetTc 取得失敗"), QStringLiteral("台風情報"))
{
    m_status.forwardTo(this, &TyphoonService::isLoadingChanged,
                       &TyphoonService::errorMessageChanged, &TyphoonService::lastUpdatedChanged);
}

TyphoonService::~TyphoonService() = default;

QUrl TyphoonService::targetsURL()
{
    return DataHosts::join(DataHosts::current().agency,
                           kDataPath + QStringLiteral("targetTc.json"));
}

QUrl TyphoonService::forecastURL(const QString& id)
{
    return cycloneDocumentURL(id, QStringLiteral("forecast.json"));
}

QUrl TyphoonService::specificationsURL(const QString& id)
{
    return cycloneDocumentURL(id, QStringLiteral("specifications.json"));
}

async::Task<void> TyphoonService::reload()
{
    m_status.setLoading(true);
    // Also runs when the pass is torn down mid-way, so the flag never sticks.
    auto finish = qScopeGuard([this] { m_status.setLoading(false); });

    const Expected<QList<TyphoonTarget>> targets = co_await fetchTargets();
    if (async::isCancelled())
        co_return;
    if (!targets) {
        m_status.markFailed(targets.failure().description);
        co_return;
    }

    // A cyclone listed twice is fetched and shown once, with its first row.
    QList<TyphoonTarget> cyclones;
    TyphoonIssueMap issues;
    for (const TyphoonTarget& target : targets.value()) {
        if (issues.contains(target.tropicalCyclone))
            continue;
        issues.insert(target.tropicalCyclone, target.issue);
        cyclones.append(target);
    }

    if (issues == m_lastIssues && !m_typhoons.isEmpty()) {
        m_status.markSucceeded();
        co_return;
    }

    // Every request starts now, so all downloads overlap; the answers are then read in
    // list order.
    std::vector<CycloneDownload> downloads;
    downloads.reserve(size_t(cyclones.size()));
    for (const TyphoonTarget& target : cyclones)
        downloads.push_back(startDownload(target));

    TyphoonInfos infos;
    // A cyclone whose details did not arrive stays out of the issues seen, so the next pass
    // finds the list changed and fetches it again.
    TyphoonIssueMap seen;
    for (CycloneDownload& download : downloads) {
        const Expected<std::optional<TyphoonInfo>> info = co_await finishDownload(download);
        if (async::isCancelled())
            co_return;
        if (!info)
            continue;
        seen.insert(download.target.tropicalCyclone, download.target.issue);
        if (info.value())
            infos.append(*info.value());
    }
    // Plain string order of the published numbers ("10" before "9"); ties keep list order.
    std::stable_sort(infos.begin(), infos.end(), [](const TyphoonInfo& a, const TyphoonInfo& b) {
        return a.typhoonNumber < b.typhoonNumber;
    });

    if (assignIfChanged(m_typhoons, infos))
        Q_EMIT typhoonsChanged();
    if (assignIfChanged(m_lastIssues, seen))
        Q_EMIT lastIssuesChanged();
    m_status.markSucceeded();
}

async::Task<Expected<QList<TyphoonTarget>>> TyphoonService::fetchTargets()
{
    HttpReply reply = m_session->get(targetsURL());
    co_return decodeBody(co_await reply, decodeTyphoonTargets);
}

TyphoonService::CycloneDownload TyphoonService::startDownload(const TyphoonTarget& target)
{
    return CycloneDownload{target, m_session->get(forecastURL(target.tropicalCyclone)),
                           m_session->get(specificationsURL(target.tropicalCyclone))};
}

async::Task<Expected<std::optional<TyphoonInfo>>>
TyphoonService::finishDownload(CycloneDownload& download)
{
    const QString& id = download.target.tropicalCyclone;
    const auto logFailure = [&id](const Failure& failure) {
        qCWarning(lcTyphoon, "台風%sの詳細取得失敗: %s", qUtf8Printable(id),
                  qUtf8Printable(failure.description));
        return failure;
    };

    HttpReply& forecastReply = download.forecast;
    const HttpResponse forecastResponse = co_await forecastReply;
    if (async::isCancelled())
        co_return Failure{};
    const Expected<QList<TyphoonForecastEntry>> forecast =
        decodeBody(forecastResponse, decodeTyphoonForecast);
    if (!forecast)
        co_return logFailure(forecast.failure());

    HttpReply& specificationsReply = download.specifications;
    const HttpResponse specificationsResponse = co_await specificationsReply;
    if (async::isCancelled())
        co_return Failure{};
    const Expected<QList<TyphoonSpecEntry>> specifications =
        decodeBody(specificationsResponse, decodeTyphoonSpecifications);
    if (!specifications)
        co_return logFailure(specifications.failure());
    co_return TyphoonInfo::make(download.target, forecast.value(), specifications.value());
}

void TyphoonService::startAutoRefresh(double intervalSeconds)
{
    m_refresh.start(m_tasks, intervalSeconds, async::RefreshLoop::FirstRound::AfterInterval,
                    [this] { return reload(); });
}
