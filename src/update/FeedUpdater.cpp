#include "update/FeedUpdater.h"

#include "platform/Clock.h"
#include "platform/DataHosts.h"
#include "platform/ErrorText.h"
#include "platform/Logging.h"
#include "platform/async/Sleep.h"

#include <QSettings>

#include <algorithm>
#include <cmath>

namespace {

// Waiting for a check the user started before the scheduled one runs.
constexpr double kBusyRetrySeconds = 60;

} // namespace

HttpSessionConfig FeedUpdater::defaultSessionConfig()
{
    HttpSessionConfig config;
    config.wholeTransferTimeout = std::chrono::seconds(60);
    return config;
}

FeedUpdater::FeedUpdater(Options options, QObject* parent)
    : Updater(parent)
    , m_defaults(options.defaults)
    , m_userDriver(std::move(options.userDriver))
    , m_shortVersion(std::move(options.shortVersion))
    , m_version(std::move(options.version))
    , m_feed(DataHosts::current().updates)
    , m_session(new HttpSession(std::move(options.session), this))
{
    // Without a feed a stored consent stays stored, for a build that has one, but is not
    // honoured here.
    if (!m_defaults || !hasReleaseFeed())
        return;
    // A value of another type counts as absent.
    const QVariant automatic = m_defaults->value(kAutomaticChecksKey);
    if (automatic.typeId() == QMetaType::Bool)
        m_automatic = automatic.toBool();
    const QVariant last = m_defaults->value(kLastCheckKey);
    if (last.typeId() == QMetaType::Double && std::isfinite(last.toDouble())) {
        m_lastCheck = QDateTime::fromMSecsSinceEpoch(qint64(last.toDouble() * 1000.0), Qt::UTC);
    }
}

FeedUpdater::~FeedUpdater()
{
    // Checks torn down with the task scope must not announce it to observers of a
    // half-destroyed updater.
    m_tearingDown = true;
}

void FeedUpdater::start()
{
    if (m_started)
        return;
    m_started = true;
    setCanCheck(!m_checking);
    restartSchedule();
}

void FeedUpdater::setAutomaticallyChecksForUpdates(bool enabled)
{
    if (enabled == m_automatic || !hasReleaseFeed())
        return;
    m_automatic = enabled;
    if (m_defaults)
        m_defaults->setValue(kAutomaticChecksKey, enabled);
    qCInfo(lcApp, "アップデートの自動確認 有効=%d", int(enabled));
    restartSchedule();
}

void FeedUpdater::checkForUpdates()
{
    if (!m_canCheck)
        return;
    if (!hasReleaseFeed()) {
        if (m_userDriver)
            m_userDriver->showUpdatesFromSystem();
        return;
    }
    // Marked before the task starts, so the command is disabled at once.
    m_checkTask = m_tasks.spawn(performCheck(true, CheckMark(this)));
}

void FeedUpdater::restartSchedule()
{
    m_scheduleTask.cancel();
    m_scheduleTask = {};
    if (m_started && m_automatic)
        m_scheduleTask = m_tasks.spawn(scheduleLoop());
}

async::Task<void> FeedUpdater::scheduleLoop()
{
    co_await async::sleepSeconds(kFirstCheckDelaySeconds);
    for (;;) {
        if (async::isCancelled())
            co_return;
        const double wait = secondsUntilDue();
        if (wait > 0) {
            // Checks the user starts meanwhile move the next one on; it is worked out again.
            co_await async::sleepSeconds(wait);
            continue;
        }
        if (m_checking) {
            co_await async::sleepSeconds(kBusyRetrySeconds);
            continue;
        }
        // A named task: GCC 12 mishandles a discarded `co_await f(…);` of a temporary here.
        async::Task<void> check = performCheck(false, CheckMark(this));
        co_await check;
    }
}

double FeedUpdater::secondsUntilDue() const
{
    const QDateTime now = Clock::current().now();
    // A last check "in the future" means the clock was set back since: it says nothing
    // about when we last asked, and waiting for it could stop checks for good.
    if (!m_lastCheck || *m_lastCheck > now)
        return 0;
    const QDateTime due = m_lastCheck->addMSecs(qint64(kCheckIntervalSeconds * 1000));
    return std::max(secondsBetween(now, due), 0.0);
}

async::Task<void> FeedUpdater::performCheck(bool userInitiated, CheckMark mark)
{
    (void)mark; // held until the check ends
    QString failure;
    std::optional<AppcastItem> update;
    if (!m_feed.isValid()) {
        failure = ErrorText::badUrl();
    } else {
        const HttpResponse response = co_await m_session->get(m_feed);
        // A cancelled check publishes nothing.
        if (async::isCancelled())
            co_return;
        if (response.isTransportFailure()) {
            failure = response.errorDescription();
        } else if (response.status != 200) {
            failure = ErrorText::httpStatus(response.status);
        } else {
            const Expected<QList<AppcastItem>> items = Appcast::parse(response.body);
            if (items)
                update = Appcast::newestUpdate(items.value(), m_shortVersion, m_version);
            else
                failure = items.failure().description;
        }
    }
    recordCheck(Clock::current().now());

    if (!failure.isNull()) {
        qCWarning(lcApp, "アップデート確認失敗: %s", qUtf8Printable(failure));
        if (userInitiated && m_userDriver) {
            m_userDriver->showUpdateError(
                QStringLiteral("アップデート情報を取得できませんでした（%1）").arg(failure));
        }
        co_return;
    }
    if (update) {
        qCInfo(lcApp, "アップデートあり 版=%s ビルド=%s", qUtf8Printable(update->shortVersion),
               qUtf8Printable(update->version));
        if (m_userDriver)
            m_userDriver->showUpdateFound(*update, userInitiated);
        co_return;
    }
    qCInfo(lcApp, "アップデート確認完了 最新版");
    if (userInitiated && m_userDriver)
        m_userDriver->showUpToDate();
}

void FeedUpdater::recordCheck(const QDateTime& when)
{
    m_lastCheck = when.toUTC();
    if (m_defaults)
        m_defaults->setValue(kLastCheckKey, double(when.toMSecsSinceEpoch()) / 1000.0);
}

void FeedUpdater::setCanCheck(bool canCheck)
{
    if (m_tearingDown || canCheck == m_canCheck)
        return;
    m_canCheck = canCheck;
    Q_EMIT canCheckForUpdatesChanged(canCheck);
}

FeedUpdater::CheckMark::CheckMark(FeedUpdater* updater)
    : m_updater(updater)
{
    m_updater->m_checking = true;
    m_updater->setCanCheck(false);
}

FeedUpdater::CheckMark::CheckMark(CheckMark&& other) noexcept
    : m_updater(std::exchange(other.m_updater, nullptr))
{}

FeedUpdater::CheckMark::~CheckMark()
{
    if (!m_updater)
        return;
    m_updater->m_checking = false;
    if (m_updater->m_started)
        m_updater->setCanCheck(true);
}
