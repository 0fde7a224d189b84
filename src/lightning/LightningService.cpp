#include "lightning/LightningService.h"

#include "platform/Clock.h"
#include "platform/DataHosts.h"
#include "platform/Gzip.h"
#include "platform/Logging.h"
#include "radar/HazardFrames.h"
#include "radar/JMATime.h"

#include <QScopeGuard>
#include <QUrlQuery>

namespace {

const QString kListPath = QStringLiteral("/bosai/jmatile/data/nowc/targetTimes_N3.json");
const QString kLidenElement = QStringLiteral("liden");
const QString kCopyKey = QStringLiteral("liden.geojson");

// The time stamps come from the agency's list and are placed in the path as they are; one
// that could climb out of its directory is refused instead.
bool isPlainPathSegment(const QString& segment)
{
    return !segment.isEmpty() && segment != u"." && segment != u".." && !segment.contains(u'/') &&
           !segment.contains(u'\\');
}

QUrl lidenUrl(const QString& basetime, const QString& validtime)
{
    if (!isPlainPathSegment(basetime) || !isPlainPathSegment(validtime))
        return {}; // the session answers an invalid address with the bad-URL failure
    QUrl url = DataHosts::join(DataHosts::current().agency,
                               QStringLiteral("/bosai/jmatile/data/nowc/") + basetime +
                                   QStringLiteral("/none/") + validtime +
                                   QStringLiteral("/surf/liden/data.geojson"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("id"), kLidenElement);
    url.setQuery(query);
    return url;
}

} // namespace

HttpSessionConfig LightningService::defaultSessionConfig()
{
    return {}; // the defaults: always the network, 20 s between bytes, no overall limit
}

LightningService::LightningService(QObject* parent, HttpSessionConfig sessionConfig)
    : QObject(parent)
    , m_session(new HttpSession(std::move(sessionConfig), this))
    , m_status(lcLightning, QStringLiteral("雷観測取得失敗"), QStringLiteral("雷観測情報"))
{
    m_status.forwardTo(
        this, &LightningService::isLoadingChanged, &LightningService::errorMessageChanged,
        &LightningService::lastUpdatedChanged, &LightningService::savedCopyTimeChanged);
}

LightningService::~LightningService() = default;

std::optional<TargetTimeEntry>
LightningService::newestLidenObservation(const QList<TargetTimeEntry>& entries)
{
    std::optional<TargetTimeEntry> newest;
    for (const TargetTimeEntry& entry : entries) {
        if (!entry.isObservation() || !entry.hasElement(kLidenElement))
            continue;
        // Fourteen-digit stamps sort in time order as plain strings.
        if (!newest || entry.validtime > newest->validtime)
            newest = entry;
    }
    return newest;
}

async::Task<void> LightningService::reload()
{
    m_status.setLoading(true);
    // Also runs when the pass is torn down mid-way, so the flag never sticks.
    auto finish = qScopeGuard([this] { m_status.setLoading(false); });

    m_schedule.noteRequest(Clock::current().now());
    const Expected<QList<TargetTimeEntry>> list = co_await fetchList();
    if (async::isCancelled())
        co_return;
    if (!list) {
        fail(list.failure().description);
        co_return;
    }
    publishHazardFrames(list.value());
    const std::optional<TargetTimeEntry> entry = newestLidenObservation(list.value());
    m_schedule.noteList(Clock::current().now(),
                        entry ? JMATime::parse(entry->validtime).value_or(QDateTime())
                              : QDateTime());
    if (!entry) {
        publish({});
        co_return;
    }

    const Expected<QList<LidenFeature>> features =
        co_await fetchLiden(entry->basetime, entry->validtime);
    if (async::isCancelled())
        co_return;
    if (!features) {
        fail(features.failure().description);
        co_return;
    }
    publish(LightningStrike::fromFeatures(features.value()));
}

async::Task<Expected<QList<TargetTimeEntry>>> LightningService::fetchList()
{
    HttpReply reply = m_session->get(DataHosts::join(DataHosts::current().agency, kListPath));
    const HttpResponse response = co_await reply;
    if (!response.isSuccess())
        co_return response.failure();
    co_return decodeTargetTimes(Gzip::inflateIfCompressed(response.body));
}

async::Task<Expected<QList<LidenFeature>>> LightningService::fetchLiden(QString basetime,
                                                                        QString validtime)
{
    HttpReply reply = m_session->get(lidenUrl(basetime, validtime));
    const HttpResponse response = co_await reply;
    if (!response.isSuccess())
        co_return response.failure();
    // The file sometimes comes gzip-compressed without a Content-Encoding header.
    const QByteArray body = Gzip::inflateIfCompressed(response.body);
    Expected<QList<LidenFeature>> features = decodeLidenFeatures(body);
    if (features)
        m_copies.save(kCopyKey, body, Clock::current().now());
    co_return features;
}

void LightningService::startAutoRefresh(double intervalSeconds)
{
    ListingSchedule::Options pace;
    pace.steadySeconds = intervalSeconds;
    m_schedule = ListingSchedule(pace);
    m_refresh.start(
        m_tasks, [this] { return m_schedule.secondsUntilNextPoll(Clock::current().now()); },
        async::RefreshLoop::FirstRound::Immediately, [this] { return reload(); });
}

void LightningService::fail(const QString& description)
{
    m_status.markFailed(description);
    // Strikes of this run are newer than any saved copy.
    if (m_status.lastUpdated().isValid())
        return;
    const std::optional<LastGoodCopies::Copy> copy = m_copies.load(kCopyKey);
    if (!copy)
        return;
    const Expected<QList<LidenFeature>> features = decodeLidenFeatures(copy->bytes);
    if (!features) {
        qCWarning(lcLightning, "保存した雷観測を読めません: %s",
                  qUtf8Printable(features.failure().description));
        return;
    }
    const LightningStrikes strikes = LightningStrike::fromFeatures(features.value());
    if (m_strikes != strikes) {
        m_strikes = strikes;
        Q_EMIT strikesChanged();
    }
    m_status.markShowingCopy(copy->fetchedAt);
}

void LightningService::publishHazardFrames(const QList<TargetTimeEntry>& entries)
{
    RadarFrames thunder = HazardFrames::fromList(entries, RadarProduct::ThunderNowcast);
    RadarFrames tornado = HazardFrames::fromList(entries, RadarProduct::TornadoNowcast);
    if (thunder == m_thunderFrames && tornado == m_tornadoFrames)
        return;
    m_thunderFrames = std::move(thunder);
    m_tornadoFrames = std::move(tornado);
    Q_EMIT hazardFramesChanged();
}

void LightningService::publish(const LightningStrikes& strikes)
{
    // Equal strikes (same id and time) may still carry a corrected position: keep the new
    // list, but only a real change is announced.
    const bool changed = m_strikes != strikes;
    m_strikes = strikes;
    if (changed)
        Q_EMIT strikesChanged();
    m_status.markSucceeded();
}
