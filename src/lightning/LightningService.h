#pragma once

#include "lightning/LidenFeature.h"
#include "lightning/LightningStrike.h"
#include "platform/Expected.h"
#include "platform/HttpSession.h"
#include "platform/LastGoodCopies.h"
#include "platform/ServiceStatus.h"
#include "platform/async/RefreshLoop.h"
#include "platform/async/Task.h"
#include "platform/async/TaskScope.h"
#include "radar/ListingSchedule.h"
#include "radar/RadarFrame.h"
#include "radar/TargetTimeEntry.h"

#include <QDateTime>
#include <QObject>

#include <optional>

// Keeps the cloud-to-ground strikes of the agency's newest lightning observation. Each pass
// finds the newest observation of nowcast list 3 that carries "liden", downloads that
// time's strike file and publishes its strikes. The same list gives the frames of the
// thunder and tornado nowcasts, published with it. A failed pass keeps the previous strikes
// and frames and says why in errorMessage. The last strike file that read is kept as a saved
// copy, shown (marked by savedCopyTime) when a pass fails before any succeeded. Lives on the
// GUI thread.
class LightningService : public QObject {
    Q_OBJECT
    Q_PROPERTY(LightningStrikes strikes READ strikes NOTIFY strikesChanged)
    Q_PROPERTY(RadarFrames thunderFrames READ thunderFrames NOTIFY hazardFramesChanged)
    Q_PROPERTY(RadarFrames tornadoFrames READ tornadoFrames NOTIFY hazardFramesChanged)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorMessageChanged)
    Q_PROPERTY(QDateTime lastUpdated READ lastUpdated NOTIFY lastUpdatedChanged)
    Q_PROPERTY(QDateTime savedCopyTime READ savedCopyTime NOTIFY savedCopyTimeChanged)

public:
    // Always from the network; 20 s between bytes.
    static HttpSessionConfig defaultSessionConfig();

    explicit LightningService(QObject* parent = nullptr,
                              HttpSessionConfig sessionConfig = defaultSessionConfig());
    ~LightningService() override;

    // One pass; never fails (failures end in errorMessage). A cancelled pass publishes
    // nothing but clears isLoading.
    async::Task<void> reload();
    // Cancels the running loop and starts one whose first pass runs at once; later passes
    // follow `intervalSeconds` after the previous one ended until the agency's phase is
    // learnt, and then come as each new observation is due.
    void startAutoRefresh(double intervalSeconds);

    const LightningStrikes& strikes() const { return m_strikes; }
    // The thunder activity and tornado likelihood frames of the last list (HazardFrames).
    const RadarFrames& thunderFrames() const { return m_thunderFrames; }
    const RadarFrames& tornadoFrames() const { return m_tornadoFrames; }
    bool isLoading() const { return m_status.isLoading(); }
    QString errorMessage() const { return m_status.errorMessage(); } // null when there is none
    QDateTime lastUpdated() const { return m_status.lastUpdated(); } // invalid when never loaded
    // When the saved strike file shown was fetched; invalid while none is shown.
    QDateTime savedCopyTime() const { return m_status.savedCopyTime(); }
    // Where the strike file is kept; none by default.
    void setSavedCopies(LastGoodCopies copies) { m_copies = std::move(copies); }

    // The observation entry with the greatest validtime that lists "liden"; the earlier
    // entry wins a tie. Nothing when no observation carries lightning.
    static std::optional<TargetTimeEntry>
    newestLidenObservation(const QList<TargetTimeEntry>& entries);

Q_SIGNALS:
    void strikesChanged();
    void hazardFramesChanged();
    void isLoadingChanged();
    void errorMessageChanged();
    void lastUpdatedChanged();
    void savedCopyTimeChanged();

private:
    async::Task<Expected<QList<TargetTimeEntry>>> fetchList();
    async::Task<Expected<QList<LidenFeature>>> fetchLiden(QString basetime, QString validtime);

    void publish(const LightningStrikes& strikes);
    void fail(const QString& description);
    void publishHazardFrames(const QList<TargetTimeEntry>& entries);

    HttpSession* m_session;
    LastGoodCopies m_copies;
    LightningStrikes m_strikes;
    RadarFrames m_thunderFrames;
    RadarFrames m_tornadoFrames;
    ServiceStatus m_status;
    ListingSchedule m_schedule;
    async::RefreshLoop m_refresh;
    async::TaskScope m_tasks; // last: destroyed first, so no task outlives the members
};
