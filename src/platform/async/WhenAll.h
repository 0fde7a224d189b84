#pragma once

#include "platform/async/Task.h"

#include <algorithm>
#include <optional>
#include <type_traits>
#include <vector>

namespace async {

// Runs several tasks concurrently as children of the awaiting coroutine (they share its
// cancellation), at most `limit` at a time in the given order, and resumes once all have
// finished. Results keep the order of the input.
template <typename T>
class WhenAll {
    using Stored = std::conditional_t<std::is_void_v<T>, bool, T>;

public:
    WhenAll(std::vector<Task<T>> tasks, size_t limit)
        : m_tasks(std::move(tasks))
        , m_limit(std::max<size_t>(limit, 1))
        , m_results(m_tasks.size())
        , m_runners(m_tasks.size())
    {}
    WhenAll(const WhenAll&) = delete;
    WhenAll& operator=(const WhenAll&) = delete;
    // Runner frames (and the children inside them) go with the awaiting frame.
    ~WhenAll() = default;

    bool await_ready() const noexcept { return m_tasks.empty(); }

    template <typename P>
    bool await_suspend(std::coroutine_handle<P> handle)
    {
        m_suspension.begin(handle);
        const size_t first = std::min(m_limit, m_tasks.size());
        for (size_t i = 0; i < first; ++i)
            startNext();
        return true;
    }

    auto await_resume()
    {
        m_suspension.detach();
        if constexpr (std::is_void_v<T>) {
            return;
        } else {
            std::vector<T> out;
            out.reserve(m_results.size());
            for (auto& result : m_results)
                out.push_back(std::move(*result));
            return out;
        }
    }

private:
    static Task<void> runChild(WhenAll* self, size_t index)
    {
        if constexpr (std::is_void_v<T>) {
            co_await std::move(self->m_tasks[index]);
            self->m_results[index] = true;
        } else {
            self->m_results[index] = co_await std::move(self->m_tasks[index]);
        }
        self->childFinished();
    }

    void startNext()
    {
        const size_t index = m_next++;
        m_runners[index] = runChild(this, index);
        auto runner = m_runners[index].handle();
        runner.promise().context = m_suspension.context();
        auto alive = m_suspension.aliveToken();
        detail::post([alive, runner, context = m_suspension.context()] {
            if (!alive.lock())
                return;
            detail::CurrentContextScope scope(context.get());
            runner.resume();
        });
    }

    void childFinished()
    {
        ++m_finished;
        if (m_next < m_tasks.size())
            startNext();
        if (m_finished == m_tasks.size())
            m_suspension.resumeLater();
    }

    std::vector<Task<T>> m_tasks;
    size_t m_limit;
    std::vector<std::optional<Stored>> m_results;
    std::vector<Task<void>> m_runners;
    size_t m_next = 0;
    size_t m_finished = 0;
    detail::Suspension m_suspension;
};

template <typename T>
WhenAll<T> whenAll(std::vector<Task<T>> tasks, size_t limit = size_t(-1))
{
    return WhenAll<T>(std::move(tasks), limit);
}

} // namespace async
