#pragma once

#include "platform/Expected.h"
#include "platform/HttpSession.h"
#include "platform/LastGoodCopies.h"
#include "platform/ServiceStatus.h"
#include "platform/async/RefreshLoop.h"
#include "platform/async/Task.h"
#include "platform/async/TaskScope.h"
#include "typhoon/TyphoonInfo.h"
#include "typhoon/TyphoonTarget.h"

#include <QDateTime>
#include <QMap>
#include <QObject>
#include <QUrl>

#include <optional>

// tropicalCyclone → issue text, for every cyclone of a list.
using TyphoonIssueMap = QMap<QString, QString>;

// Keeps the agency's active tropical cyclones. Each pass downloads the list of cyclones;
// when any issue time changed (or nothing is shown yet) it downloads every cyclone's
// forecast and specifications at once, combines them and publishes the cyclones sorted by
// number. A cyclone whose documents fail is left out of that pass and fetched again in the
// next; a list that fails keeps everything as it was and says why in errorMessage. The list
// and the documents that read are kept as saved copies, shown (marked by savedCopyTime) when
// the list fails before any pass succeeded. Lives on the GUI thread.
class TyphoonService : public QObject {
    Q_OBJECT
    Q_PROPERTY(TyphoonInfos typhoons READ typhoons NOTIFY typhoonsChanged)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorMessageChanged)
    Q_PROPERTY(QDateTime lastUpdated READ lastUpdated NOTIFY lastUpdatedChanged)
    Q_PROPERTY(QDateTime savedCopyTime READ savedCopyTime NOTIFY savedCopyTimeChanged)
    Q_PROPERTY(TyphoonIssueMap lastIssues READ lastIssues NOTIFY lastIssuesChanged)

public:
    // Always from the network; 20 s between bytes.
    static HttpSessionConfig defaultSessionConfig();

    explicit TyphoonService(QObject* parent = nullptr,
                            HttpSessionConfig sessionConfig = defaultSessionConfig());
    ~TyphoonService() override;

    // One pass; never fails (failures end in errorMessage or in the log). A cancelled pass
    // publishes nothing but clears isLoading.
    async::Task<void> reload();
    // Cancels the running loop and starts one that sleeps `intervalSeconds` before each
    // pass, the first included.
    void startAutoRefresh(double intervalSeconds);

    const TyphoonInfos& typhoons() const { return m_typhoons; }
    bool isLoading() const { return m_status.isLoading(); }
    QString errorMessage() const { return m_status.errorMessage(); } // null when there is none
    QDateTime lastUpdated() const { return m_status.lastUpdated(); } // invalid when never loaded
    // When the oldest saved document shown was fetched; invalid while none is shown.
    QDateTime savedCopyTime() const { return m_status.savedCopyTime(); }
    // Where the list and documents are kept; none by default.
    void setSavedCopies(LastGoodCopies copies) { m_copies = std::move(copies); }
    // The issue texts of the cyclones whose details arrived in the last full pass.
    const TyphoonIssueMap& lastIssues() const { return m_lastIssues; }

    static QUrl targetsURL();
    // Invalid for an identifier that is not a plain path segment ("", ".", "..", slashes).
    static QUrl forecastURL(const QString& id);
    static QUrl specificationsURL(const QString& id);

Q_SIGNALS:
    void typhoonsChanged();
    void isLoadingChanged();
    void errorMessageChanged();
    void lastUpdatedChanged();
    void savedCopyTimeChanged();
    void lastIssuesChanged();

private:
    // One cyclone's two documents, both requested when this is made.
    struct CycloneDownload {
        TyphoonTarget target;
        HttpReply forecast;
        HttpReply specifications;
    };

    async::Task<Expected<QList<TyphoonTarget>>> fetchTargets();
    CycloneDownload startDownload(const TyphoonTarget& target);
    // Fails when a document did not arrive or did not decode; nothing when the cyclone has
    // no analysis to show.
    static async::Task<Expected<std::optional<TyphoonInfo>>>
    finishDownload(CycloneDownload& download, LastGoodCopies copies);
    void fail(const QString& description);
    void showSavedCopies();

    HttpSession* m_session;
    LastGoodCopies m_copies;
    TyphoonInfos m_typhoons;
    TyphoonIssueMap m_lastIssues;
    ServiceStatus m_status;
    async::RefreshLoop m_refresh;
    async::TaskScope m_tasks; // last: destroyed first, so no task outlives the members
};
