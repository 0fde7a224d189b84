#pragma once

#include "platform/Clock.h"

#include <QDateTime>

#include <map>
#include <utility>

// A clock the test moves by hand. Installs itself as the current clock for its lifetime.
// advance() fires due timers in time order and lets the coroutines they wake run, so a
// loop that sleeps 30 s runs one round per advance(30 s) with no real waiting.
class FakeClock final : public Clock {
public:
    // 2025-08-29 05:30:00 UTC, the newest observation of the sample data.
    static QDateTime scenarioNow();

    explicit FakeClock(QDateTime start = scenarioNow());
    ~FakeClock() override;
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    QDateTime now() const override;
    TimerId schedule(std::chrono::milliseconds delay, std::function<void()> fire) override;
    void cancel(TimerId id) override;

    void advance(std::chrono::milliseconds by);
    void advanceSeconds(double s) { advance(seconds(s)); }
    int pendingTimers() const { return int(m_timers.size()); }
    // Spins the real event loop (network replies need it) until at least `count` timers are
    // pending, so a test never advances time before the sleep it means to end has begun.
    bool waitForTimers(int count = 1, int timeoutMs = 5000) const;

    // Spins the real event loop until the earliest pending timer is due exactly `delay` from
    // now: a retry's sleep, say, which starts only after a reply has been read (while the
    // request is out, its transfer limit is the earliest timer).
    bool waitForTimerDueIn(std::chrono::milliseconds delay, int timeoutMs = 5000) const;
    // Runs queued coroutine resumptions without moving time.
    static void settle();

private:
    QDateTime m_start;
    std::chrono::milliseconds m_elapsed{0};
    TimerId m_nextId = 1;
    // Keyed by (due time, id) so equal due times fire in scheduling order.
    std::map<std::pair<qint64, TimerId>, std::function<void()>> m_timers;
};
