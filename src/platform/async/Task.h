#pragma once

#include "platform/async/TaskContext.h"

#include <coroutine>
#include <exception>
#include <memory>
#include <optional>
#include <utility>

// Coroutines for the program's asynchronous work, all on the GUI thread.
//
// A Task<T> is lazy: it starts when a coroutine co_awaits it (and then shares that
// coroutine's cancellation), or when a TaskScope spawns it as a task of its own. Waiting
// never blocks the thread: a waiting coroutine is resumed later from the event loop.
// Cancellation is cooperative: it wakes the current wait early, and code checks
// `async::isCancelled()` after each wait before publishing anything.
namespace async {

template <typename T>
class Task;

namespace detail {

struct PromiseBase {
    std::coroutine_handle<> continuation;
    std::shared_ptr<TaskContext> context;

    std::suspend_always initial_suspend() noexcept { return {}; }

    struct FinalAwaiter {
        bool await_ready() noexcept { return false; }
        template <typename P>
        std::coroutine_handle<> await_suspend(std::coroutine_handle<P> self) noexcept
        {
            auto next = self.promise().continuation;
            return next ? next : std::noop_coroutine();
        }
        void await_resume() noexcept {}
    };
    FinalAwaiter final_suspend() noexcept { return {}; }

    // The program does not use exceptions; one escaping a coroutine is a bug.
    void unhandled_exception() noexcept { std::terminate(); }
};

template <typename T>
struct Promise : PromiseBase {
    std::optional<T> value;
    Task<T> get_return_object() noexcept;
    template <typename U>
    void return_value(U&& v)
    {
        value.emplace(std::forward<U>(v));
    }
};

template <>
struct Promise<void> : PromiseBase {
    Task<void> get_return_object() noexcept;
    void return_void() noexcept {}
};

} // namespace detail

template <typename T = void>
class [[nodiscard]] Task {
public:
    using promise_type = detail::Promise<T>;
    using Handle = std::coroutine_handle<promise_type>;

    Task() = default;
    explicit Task(Handle handle)
        : m_handle(handle)
    {}
    Task(Task&& other) noexcept
        : m_handle(std::exchange(other.m_handle, {}))
    {}
    Task& operator=(Task&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_handle = std::exchange(other.m_handle, {});
        }
        return *this;
    }
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;
    ~Task() { reset(); }

    bool isValid() const { return bool(m_handle); }

    // Awaiting runs the task as part of the awaiting coroutine.
    bool await_ready() const noexcept { return false; }
    template <typename P>
    std::coroutine_handle<> await_suspend(std::coroutine_handle<P> caller) noexcept
    {
        m_handle.promise().context = caller.promise().context;
        m_handle.promise().continuation = caller;
        return m_handle;
    }
    T await_resume()
    {
        if constexpr (!std::is_void_v<T>)
            return std::move(*m_handle.promise().value);
    }

    // For TaskScope and combinators only.
    Handle release() { return std::exchange(m_handle, {}); }
    Handle handle() const { return m_handle; }

private:
    void reset()
    {
        if (m_handle)
            std::exchange(m_handle, {}).destroy();
    }

    Handle m_handle;
};

namespace detail {

template <typename T>
Task<T> Promise<T>::get_return_object() noexcept
{
    return Task<T>(std::coroutine_handle<Promise<T>>::from_promise(*this));
}

inline Task<void> Promise<void>::get_return_object() noexcept
{
    return Task<void>(std::coroutine_handle<Promise<void>>::from_promise(*this));
}

// Helper for awaiters that suspend on something outside the coroutine world (a timer, a
// network reply, a thread-pool job). It resumes the coroutine through the event loop and
// only while the awaiter is alive: a destroyed coroutine frame is never resumed.
class Suspension {
public:
    Suspension() = default;
    Suspension(const Suspension&) = delete;
    Suspension& operator=(const Suspension&) = delete;
    ~Suspension() { detach(); }

    template <typename P>
    void begin(std::coroutine_handle<P> handle)
    {
        m_handle = handle;
        m_context = handle.promise().context;
        m_alive = std::make_shared<bool>(true);
    }

    const std::shared_ptr<TaskContext>& context() const { return m_context; }
    bool isCancelled() const { return m_context && m_context->isCancelled(); }

    // Runs `onCancel` (synchronously, inside the cancel call) if the task is cancelled
    // while suspended. It typically stops the wait and calls resumeLater().
    void onCancel(std::function<void()> onCancel)
    {
        if (!m_context)
            return;
        std::weak_ptr<bool> alive = m_alive;
        m_hook = m_context->addCancelHook([alive, fn = std::move(onCancel)] {
            if (alive.lock())
                fn();
        });
    }

    // A guard that tells callbacks whether this suspension still exists.
    std::weak_ptr<bool> aliveToken() const { return m_alive; }

    void resumeLater()
    {
        if (m_resumePosted || !m_handle)
            return;
        m_resumePosted = true;
        std::weak_ptr<bool> alive = m_alive;
        auto handle = m_handle;
        post([alive, handle, context = m_context] {
            if (!alive.lock())
                return;
            CurrentContextScope scope(context.get());
            handle.resume();
        });
    }

    // Called from await_resume: the wait is over, drop the cancel hook.
    void detach()
    {
        if (m_hook && m_context)
            m_context->removeCancelHook(m_hook);
        m_hook = 0;
    }

private:
    std::coroutine_handle<> m_handle;
    std::shared_ptr<TaskContext> m_context;
    std::shared_ptr<bool> m_alive;
    quint64 m_hook = 0;
    bool m_resumePosted = false;
};

} // namespace detail

// Whether the task running this coroutine has been cancelled: `if (async::isCancelled())`.
// A plain call on purpose: GCC 12 miscompiles a coroutine that has `co_await` inside an
// `if` condition followed by `co_return` (later awaited tasks silently never run).
inline bool isCancelled()
{
    const detail::TaskContext* context = detail::currentContext();
    return context && context->isCancelled();
}

} // namespace async
