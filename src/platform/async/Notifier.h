#pragma once

#include "platform/async/Task.h"

#include <QList>

#include <utility>

namespace async {

// Lets tasks wait for something an object does rather than for a value: notifyAll() wakes
// every task waiting at that moment, through the event loop. Cancelling a waiting task ends
// its wait at once. The notifier must outlive its waiters, as the object that owns it does.
class Notifier {
public:
    class Awaiter {
    public:
        explicit Awaiter(Notifier& notifier)
            : m_notifier(&notifier)
        {}
        Awaiter(const Awaiter&) = delete;
        Awaiter& operator=(const Awaiter&) = delete;
        ~Awaiter() { m_notifier->m_waiting.removeOne(&m_suspension); }

        bool await_ready() const noexcept { return false; }

        template <typename P>
        bool await_suspend(std::coroutine_handle<P> handle)
        {
            m_suspension.begin(handle);
            if (m_suspension.isCancelled())
                return false;
            m_notifier->m_waiting.append(&m_suspension);
            m_suspension.onCancel([this] { m_suspension.resumeLater(); });
            return true;
        }

        void await_resume()
        {
            m_suspension.detach();
            m_notifier->m_waiting.removeOne(&m_suspension);
        }

    private:
        Notifier* m_notifier;
        detail::Suspension m_suspension;
    };

    Notifier() = default;
    Notifier(const Notifier&) = delete;
    Notifier& operator=(const Notifier&) = delete;
    ~Notifier() = default;

    Awaiter wait() { return Awaiter(*this); }

    void notifyAll()
    {
        const QList<detail::Suspension*> waiting = std::exchange(m_waiting, {});
        for (detail::Suspension* suspension : waiting)
            suspension->resumeLater();
    }

private:
    QList<detail::Suspension*> m_waiting;
};

} // namespace async
