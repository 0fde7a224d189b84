#include "FakeClock.h"

#include <QCoreApplication>
#include <QTest>
#include <QTimeZone>

QDateTime FakeClock::scenarioNow()
{
    return QDateTime(QDate(2025, 8, 29), QTime(5, 30), QTimeZone::utc());
}

FakeClock::FakeClock(QDateTime start)
    : m_start(std::move(start))
{
    Clock::setCurrent(this);
}

FakeClock::~FakeClock()
{
    if (&Clock::current() == this)
        Clock::setCurrent(nullptr);
}

QDateTime FakeClock::now() const
{
    return m_start.addMSecs(m_elapsed.count());
}

Clock::TimerId FakeClock::schedule(std::chrono::milliseconds delay, std::function<void()> fire)
{
    const TimerId id = m_nextId++;
    const qint64 due = m_elapsed.count() + std::max<qint64>(delay.count(), 0);
    m_timers.emplace(std::make_pair(due, id), std::move(fire));
    return id;
}

void FakeClock::cancel(TimerId id)
{
    std::erase_if(m_timers, [id](const auto& entry) { return entry.first.second == id; });
}

void FakeClock::settle()
{
    for (int i = 0; i < 20; ++i)
        QCoreApplication::sendPostedEvents();
}

void FakeClock::advance(std::chrono::milliseconds by)
{
    const qint64 target = m_elapsed.count() + by.count();
    settle();
    while (!m_timers.empty() && m_timers.begin()->first.first <= target) {
        auto node = m_timers.extract(m_timers.begin());
        m_elapsed = std::chrono::milliseconds(node.key().first);
        node.mapped()();
        settle();
    }
    m_elapsed = std::chrono::milliseconds(target);
    settle();
}

bool FakeClock::waitForTimers(int count, int timeoutMs) const
{
    return QTest::qWaitFor([&] { return pendingTimers() >= count; }, timeoutMs);
}

bool FakeClock::waitForTimerDueIn(std::chrono::milliseconds delay, int timeoutMs) const
{
    return QTest::qWaitFor(
        [&] {
            return !m_timers.empty() &&
                   m_timers.begin()->first.first == m_elapsed.count() + delay.count();
        },
        timeoutMs);
}
