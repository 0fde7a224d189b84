#include "platform/async/RefreshLoop.h"

#include "platform/async/Sleep.h"

namespace async {

void RefreshLoop::start(TaskScope& scope, double intervalSeconds, FirstRound first,
                        std::function<Task<void>()> round)
{
    stop();
    m_task = scope.spawn(run(intervalSeconds, first, std::move(round)));
}

void RefreshLoop::start(TaskScope& scope, Interval interval, FirstRound first,
                        std::function<Task<void>()> round)
{
    stop();
    m_task = scope.spawn(run(std::move(interval), first, std::move(round)));
}

void RefreshLoop::stop()
{
    m_task.cancel();
    m_task = {};
}

Task<void> RefreshLoop::run(double intervalSeconds, FirstRound first,
                            std::function<Task<void>()> round)
{
    return run([intervalSeconds] { return intervalSeconds; }, first, std::move(round));
}

Task<void> RefreshLoop::run(Interval interval, FirstRound first, std::function<Task<void>()> round)
{
    // Shaped for GCC 12.2, which miscompiles the plain form of this loop: a body that is a
    // bare for (;;) gets a frame laid out wrongly (it traps on the first resume), and a
    // discarded `co_await round();` of a temporary task beside an `if (isCancelled())` is
    // silently skipped. Hence the flag tested by the while, and every awaiter in a named
    // local.
    bool waitFirst = first == FirstRound::AfterInterval;
    bool cancelled = false;
    while (!cancelled) {
        if (waitFirst) {
            SleepAwaiter pause = sleepSeconds(interval());
            co_await pause; // an interrupted sleep is ignored: the check below sees why
            if (isCancelled())
                co_return;
        }
        waitFirst = true;
        Task<void> pass = round();
        co_await pass;
        cancelled = isCancelled();
    }
}

} // namespace async
