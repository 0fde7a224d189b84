#include "platform/DesktopNotifications.h"

#include "platform/AppInfo.h"
#include "platform/Logging.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {

const QString kNotificationsService = QStringLiteral("org.freedesktop.Notifications");
const QString kNotificationsPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kNotificationsInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kDefaultNotificationAction = QStringLiteral("default");
// Let the desktop decide how long it stays.
constexpr int kNotificationTimeout = -1;

} // namespace

DesktopNotifications::DesktopNotifications(QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
    if (m_bus.isConnected())
        m_bus.connect(kNotificationsService, kNotificationsPath, kNotificationsInterface,
                      QStringLiteral("ActionInvoked"), this, SLOT(onActionInvoked(uint, QString)));
}

void DesktopNotifications::show(const QString& title, const QString& body)
{
    if (!m_bus.isConnected()) {
        logUnavailable(QStringLiteral("no session bus"));
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kNotificationsService, kNotificationsPath,
                                       kNotificationsInterface, QStringLiteral("Notify"));
    const QString icon = AppInfo::applicationId();
    // Shells that group notifications by program find ours through the desktop entry.
    const QVariantMap hints{{QStringLiteral("desktop-entry"), icon}};
    call << AppInfo::applicationName() << m_lastId << icon << title << body
         << QStringList{kDefaultNotificationAction, QStringLiteral("表示")} << hints
         << kNotificationTimeout;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                onShown(finished);
                finished->deleteLater();
            });
}

void DesktopNotifications::onShown(QDBusPendingCallWatcher* call)
{
    const QDBusPendingReply<uint> reply = *call;
    if (reply.isError()) {
        logUnavailable(reply.error().message());
        return;
    }
    m_lastId = reply.value();
}

void DesktopNotifications::onActionInvoked(uint id, const QString& action)
{
    // The signal goes to every program on the bus: only our latest notification counts.
    if (id != 0 && id == m_lastId && action == kDefaultNotificationAction)
        Q_EMIT activated();
}

void DesktopNotifications::logUnavailable(const QString& reason)
{
    if (m_toldUnavailable)
        return;
    m_toldUnavailable = true;
    qCWarning(lcApp).noquote()
        << QStringLiteral("desktop notifications are not available (%1): rain alerts are not shown")
               .arg(reason);
}
