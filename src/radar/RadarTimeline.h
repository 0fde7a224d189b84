#pragma once

#include "platform/Expected.h"
#include "platform/HttpSession.h"
#include "platform/LastGoodCopies.h"
#include "platform/ServiceStatus.h"
#include "platform/async/Notifier.h"
#include "platform/async/Task.h"
#include "radar/RadarFrame.h"
#include "radar/TargetTimeEntry.h"

#include <QDateTime>
#include <QObject>

#include <functional>
#include <optional>

// Turns the agency's target-times lists into the ordered frames the players animate.
// reload() never throws: failures end in errorMessage and consecutiveFailures, and the
// previous frames stay. Only the newest load publishes anything or ends isLoading. Each list
// that reads is kept as a saved copy; when a load fails and nothing newer is shown, the
// frames of the saved copies are shown instead, marked by savedCopyTime. Lives on the GUI
// thread.
class RadarTimeline : public QObject {
    Q_OBJECT
    Q_PROPERTY(RadarFrames frames READ frames NOTIFY framesChanged)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorMessageChanged)
    Q_PROPERTY(QDateTime lastUpdated READ lastUpdated NOTIFY lastUpdatedChanged)
    Q_PROPERTY(QDateTime savedCopyTime READ savedCopyTime NOTIFY savedCopyTimeChanged)
    Q_PROPERTY(int consecutiveFailures READ consecutiveFailures NOTIFY consecutiveFailuresChanged)
    Q_PROPERTY(QDateTime loadStartedAt READ loadStartedAt NOTIFY loadStartedAtChanged)
    Q_PROPERTY(RadarRange range READ range WRITE setRange NOTIFY rangeChanged)
    Q_PROPERTY(bool includeForecast READ includeForecast WRITE setIncludeForecast NOTIFY
                   includeForecastChanged)
    Q_PROPERTY(double forecastHorizonHours READ forecastHorizonHours WRITE setForecastHorizonHours
                   NOTIFY forecastHorizonHoursChanged)

public:
    // Always from the network; 20 s between bytes, 40 s per transfer.
    static HttpSessionConfig defaultSessionConfig();

    explicit RadarTimeline(QObject* parent = nullptr,
                           HttpSessionConfig sessionConfig = defaultSessionConfig());
    ~RadarTimeline() override;

    // Loads the frames with the options as they are now. Asked while a load runs, it waits
    // for that load and then runs one more (however many asked meanwhile), since the running
    // one read the options before. A load running for 45 s or more counts as stuck: a new one
    // starts at once and the stuck one no longer counts.
    async::Task<void> reload();
    // Replaces the download session. A load it cuts off ends without a failure: whoever
    // resets the session loads again.
    void resetSession();

    const RadarFrames& frames() const { return m_frames; }
    // The newest published load's frames before forecasts are hidden: the same as frames()
    // while forecasts are shown. Changes with frames() or lastUpdated.
    const RadarFrames& loadedFrames() const { return m_loadedFrames; }
    bool isLoading() const { return m_status.isLoading(); }
    QString errorMessage() const { return m_status.errorMessage(); } // null when there is none
    QDateTime lastUpdated() const { return m_status.lastUpdated(); } // invalid when never loaded
    // When the saved lists whose frames are shown were fetched; invalid while the frames
    // came from the network in this run.
    QDateTime savedCopyTime() const { return m_status.savedCopyTime(); }
    bool isShowingSavedCopy() const { return savedCopyTime().isValid(); }
    int consecutiveFailures() const { return m_consecutiveFailures; }
    QDateTime loadStartedAt() const { return m_loadStartedAt; } // invalid when idle

    RadarRange range() const { return m_range; }
    void setRange(RadarRange range);
    bool includeForecast() const { return m_includeForecast; }
    void setIncludeForecast(bool include);
    double forecastHorizonHours() const { return m_forecastHorizonHours; }
    void setForecastHorizonHours(double hours);

    // Where the lists are kept; none by default.
    void setSavedCopies(LastGoodCopies copies) { m_copies = std::move(copies); }
    // Which frames of the saved lists may be shown (the controller keeps those whose tiles
    // are at hand); all when unset.
    void setSavedFrameFilter(std::function<bool(const RadarFrame&)> keep);
    // After a failed load, when nothing newer is shown: shows the frames of the saved lists
    // that the filter keeps, or leaves everything as it is when there are none.
    void showSavedCopies();

Q_SIGNALS:
    void framesChanged();
    void isLoadingChanged();
    void errorMessageChanged();
    void lastUpdatedChanged();
    void savedCopyTimeChanged();
    void consecutiveFailuresChanged();
    void loadStartedAtChanged();
    void rangeChanged();
    void includeForecastChanged();
    void forecastHorizonHoursChanged();

private:
    bool isLoadRunning(const QDateTime& now) const;
    async::Task<void> load();
    async::Task<Expected<RadarFrames>> loadNowcastFrames();
    async::Task<Expected<RadarFrames>> loadAnalysisFrames();
    async::Task<Expected<QList<TargetTimeEntry>>> fetchTargetTimes(const QString& path);
    HttpReply requestTargetTimes(const QString& path);
    // Keeps the list as the saved copy of `path` when it reads.
    Expected<QList<TargetTimeEntry>> decode(const QString& path, const HttpResponse& response);

    struct SavedFrames {
        RadarFrames frames;
        QDateTime fetchedAt; // of the oldest list used
    };
    std::optional<SavedFrames> savedFrames() const;
    std::optional<QList<TargetTimeEntry>> savedList(const QString& path,
                                                    QDateTime* oldestFetch) const;

    void publishFrames(const RadarFrames& loaded);
    RadarFrames shownPart(RadarFrames frames) const;
    void recordFailure(const QString& description);
    void setLoading(bool loading, const QDateTime& startedAt);
    void setConsecutiveFailures(int count);

    HttpSession* m_session;
    LastGoodCopies m_copies;
    std::function<bool(const RadarFrame&)> m_keepSavedFrame;
    RadarFrames m_frames;
    RadarFrames m_loadedFrames;
    ServiceStatus m_status;
    int m_consecutiveFailures = 0;
    QDateTime m_loadStartedAt;
    RadarRange m_range = RadarRange::ThreeHours;
    bool m_includeForecast = true;
    double m_forecastHorizonHours = 6.0;
    quint64 m_generation = 0; // of the newest load
    bool m_followUpWanted = false;
    async::Notifier m_newestLoadEnded;
};
