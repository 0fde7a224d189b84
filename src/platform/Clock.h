#pragma once

#include <QDateTime>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>

// The program's source of time. Wall-clock instants ("now") stamp data and drive the
// age checks; monotonic timers drive every sleep. Production uses SystemClock; tests
// install a manual clock so loops and timeouts run without real waiting.
class Clock {
public:
    using TimerId = quint64;

    Clock();
    virtual ~Clock();

    // Lets holders of a timer id tell whether the clock that issued it still exists.
    std::weak_ptr<const int> aliveToken() const { return m_alive; }

    virtual QDateTime now() const = 0;
    // Calls `fire` once, from the event loop, after `delay` on the monotonic clock.
    virtual TimerId schedule(std::chrono::milliseconds delay, std::function<void()> fire) = 0;
    // Forgets a timer that has not fired; unknown or fired ids are ignored.
    virtual void cancel(TimerId id) = 0;

    static Clock& current();
    // Installs `clock` (not owned) as the current clock; nullptr restores the system clock.
    static void setCurrent(Clock* clock);

private:
    std::shared_ptr<const int> m_alive = std::make_shared<const int>(0);
};

// A timer that is cancelled when this handle is dropped, unless it fired or its clock is gone.
class ScheduledTimer {
public:
    ScheduledTimer() = default;
    ScheduledTimer(const ScheduledTimer&) = delete;
    ScheduledTimer& operator=(const ScheduledTimer&) = delete;
    ~ScheduledTimer() { cancel(); }

    void start(std::chrono::milliseconds delay, std::function<void()> fire)
    {
        cancel();
        Clock& clock = Clock::current();
        m_clock = &clock;
        m_alive = clock.aliveToken();
        m_id = clock.schedule(delay, std::move(fire));
    }
    // Call from the timer's own callback: the id is spent.
    void markFired() { m_id = 0; }
    void cancel()
    {
        if (m_id && !m_alive.expired())
            m_clock->cancel(m_id);
        m_id = 0;
    }
    bool isActive() const { return m_id != 0; }

private:
    Clock* m_clock = nullptr;
    std::weak_ptr<const int> m_alive;
    Clock::TimerId m_id = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override;
    TimerId schedule(std::chrono::milliseconds delay, std::function<void()> fire) override;
    void cancel(TimerId id) override;
};

// Seconds as a 64-bit float, the unit every interval of the program is written in, as a
// timer duration. Negative and NaN give zero; huge values are capped at about 24 days so
// they still fit a timer.
inline std::chrono::milliseconds seconds(double s)
{
    if (!(s > 0))
        return std::chrono::milliseconds(0);
    constexpr double kMaxMs = 2.0e9;
    return std::chrono::milliseconds(static_cast<qint64>(std::min(s * 1000.0 + 0.5, kMaxMs)));
}

// Seconds from `from` to `to` (positive when `to` is later).
inline double secondsBetween(const QDateTime& from, const QDateTime& to)
{
    return static_cast<double>(from.msecsTo(to)) / 1000.0;
}
