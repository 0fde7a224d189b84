#include "FakeClock.h"
#include "FakeHttpServer.h"
#include "TaskTestUtils.h"
#include "TestRegistry.h"
#include "platform/DocumentLimit.h"
#include "platform/ErrorText.h"
#include "platform/HttpSession.h"

#include <QTest>

using namespace std::chrono_literals;

namespace {

async::Task<HttpResponse> fetch(HttpSession* session, QUrl url)
{
    HttpReply reply = session->get(url);
    co_return co_await reply;
}

// What a transfer the server never answers ended with, and whether its task saw a cancel.
struct Outcome {
    HttpResponse response;
    bool cancelled = false;
};

async::Task<void> fetchInto(HttpSession* session, QUrl url, Outcome* out)
{
    HttpReply reply = session->get(url);
    out->response = co_await reply;
    out->cancelled = async::isCancelled();
}

} // namespace

class TestHttpSession : public QObject {
    Q_OBJECT

    FakeHttpServer m_server;

    QUrl url(const char* path) const { return m_server.url(QString::fromLatin1(path)); }

    // Starts a GET of /hang in `scope`; true once the server holds it.
    bool startHanging(async::TaskScope& scope, HttpSession& session, Outcome* out,
                      async::TaskHandle* handle = nullptr)
    {
        const async::TaskHandle spawned = scope.spawn(fetchInto(&session, url("/hang"), out));
        if (handle)
            *handle = spawned;
        return QTest::qWaitFor([&] { return m_server.requests().size() == 1; }, 5000);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_server.listen());
        m_server.setRoute(QStringLiteral("/ok"), FakeResponse::json("[1]"));
        m_server.setRoute(QStringLiteral("/missing"), FakeResponse::text("gone", 404));
        m_server.setRoute(QStringLiteral("/cut"), FakeResponse::dropped(QByteArray(4000, 'x')));
        m_server.setRoute(QStringLiteral("/hang"), FakeResponse::hanging());
        m_server.setRoute(QStringLiteral("/bound"),
                          FakeResponse::json(QByteArray(DocumentLimit::kMaxBytes, ' ')));
        m_server.setRoute(QStringLiteral("/over"),
                          FakeResponse::json(QByteArray(DocumentLimit::kMaxBytes + 1, ' ')));
    }
    void init() { m_server.clearRequests(); }

    void answersCarryStatusAndBody()
    {
        HttpSession session({});
        const auto ok = runTask(fetch(&session, url("/ok")));
        QVERIFY(ok);
        QCOMPARE(ok->status, 200);
        QCOMPARE(ok->body, QByteArray("[1]"));
        QVERIFY(!ok->isTransportFailure() && ok->isSuccess());
        QVERIFY(m_server.requests().first().headers.value("user-agent").startsWith("Shiguren/"));

        const auto missing = runTask(fetch(&session, url("/missing")));
        QCOMPARE(missing->status, 404);
        QVERIFY(!missing->isTransportFailure()); // an HTTP answer, just not a good one
        QVERIFY(!missing->isSuccess());
        QCOMPARE(missing->body, QByteArray("gone"));
        QCOMPARE(missing->errorDescription(),
                 QStringLiteral("サーバがエラーを返しました: HTTP 404"));

        // A body cut short is a transport failure.
        const auto cut = runTask(fetch(&session, url("/cut")));
        QVERIFY(cut && cut->isTransportFailure());
        QVERIFY(cut->body.isEmpty());

        const auto invalid = runTask(fetch(&session, QUrl()));
        QVERIFY(invalid->invalidUrl && invalid->isTransportFailure());
        QCOMPARE(invalid->errorDescription(), QStringLiteral("URL が正しくありません"));
    }

    void bodiesOverTheDocumentBoundAreAbandoned()
    {
        HttpSession session({});
        const auto atBound = runTask(fetch(&session, url("/bound")));
        QVERIFY(atBound && atBound->isSuccess());
        QCOMPARE(atBound->body.size(), DocumentLimit::kMaxBytes);

        const auto over = runTask(fetch(&session, url("/over")));
        QVERIFY(over && over->tooLarge && over->isTransportFailure());
        QVERIFY(over->body.isEmpty());
        QCOMPARE(over->failure().description, ErrorText::documentTooLarge());
        QVERIFY(!over->failure().sessionReset);
    }

    void wholeTransferLimitRunsOnTheProgramClock()
    {
        FakeClock clock;
        HttpSessionConfig config;
        config.wholeTransferTimeout = 40s;
        HttpSession session(config);
        Outcome outcome;
        async::TaskScope scope;
        QVERIFY(startHanging(scope, session, &outcome));
        clock.advance(39999ms);
        QCOMPARE(outcome.response.error, QNetworkReply::NoError);
        clock.advance(1ms);
        QTRY_COMPARE(outcome.response.error, QNetworkReply::TimeoutError);
        QVERIFY(outcome.response.wholeTransferTimedOut);
        QVERIFY(!outcome.response.sessionReset);
        QCOMPARE(outcome.response.errorDescription(), QStringLiteral("要求がタイムアウトしました"));
        QVERIFY(!outcome.cancelled);
    }

    void silenceBetweenBytesIsATimeoutNotACancellation()
    {
        HttpSessionConfig config;
        config.betweenBytesTimeout = 300ms;
        HttpSession session(config);
        const auto response = runTask(fetch(&session, url("/hang")));
        QVERIFY(response);
        QCOMPARE(response->error, QNetworkReply::TimeoutError);
        QCOMPARE(response->errorDescription(), QStringLiteral("要求がタイムアウトしました"));
    }

    void resetFailsTransfersOfTheOldManagerOnly()
    {
        HttpSession session({});
        Outcome outcome;
        async::TaskScope scope;
        QVERIFY(startHanging(scope, session, &outcome));
        QNetworkAccessManager* before = session.manager();
        session.reset();
        QVERIFY(session.manager() != before);
        QTRY_COMPARE(outcome.response.error, QNetworkReply::OperationCanceledError);
        QVERIFY(!outcome.cancelled); // the task itself was not cancelled
        QVERIFY(outcome.response.isTransportFailure());
        QVERIFY(outcome.response.sessionReset);
        QVERIFY(outcome.response.failure().sessionReset);
        QCOMPARE(runTask(fetch(&session, url("/ok")))->status, 200);
    }

    void cancellingTheTaskOrDroppingTheReplyAbortsTheTransfer()
    {
        HttpSession session({});
        Outcome outcome;
        async::TaskScope scope;
        async::TaskHandle handle;
        QVERIFY(startHanging(scope, session, &outcome, &handle));
        handle.cancel();
        QTRY_VERIFY(outcome.cancelled);
        QCOMPARE(outcome.response.error, QNetworkReply::OperationCanceledError);
        QVERIFY(!outcome.response.sessionReset);
        QTRY_COMPARE(m_server.openConnections(), 0);

        // So does dropping the reply.
        {
            HttpReply reply = session.get(url("/hang"));
            QTRY_COMPARE(m_server.requests().size(), 2);
        }
        QTRY_COMPARE(m_server.openConnections(), 0);
    }
};

SHIGUREN_GUILESS_TEST(TestHttpSession)
#include "tst_httpsession.moc"
