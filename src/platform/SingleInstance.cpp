#include "platform/SingleInstance.h"

#include "platform/AppInfo.h"
#include "platform/Logging.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QMetaClassInfo>

namespace {

const QString kObjectPath = QStringLiteral("/");

// A running instance answers at once; one that hangs must not keep the new start waiting
// long, so after this the new start gives up and ends quietly.
constexpr int kActivateTimeoutMs = 3000;

} // namespace

SingleInstance::SingleInstance(QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{}

bool SingleInstance::claim()
{
    QDBusConnectionInterface* busInterface = m_bus.isConnected() ? m_bus.interface() : nullptr;
    if (!busInterface) {
        qCInfo(lcApp) << "no session bus: starting without checking for a running instance";
        return true;
    }
    const QString name = AppInfo::applicationId();
    const auto reply =
        busInterface->registerService(name, QDBusConnectionInterface::DontQueueService,
                                      QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
        m_bus.registerObject(kObjectPath, this, QDBusConnection::ExportScriptableSlots);
        return true;
    }
    if (!reply.isValid()) {
        qCWarning(lcApp) << "cannot claim the session bus name" << name << ":"
                         << reply.error().message();
        return true;
    }
    // Waiting with the event loop running lets an instance in this very process answer.
    const QDBusMessage call = QDBusMessage::createMethodCall(
        name, kObjectPath,
        QString::fromLatin1(
            staticMetaObject.classInfo(staticMetaObject.indexOfClassInfo("D-Bus Interface"))
                .value()),
        QStringLiteral("activate"));
    const QDBusMessage answer = m_bus.call(call, QDBus::BlockWithGui, kActivateTimeoutMs);
    if (answer.type() == QDBusMessage::ErrorMessage) {
        // Better a second window than a start that shows nothing at all.
        qCWarning(lcApp) << "the instance owning" << name
                         << "did not answer, starting anyway:" << answer.errorMessage();
        return true;
    }
    qCInfo(lcApp) << "Shiguren is already running: its window was raised";
    return false;
}

void SingleInstance::activate()
{
    Q_EMIT activationRequested();
}
