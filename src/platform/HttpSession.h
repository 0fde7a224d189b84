#pragma once

#include "platform/AppInfo.h"
#include "platform/Clock.h"
#include "platform/Expected.h"
#include "platform/async/Task.h"

#include <QByteArray>
#include <QList>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>

class QAbstractNetworkCache;
class QNetworkAccessManager;

// How a service's session behaves. Defaults: always ask the network, 20 s between bytes.
struct HttpSessionConfig {
    QNetworkRequest::CacheLoadControl cachePolicy = QNetworkRequest::AlwaysNetwork;
    std::chrono::milliseconds betweenBytesTimeout{20000};
    std::chrono::milliseconds wholeTransferTimeout{0}; // 0: no limit
    bool pipelining = false;
    // Sent with every request, so the services can tell who is asking.
    QString userAgent = AppInfo::applicationName() + u'/' + AppInfo::version();
    // Makes the response cache of each new manager (the manager takes ownership).
    std::function<QAbstractNetworkCache*()> makeCache;
};

struct HttpResponse {
    QUrl url;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    bool wholeTransferTimedOut = false;
    bool invalidUrl = false;
    int status = 0; // HTTP status code; 0 when no HTTP response arrived
    QByteArray body;
    bool fromCache = false;
    bool sessionReset = false; // aborted by HttpSession::reset()
    bool tooLarge = false;     // abandoned once it passed DocumentLimit::kMaxBytes

    // No complete HTTP response came back: refused, dropped mid-body, timed out, aborted.
    // (Errors 1–199 are Qt's network-layer and proxy errors; above are HTTP-level ones.)
    bool isTransportFailure() const { return status == 0 || (error > 0 && error < 200); }
    // A complete answer with a 2xx status.
    bool isSuccess() const { return !isTransportFailure() && status >= 200 && status <= 299; }
    QString errorDescription() const;
    Failure failure() const { return Failure{errorDescription(), sessionReset}; }
};

namespace detail {
struct ReplyState;
}

// One request in flight, started when the session made it. co_await it for the response.
// Dropping it before the answer arrives aborts the transfer; cancelling the awaiting task
// aborts it too, and the response then carries OperationCanceledError.
class [[nodiscard]] HttpReply {
public:
    explicit HttpReply(std::shared_ptr<detail::ReplyState> state);
    HttpReply(HttpReply&&) noexcept;
    HttpReply& operator=(HttpReply&&) noexcept;
    HttpReply(const HttpReply&) = delete;
    HttpReply& operator=(const HttpReply&) = delete;
    ~HttpReply();

    bool await_ready() const noexcept;
    template <typename P>
    bool await_suspend(std::coroutine_handle<P> handle)
    {
        m_suspension = std::make_unique<async::detail::Suspension>();
        m_suspension->begin(handle);
        return suspend();
    }
    HttpResponse await_resume();

private:
    bool suspend();
    void abandon();

    std::shared_ptr<detail::ReplyState> m_state;
    std::unique_ptr<async::detail::Suspension> m_suspension;
};

// One service's HTTP session: a QNetworkAccessManager configured once, replaced as a
// whole on reset(). Lives on the GUI thread.
class HttpSession : public QObject {
    Q_OBJECT
public:
    explicit HttpSession(HttpSessionConfig config, QObject* parent = nullptr);
    ~HttpSession() override;

    HttpReply get(const QUrl& url);
    HttpReply get(QNetworkRequest request);

    // A new manager takes over; every transfer of the old one is aborted (its awaiters see
    // OperationCanceledError marked as sessionReset, which is a failure, not a cancellation
    // of their task).
    void reset();

    QNetworkAccessManager* manager() const { return m_manager; }
    const HttpSessionConfig& config() const { return m_config; }

private:
    QNetworkAccessManager* makeManager();

    HttpSessionConfig m_config;
    QNetworkAccessManager* m_manager = nullptr;
    QList<QPointer<QNetworkReply>> m_replies;
};
