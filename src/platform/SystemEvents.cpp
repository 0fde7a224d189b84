#include "platform/SystemEvents.h"

#include <QDBusConnection>
#include <QNetworkInformation>

#include <ctime>

WakeMonitor::WakeMonitor(QObject* parent)
    : QObject(parent)
{}
WakeMonitor::~WakeMonitor() = default;

NetworkMonitor::NetworkMonitor(QObject* parent)
    : QObject(parent)
{}
NetworkMonitor::~NetworkMonitor() = default;

namespace {

class LogindWakeMonitor final : public WakeMonitor {
    Q_OBJECT

public:
    LogindWakeMonitor()
    {
        QDBusConnection bus = QDBusConnection::systemBus();
        if (!bus.isConnected())
            return;
        m_available = bus.connect(
            QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
            this, SLOT(onPrepareForSleep(bool)));
    }

    ~LogindWakeMonitor() override
    {
        if (m_available)
            QDBusConnection::systemBus().disconnect(
                QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
                this, SLOT(onPrepareForSleep(bool)));
    }

    bool isAvailable() const override { return m_available; }

private Q_SLOTS:
    void onPrepareForSleep(bool goingToSleep)
    {
        if (!goingToSleep)
            Q_EMIT woke();
    }

private:
    bool m_available = false;
};

class ReachabilityMonitor final : public NetworkMonitor {
    Q_OBJECT

public:
    bool start() override
    {
        if (m_started)
            return m_available;
        m_started = true;
        if (!QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
            return false;
        QNetworkInformation* info = QNetworkInformation::instance();
        if (!info)
            return false;
        m_available = true;
        connect(info, &QNetworkInformation::reachabilityChanged, this,
                [this](QNetworkInformation::Reachability reachability) {
                    // Unknown says nothing either way; treating it as a loss would make the
                    // next report look like a return of the network.
                    if (reachability == QNetworkInformation::Reachability::Unknown)
                        return;
                    Q_EMIT pathChanged(reachability == QNetworkInformation::Reachability::Online);
                });
        return true;
    }

private:
    bool m_started = false;
    bool m_available = false;
};

} // namespace

std::unique_ptr<WakeMonitor> WakeMonitor::createSystem()
{
    return std::make_unique<LogindWakeMonitor>();
}

std::unique_ptr<NetworkMonitor> NetworkMonitor::createSystem()
{
    return std::make_unique<ReachabilityMonitor>();
}

namespace ProcessCpu {

double seconds()
{
    timespec spec{};
    if (clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &spec) != 0)
        return 0;
    return double(spec.tv_sec) + double(spec.tv_nsec) / 1'000'000'000.0;
}

} // namespace ProcessCpu

#include "SystemEvents.moc"
