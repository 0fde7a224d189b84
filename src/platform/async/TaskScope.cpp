#include "platform/async/TaskScope.h"

namespace async {

namespace detail {

struct RootPromise;

// The outermost coroutine of a spawned task. Its frame frees itself when the task ends
// (final_suspend does not suspend), and tells its state so the scope does not free it again.
struct Root {
    using promise_type = RootPromise;
    std::coroutine_handle<RootPromise> handle;
};

struct TaskState {
    std::shared_ptr<TaskContext> context = std::make_shared<TaskContext>();
    std::coroutine_handle<> root;
};

struct RootPromise : PromiseBase {
    TaskState* state = nullptr;

    Root get_return_object() noexcept
    {
        return Root{std::coroutine_handle<RootPromise>::from_promise(*this)};
    }
    std::suspend_never final_suspend() noexcept { return {}; }
    void return_void() noexcept {}
    ~RootPromise()
    {
        if (state)
            state->root = {};
    }
};

namespace {

Root runRoot(Task<void> task)
{
    co_await task;
}

} // namespace

} // namespace detail

void TaskHandle::cancel() const
{
    if (auto state = m_state.lock())
        state->context->cancel();
}

bool TaskHandle::isActive() const
{
    auto state = m_state.lock();
    return state && state->root;
}

bool TaskHandle::isCancelled() const
{
    auto state = m_state.lock();
    return state && state->context->isCancelled();
}

TaskScope::~TaskScope()
{
    // Destroying a frame runs the destructors of its locals, which may cancel timers or
    // abort downloads; nothing resumes afterwards because every wake-up is guarded.
    auto states = std::exchange(m_states, {});
    for (auto& state : states) {
        if (state->root)
            state->root.destroy();
    }
}

TaskHandle TaskScope::spawn(Task<void> task)
{
    prune();
    auto state = std::make_shared<detail::TaskState>();
    detail::Root root = detail::runRoot(std::move(task));
    root.handle.promise().state = state.get();
    root.handle.promise().context = state->context;
    state->root = root.handle;
    m_states.push_back(state);

    std::weak_ptr<detail::TaskState> weak = state;
    detail::post([weak] {
        auto s = weak.lock();
        if (!s || !s->root)
            return;
        detail::CurrentContextScope scope(s->context.get());
        s->root.resume();
    });
    return TaskHandle(weak);
}

void TaskScope::cancelAll()
{
    for (auto& state : m_states)
        state->context->cancel();
}

int TaskScope::activeCount() const
{
    int count = 0;
    for (const auto& state : m_states)
        count += state->root ? 1 : 0;
    return count;
}

void TaskScope::prune()
{
    std::erase_if(m_states, [](const auto& state) { return !state->root; });
}

} // namespace async
