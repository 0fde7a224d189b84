#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace async::detail {

// Cancellation state shared by the coroutines of one task tree. Awaiting leaves (a sleep,
// a download) register a hook so that cancelling wakes them at once instead of at the end
// of their wait; concurrent children share their parent's context.
class TaskContext : public std::enable_shared_from_this<TaskContext> {
public:
    bool isCancelled() const { return m_cancelled; }
    void cancel();

    // The hook runs at most once, synchronously inside cancel(); it must not resume a
    // coroutine directly (post the resumption instead).
    quint64 addCancelHook(std::function<void()> hook);
    void removeCancelHook(quint64 id);

private:
    bool m_cancelled = false;
    quint64 m_nextHookId = 1;
    std::vector<std::pair<quint64, std::function<void()>>> m_hooks;
};

// The context of the task tree whose coroutine is running on this thread right now, or
// null outside any task. Every place that resumes a coroutine from outside (the event
// loop) installs it for the duration of the resumption.
TaskContext* currentContext();

class CurrentContextScope {
public:
    explicit CurrentContextScope(TaskContext* context);
    CurrentContextScope(const CurrentContextScope&) = delete;
    CurrentContextScope& operator=(const CurrentContextScope&) = delete;
    ~CurrentContextScope();

private:
    TaskContext* m_previous;
};

// Runs `fn` on the next turn of the GUI thread's event loop. Every coroutine resumption
// goes through here, so no coroutine ever runs inside the stack of whoever woke it.
void post(std::function<void()> fn);

} // namespace async::detail
