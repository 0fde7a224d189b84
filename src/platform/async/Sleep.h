#pragma once

#include "platform/Clock.h"
#include "platform/async/Task.h"

#include <chrono>

namespace async {

// Waits on the current Clock's monotonic timers. Resolves to true when the full time
// passed and false when cancellation cut it short (callers ignore the difference and
// check isCancelled() next, as every loop does).
class SleepAwaiter {
public:
    explicit SleepAwaiter(std::chrono::milliseconds duration)
        : m_duration(duration)
    {}
    SleepAwaiter(const SleepAwaiter&) = delete;
    SleepAwaiter& operator=(const SleepAwaiter&) = delete;
    ~SleepAwaiter() = default;

    bool await_ready() const noexcept { return false; }

    template <typename P>
    bool await_suspend(std::coroutine_handle<P> handle)
    {
        m_suspension.begin(handle);
        if (m_suspension.isCancelled()) {
            m_interrupted = true;
            return false;
        }
        auto alive = m_suspension.aliveToken();
        m_timer.start(m_duration, [this, alive] {
            if (!alive.lock())
                return;
            m_timer.markFired();
            m_suspension.resumeLater();
        });
        m_suspension.onCancel([this] {
            m_interrupted = true;
            m_timer.cancel();
            m_suspension.resumeLater();
        });
        return true;
    }

    bool await_resume()
    {
        m_suspension.detach();
        return !m_interrupted;
    }

private:
    std::chrono::milliseconds m_duration;
    detail::Suspension m_suspension;
    ScheduledTimer m_timer; // after the suspension: cancelled first
    bool m_interrupted = false;
};

inline SleepAwaiter sleep(std::chrono::milliseconds duration)
{
    return SleepAwaiter(duration);
}

// Seconds as a 64-bit float, like every interval of the program.
inline SleepAwaiter sleepSeconds(double s)
{
    return SleepAwaiter(seconds(s));
}

} // namespace async
