#pragma once

#include <QMutex>

#include <functional>
#include <memory>

class QObject;

// Hands work from any thread to an object on the GUI thread that may be gone by then.
// Worker jobs and tile-overlay callbacks hold the relay, never the object: post() queues
// the call on the object's thread while the object is attached, and drops it afterwards.
// The object detaches in its destructor; a post racing with that either lands before the
// object dies (and Qt discards the queued call with it) or sees the relay detached.
class GuiThreadRelay {
public:
    static std::shared_ptr<GuiThreadRelay> create(QObject* receiver);

    explicit GuiThreadRelay(QObject* receiver);
    GuiThreadRelay(const GuiThreadRelay&) = delete;
    GuiThreadRelay& operator=(const GuiThreadRelay&) = delete;

    void post(std::function<void()> call);
    void detach();

private:
    QMutex m_mutex;
    QObject* m_receiver;
};
