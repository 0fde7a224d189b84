#include "platform/HttpSession.h"

#include "platform/DocumentLimit.h"
#include "platform/ErrorText.h"

#include <QAbstractNetworkCache>
#include <QNetworkAccessManager>

namespace {

// Marks aborts the program asked for, so that any other OperationCanceledError can be told
// apart: Qt reports the time-between-bytes limit that way.
const char* const kAbortedProperty = "shiguren.aborted";
// Marks the aborts of reset(), which the services do not count as failures.
const char* const kResetProperty = "shiguren.sessionReset";

void abortReply(QNetworkReply* reply)
{
    reply->setProperty(kAbortedProperty, true);
    reply->abort();
}

} // namespace

namespace detail {

struct ReplyState {
    QPointer<QNetworkReply> reply;
    HttpResponse response;
    bool done = false;
    ScheduledTimer limitTimer;
    std::function<void()> onDone;

    void finish()
    {
        if (done)
            return;
        done = true;
        limitTimer.cancel();
        if (auto callback = std::exchange(onDone, {}))
            callback();
    }
};

} // namespace detail

QString HttpResponse::errorDescription() const
{
    if (invalidUrl)
        return ErrorText::badUrl();
    if (tooLarge)
        return ErrorText::documentTooLarge();
    if (!isTransportFailure() && (status < 200 || status > 299))
        return ErrorText::httpStatus(status);
    return ErrorText::network(error, wholeTransferTimedOut);
}

HttpReply::HttpReply(std::shared_ptr<detail::ReplyState> state)
    : m_state(std::move(state))
{}
HttpReply::HttpReply(HttpReply&&) noexcept = default;
HttpReply& HttpReply::operator=(HttpReply&& other) noexcept
{
    if (this != &other) {
        abandon();
        m_state = std::move(other.m_state);
        m_suspension = std::move(other.m_suspension);
    }
    return *this;
}

HttpReply::~HttpReply()
{
    abandon();
}

void HttpReply::abandon()
{
    if (!m_state)
        return;
    m_state->onDone = {};
    if (!m_state->done && m_state->reply)
        abortReply(m_state->reply);
    m_state.reset();
}

bool HttpReply::await_ready() const noexcept
{
    return !m_state || m_state->done;
}

bool HttpReply::suspend()
{
    // An abort may finish the reply synchronously; only suspend if it is still running.
    if (m_suspension->isCancelled() && m_state->reply)
        abortReply(m_state->reply);
    if (m_state->done)
        return false;
    m_state->onDone = [suspension = m_suspension.get()] { suspension->resumeLater(); };
    std::weak_ptr<detail::ReplyState> weak = m_state;
    m_suspension->onCancel([weak] {
        if (auto state = weak.lock(); state && state->reply)
            abortReply(state->reply);
    });
    return true;
}

HttpResponse HttpReply::await_resume()
{
    if (m_suspension)
        m_suspension->detach();
    if (!m_state) {
        HttpResponse aborted;
        aborted.error = QNetworkReply::OperationCanceledError;
        return aborted;
    }
    m_state->onDone = {};
    return m_state->response;
}

HttpSession::HttpSession(HttpSessionConfig config, QObject* parent)
    : QObject(parent)
    , m_config(std::move(config))
{
    m_manager = makeManager();
}

HttpSession::~HttpSession() = default;

QNetworkAccessManager* HttpSession::makeManager()
{
    auto* manager = new QNetworkAccessManager(this);
    manager->setAutoDeleteReplies(false);
    if (m_config.makeCache)
        manager->setCache(m_config.makeCache());
    return manager;
}

HttpReply HttpSession::get(const QUrl& url)
{
    return get(QNetworkRequest(url));
}

HttpReply HttpSession::get(QNetworkRequest request)
{
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, m_config.cachePolicy);
    request.setAttribute(QNetworkRequest::HttpPipeliningAllowedAttribute, m_config.pipelining);
    request.setTransferTimeout(int(m_config.betweenBytesTimeout.count()));
    if (!m_config.userAgent.isEmpty())
        request.setHeader(QNetworkRequest::UserAgentHeader, m_config.userAgent);

    auto state = std::make_shared<detail::ReplyState>();
    state->response.url = request.url();
    if (!request.url().isValid()) {
        state->response.error = QNetworkReply::ProtocolUnknownError;
        state->response.invalidUrl = true;
        state->done = true;
        return HttpReply(state);
    }

    QNetworkReply* reply = m_manager->get(request);
    state->reply = reply;
    m_replies.removeIf([](const QPointer<QNetworkReply>& r) { return r.isNull(); });
    m_replies.append(reply);

    std::weak_ptr<detail::ReplyState> weak = state;
    connect(reply, &QNetworkReply::finished, reply, [weak, reply] {
        reply->deleteLater();
        auto s = weak.lock();
        if (!s || s->done)
            return;
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        s->response.status = status.isValid() ? status.toInt() : 0;
        s->response.error = reply->error();
        if (s->response.error == QNetworkReply::OperationCanceledError &&
            !reply->property(kAbortedProperty).toBool())
            s->response.error = QNetworkReply::TimeoutError;
        s->response.sessionReset = s->response.error == QNetworkReply::OperationCanceledError &&
                                   reply->property(kResetProperty).toBool();
        s->response.fromCache =
            reply->attribute(QNetworkRequest::SourceIsFromCacheAttribute).toBool();
        if (!s->response.isTransportFailure())
            s->response.body = reply->readAll();
        if (s->response.wholeTransferTimedOut || s->response.tooLarge) {
            if (s->response.wholeTransferTimedOut)
                s->response.error = QNetworkReply::TimeoutError;
            s->response.status = 0;
            s->response.body.clear();
        }
        s->finish();
    });
    // No document the program reads comes near the bound: a body that passes it (or announces
    // that it will) is abandoned rather than held in memory to be refused by the decoder.
    connect(reply, &QNetworkReply::downloadProgress, reply,
            [weak, reply](qint64 received, qint64 total) {
                if (received <= DocumentLimit::kMaxBytes && total <= DocumentLimit::kMaxBytes)
                    return;
                auto s = weak.lock();
                if (!s || s->done || s->response.tooLarge)
                    return;
                s->response.tooLarge = true;
                abortReply(reply);
            });
    // A manager deleted with replies still running destroys them without `finished`.
    connect(reply, &QObject::destroyed, reply, [weak] {
        auto s = weak.lock();
        if (!s || s->done)
            return;
        s->response.error = QNetworkReply::OperationCanceledError;
        s->finish();
    });

    if (m_config.wholeTransferTimeout.count() > 0) {
        state->limitTimer.start(m_config.wholeTransferTimeout, [weak] {
            auto s = weak.lock();
            if (!s || s->done)
                return;
            s->limitTimer.markFired();
            s->response.wholeTransferTimedOut = true;
            if (s->reply)
                abortReply(s->reply);
        });
    }
    return HttpReply(state);
}

void HttpSession::reset()
{
    QNetworkAccessManager* old = std::exchange(m_manager, makeManager());
    const auto replies = std::exchange(m_replies, {});
    for (const auto& reply : replies) {
        if (reply && reply->manager() == old) {
            reply->setProperty(kResetProperty, true);
            abortReply(reply);
        }
    }
    old->deleteLater();
}
