#include "typhoon/TyphoonService.h"

#include "platform/Clock.h"
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

QString copyKey(const QString& id, const QString& document)
{
    return QStringLiteral("typhoon-") + id + u'-' + document;
}

const QString kTargetsCopyKey = QStringLiteral("typhoon-targetTc.json");

// An error status is reported as such, not as the page that came with it failing to decode.
// Bodies may come gzip-compressed without a Content-Encoding header. A body that reads is
// kept as the copy of `key`.
template <typename Decoder>
auto decodeBody(const HttpResponse& response, Decoder decode, const LastGoodCopies& copies,
                const QString& key) -> decltype(decode(QByteArray()))
{
    if (!response.isSuccess())
        return response.failure();
    const QByteArray body = Gzip::inflateIfCompressed(response.body);
    auto decoded = decode(body);
    if (decoded)
        copies.save(key, body, Clock::current().now());
    return decoded;
}

// The saved copy of `key` as `decode` reads it; a copy that does not read is logged and
// left out. `oldest` keeps the earliest fetch time of the copies read.
template <typename Decoder>
auto readCopy(const LastGoodCopies& copies, const QString& key, Decoder decode, QDateTime* oldest)
    -> std::optional<std::remove_cvref_t<decltype(decode(QByteArray()).value())>>
{
    const std::optional<LastGoodCopies::Copy> copy = copies.load(key);
    if (!copy)
        return std::nullopt;
    auto decoded = decode(copy->bytes);
    if (!decoded) {
        qCWarning(lcTyphoon, "保存した %s を読めません: %s", qUtf8Printable(key),
                  qUtf8Printable(decoded.failure().description));
        return std::nullopt;
    }
    if (!oldest->isValid() || copy->fetchedAt < *oldest)
        *oldest = copy->fetchedAt;
    return std::move(decoded).value();
}

// Plain string order of the published numbers ("10" before "9"); ties keep list order.
void sortByNumber(TyphoonInfos& infos)
{
    std::stable_sort(infos.begin(), infos.end(), [](const TyphoonInfo& a, const TyphoonInfo& b) {
        return a.typhoonNumber < b.typhoonNumber;
    });
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
                       &TyphoonService::errorMessageChanged, &TyphoonService::lastUpdatedChanged,
                       &TyphoonService::savedCopyTimeChanged);
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
        fail(targets.failure().description);
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

    // Cyclones shown from saved copies are replaced by what the agency lists now.
    if (issues == m_lastIssues && !m_typhoons.isEmpty() && !savedCopyTime().isValid()) {
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
        const Expected<std::optional<TyphoonInfo>> info =
            co_await finishDownload(download, m_copies);
        if (async::isCancelled())
            co_return;
        if (!info)
            continue;
        seen.insert(download.target.tropicalCyclone, download.target.issue);
        if (info.value())
            infos.append(*info.value());
    }
    sortByNumber(infos);

    if (assignIfChanged(m_typhoons, infos))
        Q_EMIT typhoonsChanged();
    if (assignIfChanged(m_lastIssues, seen))
        Q_EMIT lastIssuesChanged();
    m_status.markSucceeded();
}

async::Task<Expected<QList<TyphoonTarget>>> TyphoonService::fetchTargets()
{
    HttpReply reply = m_session->get(targetsURL());
    co_return decodeBody(co_await reply, decodeTyphoonTargets, m_copies, kTargetsCopyKey);
}

TyphoonService::CycloneDownload TyphoonService::startDownload(const TyphoonTarget& target)
{
    return CycloneDownload{target, m_session->get(forecastURL(target.tropicalCyclone)),
                           m_session->get(specificationsURL(target.tropicalCyclone))};
}

async::Task<Expected<std::optional<TyphoonInfo>>>
TyphoonService::finishDownload(CycloneDownload& download, LastGoodCopies copies)
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
        decodeBody(forecastResponse, decodeTyphoonForecast, copies,
                   copyKey(id, QStringLiteral("forecast.json")));
    if (!forecast)
        co_return logFailure(forecast.failure());

    HttpReply& specificationsReply = download.specifications;
    const HttpResponse specificationsResponse = co_await specificationsReply;
    if (async::isCancelled())
        co_return Failure{};
    const Expected<QList<TyphoonSpecEntry>> specifications =
        decodeBody(specificationsResponse, decodeTyphoonSpecifications, copies,
                   copyKey(id, QStringLiteral("specifications.json")));
    if (!specifications)
        co_return logFailure(specifications.failure());
    co_return TyphoonInfo::make(download.target, forecast.value(), specifications.value());
}

void TyphoonService::fail(const QString& description)
{
    m_status.markFailed(description);
    // What this run fetched is newer than any saved copy.
    if (!m_status.lastUpdated().isValid())
        showSavedCopies();
}

void TyphoonService::showSavedCopies()
{
    QDateTime oldest;
    const auto targets = readCopy(m_copies, kTargetsCopyKey, decodeTyphoonTargets, &oldest);
    if (!targets)
        return;
    TyphoonInfos infos;
    QStringList seen;
    for (const TyphoonTarget& target : *targets) {
        const QString& id = target.tropicalCyclone;
        if (seen.contains(id))
            continue;
        seen.append(id);
        const auto forecast = readCopy(m_copies, copyKey(id, QStringLiteral("forecast.json")),
                                       decodeTyphoonForecast, &oldest);
        const auto specifications =
            readCopy(m_copies, copyKey(id, QStringLiteral("specifications.json")),
                     decodeTyphoonSpecifications, &oldest);
        if (!forecast || !specifications)
            continue;
        if (const std::optional<TyphoonInfo> info =
                TyphoonInfo::make(target, *forecast, *specifications))
            infos.append(*info);
    }
    sortByNumber(infos);
    // The issues stay unknown, so the first pass that reaches the agency fetches everything.
    if (assignIfChanged(m_typhoons, infos))
        Q_EMIT typhoonsChanged();
    m_status.markShowingCopy(oldest);
}

void TyphoonService::startAutoRefresh(double intervalSeconds)
{
    m_refresh.start(m_tasks, intervalSeconds, async::RefreshLoop::FirstRound::AfterInterval,
                    [this] { return reload(); });
}
