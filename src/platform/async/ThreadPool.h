#pragma once

#include "platform/async/Task.h"

#include <QThreadPool>

#include <memory>
#include <optional>
#include <type_traits>

namespace async {

// Runs `work` on a worker thread and resumes the awaiting coroutine on the GUI thread with
// its result. `work` must own copies of everything it touches. If the task is cancelled
// meanwhile the coroutine resumes at once with nothing; the work still finishes and its
// result is dropped.
template <typename Work>
class PoolAwaiter {
public:
    using Result = std::invoke_result_t<Work>;

    explicit PoolAwaiter(Work work)
        : m_work(std::move(work))
    {}
    PoolAwaiter(const PoolAwaiter&) = delete;
    PoolAwaiter& operator=(const PoolAwaiter&) = delete;
    ~PoolAwaiter()
    {
        if (m_state)
            m_state->onDone = {};
    }

    bool await_ready() const noexcept { return false; }

    template <typename P>
    bool await_suspend(std::coroutine_handle<P> handle)
    {
        m_suspension.begin(handle);
        if (m_suspension.isCancelled())
            return false;
        m_state = std::make_shared<State>();
        m_state->onDone = [this] { m_suspension.resumeLater(); };
        m_suspension.onCancel([this] { m_suspension.resumeLater(); });
        QThreadPool::globalInstance()->start([state = m_state, work = std::move(m_work)]() mutable {
            std::optional<Result> result(work());
            detail::post([state, result = std::move(result)]() mutable {
                state->result = std::move(result);
                if (auto done = std::exchange(state->onDone, {}))
                    done();
            });
        });
        return true;
    }

    std::optional<Result> await_resume()
    {
        m_suspension.detach();
        if (!m_state || m_suspension.isCancelled())
            return std::nullopt;
        m_state->onDone = {};
        return std::move(m_state->result);
    }

private:
    struct State {
        std::optional<Result> result;
        std::function<void()> onDone; // touched on the GUI thread only
    };

    Work m_work;
    std::shared_ptr<State> m_state;
    detail::Suspension m_suspension;
};

template <typename Work>
PoolAwaiter<Work> runInPool(Work work)
{
    return PoolAwaiter<Work>(std::move(work));
}

} // namespace async
