#pragma once

#include "platform/Expected.h"
#include "platform/HttpSession.h"
#include "platform/ServiceStatus.h"
#include "platform/async/Notifier.h"
#include "platform/async/Task.h"
#include "radar/RadarFrame.h"
#include "radar/TargetTimeEntry.h"

#include <QDateTime>
#include <QObject>

// Turns the agency's target-times lists into the ordered frames the players animate.
// reload() never throws: failures end in errorMessage and consecutiveFailures, and the
// previous frames stay. Only the newest load publishes anything or ends isLoading. Lives on
// the GUI thread.
class RadarTimeline : public QObject {
    Q_OBJECT
    Q_PROPERTY(RadarFrames frames READ frames NOTIFY framesChanged)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorMessageChanged)
    Q_PROPERTY(QDateTime lastUpdated READ lastUpdated NOTIFY lastUpdatedChanged)
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
    int consecutiveFailures() const { return m_consecutiveFailures; }
    QDateTime loadStartedAt() const { return m_loadStartedAt; } // invalid when idle

    RadarRange range() const { return m_range; }
    void setRange(RadarRange range);
    bool includeForecast() const { return m_includeForecast; }
    void setIncludeForecast(bool include);
    double forecastHorizonHours() const { return m_forecastHorizonHours; }
    void setForecastHorizonHours(double hours);

Q_SIGNALS:
    void framesChanged();
    void isLoadingChanged();
    void errorMessageChanged();
    void lastUpdatedChanged();
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
    static Expected<QList<TargetTimeEntry>> decode(const HttpResponse& response);

    void publishFrames(const RadarFrames& loaded);
    void recordFailure(const QString& description);
    void setLoading(bool loading, const QDateTime& startedAt);
    void setConsecutiveFailures(int count);

    HttpSession* m_session;
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
