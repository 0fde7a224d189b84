#pragma once

#include "update/Updater.h"

#include <QDateTime>
#include <QObject>

#include <memory>
#include <optional>

class QSettings;
class QWidget;
class UpdateAlert;

// The one software-update object of the application: it owns the updater, started as soon
// as it is created, mirrors whether a check can be started, and keeps the user's choice of
// automatic checks in step with the updater. The menu command and the "更新" settings tab
// both work through it.
class SoftwareUpdaterModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool canCheckForUpdates READ canCheckForUpdates NOTIFY canCheckForUpdatesChanged)
    Q_PROPERTY(bool automaticallyChecksForUpdates READ automaticallyChecksForUpdates WRITE
                   setAutomaticallyChecksForUpdates NOTIFY automaticallyChecksForUpdatesChanged)

public:
    // The program's own updater over the preferences store `defaults` (not owned), with
    // outcomes shown in windows and download pages opened in the browser.
    explicit SoftwareUpdaterModel(QSettings* defaults, QObject* parent = nullptr);
    // Over any updater; the model takes it and starts it.
    explicit SoftwareUpdaterModel(std::unique_ptr<Updater> updater, QObject* parent = nullptr);
    ~SoftwareUpdaterModel() override;

    Updater* controller() const { return m_updater.get(); }
    bool hasReleaseFeed() const { return m_updater->hasReleaseFeed(); }

    // The program's own updater shows its outcomes as dialogs of `window` (not owned).
    void setAlertParent(QWidget* window);

    bool canCheckForUpdates() const { return m_canCheck; }
    bool automaticallyChecksForUpdates() const { return m_automatic; }
    // The updater is written only when the value differs from the one it has.
    void setAutomaticallyChecksForUpdates(bool enabled);

    // A check the user asked for; nothing happens while one runs.
    void checkForUpdates();
    std::optional<QDateTime> lastUpdateCheckDate() const;

    // The date and time in the short format of the user's locale ("2025/08/29 14:30" in Japan)
    // in the system's time zone, or "未確認" before the first check.
    static QString lastCheckText(const std::optional<QDateTime>& date);

Q_SIGNALS:
    void canCheckForUpdatesChanged(bool canCheck);
    void automaticallyChecksForUpdatesChanged(bool enabled);

private:
    struct StandardUpdater {
        std::unique_ptr<Updater> updater;
        UpdateAlert* alert; // owned by the updater
    };
    static StandardUpdater standardUpdater(QSettings* defaults);
    SoftwareUpdaterModel(StandardUpdater standard, QObject* parent);

    void setCanCheck(bool canCheck);

    std::unique_ptr<Updater> m_updater;
    UpdateAlert* m_alert = nullptr;
    bool m_canCheck = false;
    bool m_automatic = false;
};
