#include "update/SoftwareUpdateCommands.h"

#include "update/SoftwareUpdaterModel.h"

#include <QAction>

SoftwareUpdateCommands::SoftwareUpdateCommands(SoftwareUpdaterModel* updater, QObject* parent)
    : QObject(parent)
    , m_updater(updater)
    , m_checkAction(new QAction(QStringLiteral("アップデートを確認..."), this))
{
    m_checkAction->setMenuRole(QAction::ApplicationSpecificRole);
    m_checkAction->setEnabled(updater->canCheckForUpdates());
    connect(updater, &SoftwareUpdaterModel::canCheckForUpdatesChanged, m_checkAction,
            &QAction::setEnabled);
    connect(m_checkAction, &QAction::triggered, updater, &SoftwareUpdaterModel::checkForUpdates);
}
