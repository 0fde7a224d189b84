#pragma once

#include <QDateTime>
#include <QObject>

#include <optional>

// What the update model asks of an updater: start it, read and switch its automatic checks,
// start a check the user asked for, and learn when it can take one.
class Updater : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Begins the updater's own scheduled checks. Called once.
    virtual void start() = 0;

    // False when the build names no release feed: the system's packages bring updates, the
    // updater asks nothing of any server and automatic checks stay off. Fixed for its life.
    virtual bool hasReleaseFeed() const = 0;

    // False while a check runs (and before start()).
    virtual bool canCheckForUpdates() const = 0;

    // The user's choice, kept by the updater across runs.
    virtual bool automaticallyChecksForUpdates() const = 0;
    virtual void setAutomaticallyChecksForUpdates(bool enabled) = 0;

    // When the last check finished; none before the first.
    virtual std::optional<QDateTime> lastUpdateCheckDate() const = 0;

    // A check the user asked for: its outcome is always shown. Ignored while a check runs.
    virtual void checkForUpdates() = 0;

Q_SIGNALS:
    void canCheckForUpdatesChanged(bool canCheck);
};
