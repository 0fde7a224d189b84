#include "FakeClock.h"
#include "FakeHttpServer.h"
#include "TaskTestUtils.h"
#include "platform/HttpSession.h"

#include <QTest>

using namespace std::chrono_literals;

namespace {

async::Task<HttpResponse> fetch(HttpSession* session, QUrl url)
{
    HttpReply reply = session->get(url);
    co_return co_await reply;
}

async::Task<void> fetchInto(HttpSession* session, QUrl url, HttpResponse* out, bool* cancelled)
{
    HttpReply reply = session->get(url);
    *out = co_await reply;
    *cancelled = async::isCancelled();
}

} // namespace

class TestHttpSession : public QObject {
    Q_OBJECT

    FakeHttpServer m_server;

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_server.listen()); }
    void init()
    {
        m_server.clearRoutes();
        m_server.clearRequests();
    }

    void answersCarryStatusAndBody()
    {
        m_server.setRoute(QStringLiteral("/ok"), FakeResponse::json("[1]"));
        m_server.setRoute(QStringLiteral("/missing"), FakeResponse::text("gone", 404));
        m_server.setRoute(QStringLiteral("/cut"), FakeResponse::dropped(QByteArray(4000, 'x')));
        HttpSession session({});
        const auto ok = runTask(fetch(&session, m_server.url(QStringLiteral("/ok"))));
        QVERIFY(ok);
        QCOMPARE(ok->status, 200);
        QCOMPARE(ok->body, QByteArray("[1]"));
        QVERIFY(!ok->isTransportFailure());

        const auto missing = runTask(fetch(&session, m_server.url(QStringLiteral("/missing"))));
        QCOMPARE(missing->status, 404);
        QVERIFY(!missing->isTransportFailure()); // an HTTP answer, just not a good one
        QCOMPARE(missing->body, QByteArray("gone"));
        QCOMPARE(missing->errorDescription(),
                 QStringLiteral("サーバがエラーを返しました: HTTP 404"));

        const QByteArray agent = m_server.requests().first().headers.value("user-agent");
        QVERIFY(agent.startsWith("Shiguren/"));

        // A body cut short is a transport failure.
        const auto cut = runTask(fetch(&session, m_server.url(QStringLiteral("/cut"))));
        QVERIFY(cut);
        QVERIFY(cut->isTransportFailure());
        QVERIFY(cut->body.isEmpty());
    }

    void wholeTransferLimitRunsOnTheProgramClock()
    {
        m_server.setRoute(QStringLiteral("/hang"), FakeResponse::hanging());
        FakeClock clock;
        HttpSessionConfig config;
        config.wholeTransferTimeout = 40s;
        HttpSession session(config);
        HttpResponse response;
        bool cancelled = false;
        async::TaskScope scope;
        scope.spawn(
            fetchInto(&session, m_server.url(QStringLiteral("/hang")), &response, &cancelled));
        QTRY_COMPARE(m_server.requests().size(), 1);
        clock.advance(39999ms);
        QCOMPARE(response.error, QNetworkReply::NoError);
        clock.advance(1ms);
        QTRY_COMPARE(response.error, QNetworkReply::TimeoutError);
        QVERIFY(response.wholeTransferTimedOut);
        QCOMPARE(response.errorDescription(), QStringLiteral("要求がタイムアウトしました"));
        QVERIFY(!cancelled);
    }

    void silenceBetweenBytesIsATimeoutNotACancellation()
    {
        m_server.setRoute(QStringLiteral("/hang"), FakeResponse::hanging());
        HttpSessionConfig config;
        config.betweenBytesTimeout = 300ms;
        HttpSession session(config);
        const auto response = runTask(fetch(&session, m_server.url(QStringLiteral("/hang"))));
        QVERIFY(response);
        QCOMPARE(response->error, QNetworkReply::TimeoutError);
        QCOMPARE(response->errorDescription(), QStringLiteral("要求がタイムアウトしました"));
    }

    void resetFailsTransfersOfTheOldManagerOnly()
    {
        m_server.setRoute(QStringLiteral("/hang"), FakeResponse::hanging());
        m_server.setRoute(QStringLiteral("/ok"), FakeResponse::json("{}"));
        HttpSession session({});
        HttpResponse response;
        bool cancelled = true;
        async::TaskScope scope;
        scope.spawn(
            fetchInto(&session, m_server.url(QStringLiteral("/hang")), &response, &cancelled));
        QTRY_COMPARE(m_server.requests().size(), 1);
        QNetworkAccessManager* before = session.manager();
        session.reset();
        QVERIFY(session.manager() != before);
        QTRY_COMPARE(response.error, QNetworkReply::OperationCanceledError);
        QVERIFY(!cancelled); // the task itself was not cancelled
        QVERIFY(response.isTransportFailure());

        const auto ok = runTask(fetch(&session, m_server.url(QStringLiteral("/ok"))));
        QCOMPARE(ok->status, 200);
    }

    void cancellingTheTaskOrDroppingTheReplyAbortsTheTransfer()
    {
        m_server.setRoute(QStringLiteral("/hang"), FakeResponse::hanging());
        HttpSession session({});
        HttpResponse response;
        bool cancelled = false;
        async::TaskScope scope;
        const async::TaskHandle handle = scope.spawn(
            fetchInto(&session, m_server.url(QStringLiteral("/hang")), &response, &cancelled));
        QTRY_COMPARE(m_server.requests().size(), 1);
        handle.cancel();
        QTRY_VERIFY(cancelled);
        QCOMPARE(response.error, QNetworkReply::OperationCanceledError);
        QTRY_COMPARE(m_server.openConnections(), 0);

        // So does dropping the reply.
        {
            HttpReply reply = session.get(m_server.url(QStringLiteral("/hang")));
            QTRY_COMPARE(m_server.requests().size(), 2);
        }
        QTRY_COMPARE(m_server.openConnections(), 0);
    }

    void anInvalidAddressFailsWithoutNetwork()
    {
        HttpSession session({});
        const auto response = runTask(fetch(&session, QUrl()));
        QVERIFY(response->invalidUrl);
        QVERIFY(response->isTransportFailure());
        QCOMPARE(response->errorDescription(), QStringLiteral("URL が正しくありません"));
    }
};

QTEST_GUILESS_MAIN(TestHttpSession)
#include "tst_httpsession.moc"
