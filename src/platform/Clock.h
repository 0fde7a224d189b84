#pragma once

#include <QDateTime>

#include <algorithm>
#include <chrono>
#include <functional>

// The program's source of time. Wall-clock instants ("now") stamp data and drive the
// age checks; monotonic timers drive every sleep. Production uses SystemClock; tests
// install a manual clock so loops and timeouts run without real waiting.
class Clock {
public:
    using TimerId = quint64;

    virtual ~Clock();

    virtual QDateTime now() const = 0;
    // Calls `fire` once, from the event loop, after `delay` on the monotonic clock.
    virtual TimerId schedule(std::chrono::milliseconds delay, std::function<void()> fire) = 0;
    // Forgets a timer that has not fired; unknown or fired ids are ignored.
    virtual void cancel(TimerId id) = 0;

    static Clock& current();
    // Installs `clock` (not owned) as the current clock; nullptr restores the system clock.
    static void setCurrent(Clock* clock);
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
