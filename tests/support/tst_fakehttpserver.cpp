#include "FakeHttpServer.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <memory>
#include <tuple>

namespace {

bool waitFinished(QNetworkReply* reply)
{
    return reply->isFinished() || QSignalSpy(reply, &QNetworkReply::finished).wait(2000);
}

int statusOf(QNetworkReply* reply)
{
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

} // namespace

class TestFakeHttpServer : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeHttpServer> m_server;
    std::unique_ptr<QNetworkAccessManager> m_manager;

    QNetworkReply* get(const QString& pathAndQuery, int transferTimeoutMs = 0)
    {
        QNetworkRequest request(m_server->url(pathAndQuery));
        request.setTransferTimeout(transferTimeoutMs);
        request.setRawHeader("X-Probe", "abc");
        return m_manager->get(request);
    }

    // Each write after the first goes out once the server has recorded a request from the one
    // before, so it reaches the server while earlier replies may still be pending. Returns
    // nothing unless the server closes the connection.
    QByteArray exchangeRaw(const QList<QByteArray>& writes)
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_server->port());
        if (!socket.waitForConnected(1000))
            return {};
        for (const QByteArray& chunk : writes) {
            const qsizetype before = m_server->requests().size();
            socket.write(chunk);
            if (&chunk != &writes.last() &&
                !QTest::qWaitFor([&] { return m_server->requests().size() > before; }, 1000))
                return {};
        }
        if (!QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; },
                             2000))
            return {};
        return socket.readAll();
    }

