#include "radar/RadarTimeline.h"

#include "platform/Clock.h"
#include "platform/DataHosts.h"
#include "platform/Gzip.h"
#include "platform/Logging.h"
#include "platform/PropertyHelpers.h"
#include "radar/TimelineAssembly.h"

#include <QScopeGuard>

namespace {

const QString kList1 = QStringLiteral("nowc/targetTimes_N1.json");
const QString kList2 = QStringLiteral("nowc/targetTimes_N2.json");
const QString kRasrfList = QStringLiteral("rasrf/targetTimes.json");

// A load older than this is taken to be stuck, and a new one may start beside it.
constexpr double kStuckLoadSeconds = 45.0;

} // namespace

HttpSessionConfig RadarTimeline::defaultSessionConfig()
{
    HttpSessionConfig config;
    config.wholeTransferTimeout = std::chrono::seconds(40);
    return config;
}

RadarTimeline::RadarTimeline(QObject* parent, HttpSessionConfig sessionConfig)
    : QObject(parent)
    , m_session(new HttpSession(std::move(sessionConfig), this))
    , m_status(lcRadar, QStringLiteral("targetTimes 取得失敗"), QStringLiteral("レーダー情報"))
{
    m_status.forwardTo(this, &RadarTimeline::isLoadingChanged, &RadarTimeline::errorMessageChanged,
                       &RadarTimeline::lastUpdatedChanged, &RadarTimeline::savedCopyTimeChanged);
}

RadarTimeline::~RadarTimeline() = default;

void RadarTimeline::setRange(RadarRange range)
{
    if (assignIfChanged(m_range, range))
        Q_EMIT rangeChanged();
}

void RadarTimeline::setIncludeForecast(bool include)
{
    if (assignIfChanged(m_includeForecast, include))
        Q_EMIT includeForecastChanged();
}

void RadarTimeline::setForecastHorizonHours(double hours)
{
    if (assignIfChanged(m_forecastHorizonHours, hours))
        Q_EMIT forecastHorizonHoursChanged();
}

void RadarTimeline::resetSession()
{
    m_session->reset();
    setConsecutiveFailures(0);
}

bool RadarTimeline::isLoadRunning(const QDateTime& now) const
{
    return m_status.isLoading() && m_loadStartedAt.isValid() &&
           secondsBetween(m_loadStartedAt, now) < kStuckLoadSeconds;
}

async::Task<void> RadarTimeline::reload()
{
    if (isLoadRunning(Clock::current().now())) {
        m_followUpWanted = true;
        auto ended = m_newestLoadEnded.wait();
        co_await ended;
        // The first waiter to wake runs the follow-up; a load started meanwhile (or by an
        // earlier waiter) read the new options already.
        if (async::isCancelled() || !m_followUpWanted || m_status.isLoading())
            co_return;
    }
    async::Task<void> loading = load();
    co_await loading;
}

async::Task<void> RadarTimeline::load()
{
    const quint64 generation = ++m_generation;
    m_followUpWanted = false;
    setLoading(true, Clock::current().now());
    // Also runs if the awaiting task is torn down mid-load, so the timeline never stays
    // "loading" for a load nobody will finish. An overtaken load leaves the flag to its
    // successor.
    auto finish = qScopeGuard([this, generation] {
        if (generation != m_generation)
            return;
        setLoading(false, {});
        m_newestLoadEnded.notifyAll();
    });

    Expected<RadarFrames> result = Failure{};
    if (m_range == RadarRange::ThreeHours)
        result = co_await loadNowcastFrames();
    else
        result = co_await loadAnalysisFrames();

    // A cancelled or overtaken load publishes nothing, whatever it got; so does one cut off
    // by our own session reset, after which the controller loads again.
    if (async::isCancelled() || generation != m_generation)
        co_return;
    if (!result) {
        if (!result.failure().sessionReset) {
            recordFailure(result.failure().description);
            showSavedCopies();
        }
        co_return;
    }
    publishFrames(result.value());
}

RadarFrames RadarTimeline::shownPart(RadarFrames frames) const
{
    if (!m_includeForecast)
        frames.removeIf([](const RadarFrame& frame) { return frame.isForecast(); });
    return frames;
}

void RadarTimeline::setSavedFrameFilter(std::function<bool(const RadarFrame&)> keep)
{
    m_keepSavedFrame = std::move(keep);
}

void RadarTimeline::showSavedCopies()
{
    // Frames of this run's network answers are newer than any saved copy.
    if (m_consecutiveFailures == 0 || (!m_frames.isEmpty() && !isShowingSavedCopy()))
        return;
    const std::optional<SavedFrames> saved = savedFrames();
    if (!saved)
        return;
    RadarFrames frames = shownPart(saved->frames);
    if (m_keepSavedFrame)
        frames.removeIf([this](const RadarFrame& frame) { return !m_keepSavedFrame(frame); });
    if (frames.isEmpty()) {
        qCInfo(lcRadar, "保存した一覧のコマはどれもタイルが手元にない");
        return;
    }
    if (assignIfChanged(m_frames, frames)) {
        qCInfo(lcRadar, "保存した一覧のコマを表示 コマ数=%lld 取得=%s", qlonglong(frames.size()),
               qUtf8Printable(saved->fetchedAt.toString(Qt::ISODate)));
        Q_EMIT framesChanged();
    }
    m_status.markShowingCopy(saved->fetchedAt);
}

