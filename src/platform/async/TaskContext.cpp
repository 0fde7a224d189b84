#include "platform/async/TaskContext.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace async::detail {

void TaskContext::cancel()
{
    if (m_cancelled)
        return;
    m_cancelled = true;
    auto hooks = std::exchange(m_hooks, {});
    for (auto& [id, hook] : hooks)
        hook();
}

quint64 TaskContext::addCancelHook(std::function<void()> hook)
{
    const quint64 id = m_nextHookId++;
    m_hooks.emplace_back(id, std::move(hook));
    return id;
}

void TaskContext::removeCancelHook(quint64 id)
{
    std::erase_if(m_hooks, [id](const auto& entry) { return entry.first == id; });
}

namespace {
thread_local TaskContext* t_current = nullptr;
}

TaskContext* currentContext()
{
    return t_current;
}

CurrentContextScope::CurrentContextScope(TaskContext* context)
    : m_previous(t_current)
{
    t_current = context;
}

CurrentContextScope::~CurrentContextScope()
{
    t_current = m_previous;
}

void post(std::function<void()> fn)
{
    QCoreApplication* app = QCoreApplication::instance();
    Q_ASSERT(app);
    QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
}

} // namespace async::detail
