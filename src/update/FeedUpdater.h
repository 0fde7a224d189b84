#pragma once

#include "platform/AppInfo.h"
#include "platform/HttpSession.h"
#include "platform/async/TaskScope.h"
#include "update/UpdateUserDriver.h"
#include "update/Updater.h"

#include <memory>

class QSettings;

// The program's own updater: it reads the release feed (DataHosts::updates), compares the
// newest release with the running version and lets the user driver offer its download page;
// it never installs anything. Without a feed a check only tells that the system's packages
// bring updates. With the user's consent it checks on its own, at most once a
// day, the first time shortly after start. It keeps its two preferences, the consent and
// the time of the last finished check, in the preferences store it is given. GUI thread only.
class FeedUpdater final : public Updater {
    Q_OBJECT

public:
    static constexpr double kCheckIntervalSeconds = 24 * 60 * 60;
    // Start-up stays quiet on the network for a while.
    static constexpr double kFirstCheckDelaySeconds = 10;

    static inline const QString kAutomaticChecksKey =
        QStringLiteral("Shiguren.automaticallyChecksForUpdates");
    // Seconds since 1970 (UTC) as a double.
    static inline const QString kLastCheckKey = QStringLiteral("Shiguren.lastUpdateCheckDate");

    struct Options {
        QSettings* defaults = nullptr; // not owned; must outlive the updater
        std::unique_ptr<UpdateUserDriver> userDriver;
        QString shortVersion = AppInfo::version();
        QString version = AppInfo::buildNumber();
        HttpSessionConfig session = defaultSessionConfig();
    };

    static HttpSessionConfig defaultSessionConfig();

    explicit FeedUpdater(Options options, QObject* parent = nullptr);
    ~FeedUpdater() override;

    void start() override;
    bool hasReleaseFeed() const override { return !m_feed.isEmpty(); }
    bool canCheckForUpdates() const override { return m_canCheck; }
    bool automaticallyChecksForUpdates() const override { return m_automatic; }
    void setAutomaticallyChecksForUpdates(bool enabled) override;
    std::optional<QDateTime> lastUpdateCheckDate() const override { return m_lastCheck; }
    void checkForUpdates() override;

    UpdateUserDriver* userDriver() const { return m_userDriver.get(); }

private:
    // Keeps canCheckForUpdates false for as long as a check lives (inside its coroutine
    // frame, so a check that ends in any way, or is torn down, lets go).
    class CheckMark {
    public:
        explicit CheckMark(FeedUpdater* updater);
        CheckMark(CheckMark&& other) noexcept;
        CheckMark(const CheckMark&) = delete;
        CheckMark& operator=(const CheckMark&) = delete;
        CheckMark& operator=(CheckMark&&) = delete;
        ~CheckMark();

    private:
        FeedUpdater* m_updater;
    };

    void restartSchedule();
    async::Task<void> scheduleLoop();
    async::Task<void> performCheck(bool userInitiated, CheckMark mark);
    double secondsUntilDue() const;
    void recordCheck(const QDateTime& when);
    void setCanCheck(bool canCheck);

    QSettings* m_defaults;
    std::unique_ptr<UpdateUserDriver> m_userDriver;
    QString m_shortVersion;
    QString m_version;
    QUrl m_feed;
    HttpSession* m_session;
    bool m_started = false;
    bool m_canCheck = false;
    bool m_checking = false;
    bool m_tearingDown = false;
    bool m_automatic = false;
    std::optional<QDateTime> m_lastCheck;
    async::TaskHandle m_scheduleTask;
    async::TaskHandle m_checkTask;
    async::TaskScope m_tasks; // last: destroyed first
};
