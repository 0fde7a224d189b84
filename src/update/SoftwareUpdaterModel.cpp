#include "update/SoftwareUpdaterModel.h"

#include "platform/PropertyHelpers.h"
#include "update/FeedUpdater.h"
#include "update/UpdateAlert.h"
#include "update/UrlOpener.h"

#include <QLocale>

SoftwareUpdaterModel::StandardUpdater SoftwareUpdaterModel::standardUpdater(QSettings* defaults)
{
    auto alert = std::make_unique<UpdateAlert>(desktopUrlOpener());
    UpdateAlert* shown = alert.get();
    FeedUpdater::Options options;
    options.defaults = defaults;
    options.userDriver = std::move(alert);
    return {std::make_unique<FeedUpdater>(std::move(options)), shown};
}

SoftwareUpdaterModel::SoftwareUpdaterModel(QSettings* defaults, QObject* parent)
    : SoftwareUpdaterModel(standardUpdater(defaults), parent)
{}

SoftwareUpdaterModel::SoftwareUpdaterModel(StandardUpdater standard, QObject* parent)
    : SoftwareUpdaterModel(std::move(standard.updater), parent)
{
    m_alert = standard.alert;
}

SoftwareUpdaterModel::SoftwareUpdaterModel(std::unique_ptr<Updater> updater, QObject* parent)
    : QObject(parent)
    , m_updater(std::move(updater))
{
    m_updater->start();
    m_automatic = m_updater->automaticallyChecksForUpdates();
    connect(m_updater.get(), &Updater::canCheckForUpdatesChanged, this,
            &SoftwareUpdaterModel::setCanCheck);
    setCanCheck(m_updater->canCheckForUpdates());
}

SoftwareUpdaterModel::~SoftwareUpdaterModel()
{
    // The updater goes first and must not reach back into a model being destroyed.
    if (m_updater)
        disconnect(m_updater.get(), nullptr, this, nullptr);
}

void SoftwareUpdaterModel::setAlertParent(QWidget* window)
{
    if (m_alert)
        m_alert->setParentWindow(window);
}

void SoftwareUpdaterModel::setAutomaticallyChecksForUpdates(bool enabled)
{
    // Automatic checks cannot be turned on without a feed to check.
    if (!hasReleaseFeed())
        return;
    if (assignIfChanged(m_automatic, enabled))
        Q_EMIT automaticallyChecksForUpdatesChanged(enabled);
    if (m_updater->automaticallyChecksForUpdates() != enabled)
        m_updater->setAutomaticallyChecksForUpdates(enabled);
}

void SoftwareUpdaterModel::checkForUpdates()
{
    if (m_canCheck)
        m_updater->checkForUpdates();
}

std::optional<QDateTime> SoftwareUpdaterModel::lastUpdateCheckDate() const
{
    return m_updater->lastUpdateCheckDate();
}

QString SoftwareUpdaterModel::lastCheckText(const std::optional<QDateTime>& date)
{
    if (!date || !date->isValid())
        return QStringLiteral("未確認");
    // The user's own way of writing dates, as every other date on their desktop.
    return QLocale().toString(date->toLocalTime(), QLocale::ShortFormat);
}

void SoftwareUpdaterModel::setCanCheck(bool canCheck)
{
    if (assignIfChanged(m_canCheck, canCheck))
        Q_EMIT canCheckForUpdatesChanged(canCheck);
}