private Q_SLOTS:
    void init()
    {
        m_server = std::make_unique<FakeHttpServer>();
        QVERIFY(m_server->listen());
        m_manager = std::make_unique<QNetworkAccessManager>();
        m_manager->setProxy(QNetworkProxy::NoProxy);
    }

    void cleanup()
    {
        m_manager.reset();
        m_server.reset();
    }
    void routesThenHandlerThen404AndRecords()
    {
        m_server->setRoute(QStringLiteral("/a/b.geojson"), FakeResponse::json("bare"));
        m_server->setRoute(QStringLiteral("/a/b.geojson?id=liden"),
                           FakeResponse::json("liden", 500));
        m_server->setRouteSequence(
            QStringLiteral("/seq"),
            {FakeResponse::json("one"), FakeResponse::error(500), FakeResponse::text("three")});
        m_server->setHandler([](const RecordedRequest& request) -> std::optional<FakeResponse> {
            if (!request.path.startsWith(QLatin1String("/tiles/")))
                return std::nullopt;
            return FakeResponse::png(request.path.toUtf8());
        });

        const QList<std::tuple<QString, int, QByteArray>> cases = {
            {QStringLiteral("/a/b.geojson?id=liden"), 500, "liden"},
            {QStringLiteral("/a/b.geojson?id=other&b=two%20words"), 200, "bare"},
            {QStringLiteral("/seq"), 200, "one"},
            {QStringLiteral("/seq"), 500, ""},
            {QStringLiteral("/seq"), 200, "three"},
            {QStringLiteral("/seq"), 200, "three"},
            {QStringLiteral("/tiles/5/27/12.png"), 200, "/tiles/5/27/12.png"},
            {QStringLiteral("/missing"), 404, ""}};
        for (const auto& [path, status, body] : cases) {
            QNetworkReply* reply = get(path);
            QVERIFY(waitFinished(reply));
            QCOMPARE(statusOf(reply), status);
            QCOMPARE(reply->readAll(), body);
        }
        QCOMPARE(m_server->requestCount(QStringLiteral("/a/b.geojson")), 2);
        QCOMPARE(m_server->requestCount(QStringLiteral("/a/b.geojson?id=liden")), 1);

        // Sequential requests are recorded in order and share one kept-alive connection.
        const QList<RecordedRequest> requests = m_server->requests();
        QCOMPARE(requests.size(), cases.size());
        const RecordedRequest& recorded = requests.at(1);
        QCOMPARE(recorded.path, QStringLiteral("/a/b.geojson"));
        QCOMPARE(recorded.queryItems.queryItemValue(QStringLiteral("b")),
                 QStringLiteral("two words"));
        QCOMPARE(recorded.headers.value("x-probe"), QByteArrayLiteral("abc"));
        for (const RecordedRequest& request : requests)
            QCOMPARE(request.connectionId, recorded.connectionId);
        QCOMPARE(m_server->maxSimultaneousConnections(), 1);
    }

    void delayedRepliesArriveLateOnParallelConnections()
    {
        m_server->setRoute(QStringLiteral("/slow"), FakeResponse::json("late").withDelay(250));
        QElapsedTimer elapsed;
        elapsed.start();
        QList<QNetworkReply*> replies;
        for (int i = 0; i < 4; ++i)
            replies.append(get(QStringLiteral("/slow?i=%1").arg(i)));
        QVERIFY(waitFinished(replies.first()));
        QVERIFY2(elapsed.elapsed() >= 250, QByteArray::number(elapsed.elapsed()).constData());
        for (QNetworkReply* reply : replies) {
            QVERIFY(waitFinished(reply));
            QCOMPARE(reply->readAll(), QByteArrayLiteral("late"));
        }
        QVERIFY(m_server->maxSimultaneousConnections() >= 2);
    }

    void hangDropAndDestructionFailOnTheClient()
    {
        m_server->setRoute(QStringLiteral("/hang"), FakeResponse::hanging());
        m_server->setRoute(QStringLiteral("/drop"), FakeResponse::dropped(QByteArray(4096, 'x')));
        m_server->setRoute(QStringLiteral("/slow"), FakeResponse::json("x").withDelay(300));

        QNetworkReply* timedOut = get(QStringLiteral("/hang"), 300);
        QVERIFY(waitFinished(timedOut));
        QCOMPARE(timedOut->error(), QNetworkReply::OperationCanceledError);
        QTRY_COMPARE_WITH_TIMEOUT(m_server->openConnections(), 0, 1000);

        QNetworkReply* dropped = get(QStringLiteral("/drop"));
        QVERIFY(waitFinished(dropped));
        QCOMPARE(dropped->error(), QNetworkReply::RemoteHostClosedError);
        QVERIFY(dropped->readAll().size() < 4096);

        // Destroying the server with a hanging and a delayed reply outstanding must be clean.
        QNetworkReply* hanging = get(QStringLiteral("/hang"));
        QNetworkReply* slow = get(QStringLiteral("/slow"));
        QTRY_COMPARE_WITH_TIMEOUT(m_server->requestCount(QStringLiteral("/slow")), 1, 1000);
        m_server.reset();
        QVERIFY(waitFinished(hanging) && waitFinished(slow));
        QVERIFY(hanging->error() != QNetworkReply::NoError);
        QVERIFY(slow->error() != QNetworkReply::NoError);
    }

    void pipelinedRequestsAnswerInOrderAndHonourClose()
    {
        m_server->setRoute(QStringLiteral("/first"), FakeResponse::text("first").withDelay(300));
        m_server->setRoute(QStringLiteral("/second"), FakeResponse::text("second"));
        m_server->setRoute(QStringLiteral("/third"), FakeResponse::text("third"));

        const QByteArray received =
            exchangeRaw({"GET /first HTTP/1.1\r\nHost: x\r\n\r\n",
                         "POST /second HTTP/1.1\r\nhost: x\r\ncontent-length: 6\r\n\r\nGET /x"
                         "GET /third HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n",
                         "GET /never HTTP/1.1\r\nHost: x\r\n\r\n"});
        const qsizetype first = received.indexOf("\r\n\r\nfirst");
        QVERIFY(first > 0 && received.indexOf("\r\n\r\nsecond") > first);
        QVERIFY(received.endsWith("Content-Length: 5\r\nConnection: close\r\n\r\nthird"));
        QCOMPARE(m_server->requests().size(), 3);
        QCOMPARE(m_server->requests().at(1).method, QByteArrayLiteral("POST"));

        m_server->clearRequests();
        const QByteArray rejected = exchangeRaw({"nonsense\r\n\r\nGET / HTTP/1.1\r\n\r\n"});
        QVERIFY(rejected.startsWith("HTTP/1.1 400 Status\r\n"));
        QVERIFY(m_server->requests().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFakeHttpServer)
#include "tst_fakehttpserver.moc"
