#pragma once

#include "update/Appcast.h"

#include <QString>

// How the outcome of a check reaches the user. Checks the updater runs on its own schedule
// only ever report a new release; a check the user asked for reports every outcome.
class UpdateUserDriver {
public:
    // What the update command and the settings tab say in a build without a release feed.
    static inline const QString kUpdatesFromSystemText =
        QStringLiteral("アップデートはシステムのパッケージマネージャーから提供されます。");

    virtual ~UpdateUserDriver() = default;

    virtual void showUpdateFound(const AppcastItem& item, bool userInitiated) = 0;
    virtual void showUpToDate() = 0;
    virtual void showUpdateError(const QString& message) = 0;
    // A check asked for in a build without a release feed.
    virtual void showUpdatesFromSystem() = 0;
};
