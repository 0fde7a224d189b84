#include "platform/Clock.h"

#include <QCoreApplication>
#include <QHash>
#include <QTimer>

Clock::Clock() = default;
Clock::~Clock() = default;

namespace {

SystemClock& systemClock()
{
    static SystemClock clock;
    return clock;
}

Clock* g_current = nullptr;

// Timers live on the application object so they die with the event loop that runs them.
QHash<Clock::TimerId, QTimer*>& liveTimers()
{
    static QHash<Clock::TimerId, QTimer*> timers;
    return timers;
}

Clock::TimerId g_nextTimerId = 1;

} // namespace

Clock& Clock::current()
{
    return g_current ? *g_current : systemClock();
}

void Clock::setCurrent(Clock* clock)
{
    g_current = clock;
}

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTimeUtc();
}

Clock::TimerId SystemClock::schedule(std::chrono::milliseconds delay, std::function<void()> fire)
{
    const TimerId id = g_nextTimerId++;
    auto* timer = new QTimer(QCoreApplication::instance());
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, timer, [id, timer, fire = std::move(fire)] {
        liveTimers().remove(id);
        timer->deleteLater();
        fire();
    });
    liveTimers().insert(id, timer);
    timer->start(std::max(delay, std::chrono::milliseconds(0)));
    return id;
}

void SystemClock::cancel(TimerId id)
{
    if (QTimer* timer = liveTimers().take(id)) {
        timer->stop();
        timer->deleteLater();
    }
}
