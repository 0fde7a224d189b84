#pragma once

#include <QObject>

class QAction;
class SoftwareUpdaterModel;

// The menu command "アップデートを確認...": it starts a check and is disabled while one
// runs; in a build without a release feed it tells that the system's packages bring updates. The
// main window puts the action in the application menu, after the about item and a separator.
class SoftwareUpdateCommands : public QObject {
    Q_OBJECT

public:
    // The model is not owned and must outlive the commands.
    explicit SoftwareUpdateCommands(SoftwareUpdaterModel* updater, QObject* parent = nullptr);

    QAction* checkForUpdatesAction() const { return m_checkAction; }
    SoftwareUpdaterModel* updater() const { return m_updater; }

private:
    SoftwareUpdaterModel* m_updater;
    QAction* m_checkAction;
};
