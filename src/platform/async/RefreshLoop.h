#pragma once

#include "platform/async/Task.h"
#include "platform/async/TaskScope.h"

#include <functional>

namespace async {

// A service's periodic reload: `round` makes a fresh pass each time, and the next pass
// starts `intervalSeconds` after the previous one ended, until the loop is cancelled (a
// cancelled pass starts nothing more). One loop at a time: start() replaces the one before.
// A loop paced by a schedule asks `interval` for the pause before each pass instead.
class RefreshLoop {
public:
    enum class FirstRound { Immediately, AfterInterval };
    using Interval = std::function<double()>;

    void start(TaskScope& scope, double intervalSeconds, FirstRound first,
               std::function<Task<void>()> round);
    void start(TaskScope& scope, Interval interval, FirstRound first,
               std::function<Task<void>()> round);
    void stop();
    bool isRunning() const { return m_task.isActive(); }

    // The loop itself, for a caller that runs it inside a task of its own.
    static Task<void> run(double intervalSeconds, FirstRound first,
                          std::function<Task<void>()> round);
    static Task<void> run(Interval interval, FirstRound first, std::function<Task<void>()> round);

private:
    TaskHandle m_task;
};

} // namespace async
