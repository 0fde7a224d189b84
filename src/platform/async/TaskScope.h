#pragma once

#include "platform/async/Task.h"

#include <memory>
#include <vector>

namespace async {

namespace detail {
struct TaskState;
}

// Refers to a running task without owning it; cancel() asks it to stop.
class TaskHandle {
public:
    TaskHandle() = default;
    explicit TaskHandle(std::weak_ptr<detail::TaskState> state)
        : m_state(std::move(state))
    {}

    // Cancellation is cooperative: the task's current wait ends early and the task sees
    // isCancelled() from then on. A finished or empty handle ignores it.
    void cancel() const;
    bool isActive() const; // spawned and not yet finished
    bool isCancelled() const;

private:
    std::weak_ptr<detail::TaskState> m_state;
};

// Owns the top-level tasks an object starts. Destroying the scope destroys every task that
// has not finished, so no task ever resumes into an object that is gone. Owners declare
// their scope as their last member: it is then destroyed first, while everything the
// tasks refer to still exists. A task must never destroy its own scope while it runs
// (delete owners with deleteLater()).
class TaskScope {
public:
    TaskScope() = default;
    TaskScope(const TaskScope&) = delete;
    TaskScope& operator=(const TaskScope&) = delete;
    ~TaskScope();

    // Starts `task` on the next turn of the event loop (never inside this call).
    TaskHandle spawn(Task<void> task);
    void cancelAll();
    int activeCount() const;

private:
    void prune();

    std::vector<std::shared_ptr<detail::TaskState>> m_states;
};

} // namespace async