std::optional<QList<TargetTimeEntry>> RadarTimeline::savedList(const QString& path,
                                                               QDateTime* oldestFetch) const
{
    const std::optional<LastGoodCopies::Copy> copy = m_copies.load(path);
    if (!copy)
        return std::nullopt;
    const Expected<QList<TargetTimeEntry>> entries = decodeTargetTimes(copy->bytes);
    if (!entries) {
        qCWarning(lcRadar, "保存した %s を読めません: %s", qUtf8Printable(path),
                  qUtf8Printable(entries.failure().description));
        return std::nullopt;
    }
    if (!oldestFetch->isValid() || copy->fetchedAt < *oldestFetch)
        *oldestFetch = copy->fetchedAt;
    return entries.value();
}

std::optional<RadarTimeline::SavedFrames> RadarTimeline::savedFrames() const
{
    SavedFrames saved;
    if (m_range != RadarRange::ThreeHours) {
        const auto rasrf = savedList(kRasrfList, &saved.fetchedAt);
        if (!rasrf)
            return std::nullopt;
        saved.frames = TimelineAssembly::analysisTimeline(*rasrf);
        return saved;
    }
    const auto observed = savedList(kList1, &saved.fetchedAt);
    const auto forecast = savedList(kList2, &saved.fetchedAt);
    if (!observed || !forecast)
        return std::nullopt;
    TimelineAssembly::NowcastPlan plan =
        TimelineAssembly::planNowcast(*observed, *forecast, m_forecastHorizonHours);
    saved.frames = plan.frames;
    // Without the hourly list the nowcast alone is still worth showing.
    if (plan.extended) {
        if (const auto rasrf = savedList(kRasrfList, &saved.fetchedAt))
            saved.frames += TimelineAssembly::extendedForecastFrames(*rasrf, *plan.extended);
    }
    return saved;
}

void RadarTimeline::publishFrames(const RadarFrames& loaded)
{
    const RadarFrames frames = shownPart(loaded);
    if (frames.isEmpty()) {
        m_status.setErrorMessage(QStringLiteral("利用できるレーダーのコマがありません"));
        return;
    }
    m_loadedFrames = loaded;
    if (assignIfChanged(m_frames, frames))
        Q_EMIT framesChanged();
    m_status.markSucceeded();
    setConsecutiveFailures(0);
}

void RadarTimeline::recordFailure(const QString& description)
{
    setConsecutiveFailures(m_consecutiveFailures + 1);
    m_status.markFailed(description);
}

async::Task<Expected<RadarFrames>> RadarTimeline::loadNowcastFrames()
{
    // Both lists download at once; list 2 is abandoned (its reply dropped) if list 1 fails.
    HttpReply list1 = requestTargetTimes(kList1);
    HttpReply list2 = requestTargetTimes(kList2);
    const Expected<QList<TargetTimeEntry>> observed = decode(kList1, co_await list1);
    if (!observed)
        co_return observed.failure();
    const Expected<QList<TargetTimeEntry>> forecast = decode(kList2, co_await list2);
    if (!forecast)
        co_return forecast.failure();

    TimelineAssembly::NowcastPlan plan =
        TimelineAssembly::planNowcast(observed.value(), forecast.value(), m_forecastHorizonHours);
    if (plan.extended) {
        const Expected<QList<TargetTimeEntry>> rasrf = co_await fetchTargetTimes(kRasrfList);
        if (!rasrf)
            co_return rasrf.failure();
        plan.frames += TimelineAssembly::extendedForecastFrames(rasrf.value(), *plan.extended);
    }
    co_return plan.frames;
}

async::Task<Expected<RadarFrames>> RadarTimeline::loadAnalysisFrames()
{
    const Expected<QList<TargetTimeEntry>> rasrf = co_await fetchTargetTimes(kRasrfList);
    if (!rasrf)
        co_return rasrf.failure();
    co_return TimelineAssembly::analysisTimeline(rasrf.value());
}

async::Task<Expected<QList<TargetTimeEntry>>> RadarTimeline::fetchTargetTimes(const QString& path)
{
    HttpReply reply = requestTargetTimes(path);
    co_return decode(path, co_await reply);
}

HttpReply RadarTimeline::requestTargetTimes(const QString& path)
{
    const QUrl url =
        DataHosts::join(DataHosts::current().agency, QStringLiteral("/bosai/jmatile/data/") + path);
    return m_session->get(url);
}

Expected<QList<TargetTimeEntry>> RadarTimeline::decode(const QString& path,
                                                       const HttpResponse& response)
{
    if (!response.isSuccess())
        return response.failure();
    const QByteArray body = Gzip::inflateIfCompressed(response.body);
    Expected<QList<TargetTimeEntry>> entries = decodeTargetTimes(body);
    if (entries)
        m_copies.save(path, body, Clock::current().now());
    return entries;
}

void RadarTimeline::setLoading(bool loading, const QDateTime& startedAt)
{
    m_status.setLoading(loading);
    if (assignIfChanged(m_loadStartedAt, startedAt))
        Q_EMIT loadStartedAtChanged();
}

void RadarTimeline::setConsecutiveFailures(int count)
{
    if (assignIfChanged(m_consecutiveFailures, count))
        Q_EMIT consecutiveFailuresChanged();
}
