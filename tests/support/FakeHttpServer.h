#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPair>
#include <QString>
#include <QTcpServer>
#include <QUrl>
#include <QUrlQuery>

#include <functional>
#include <optional>

class QTcpSocket;

// What the fake server answers for one request. Tests build these with the static helpers and
// tweak the fields they care about.
struct FakeResponse {
    int status = 200;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    int delayMs = 0;
    // Never answer; the socket stays open until the client gives up or the server goes away.
    bool hang = false;
    // Promise the whole body in Content-Length, send half of it, then cut the connection. With
    // an empty body the connection is cut before anything is sent.
    bool dropMidBody = false;

    static FakeResponse json(QByteArray body, int status = 200);
    static FakeResponse png(QByteArray body);
    static FakeResponse text(QByteArray body, int status = 200);
    static FakeResponse error(int status);
    static FakeResponse hanging();
    static FakeResponse dropped(QByteArray body);

    FakeResponse withDelay(int ms) const;
    FakeResponse withHeader(QByteArray name, QByteArray value) const;
};

struct RecordedRequest {
    QByteArray method;
    QString path;  // decoded, without the query
    QString query; // without the leading '?', normalised the same way as route keys
    QUrlQuery queryItems;
    QMap<QByteArray, QByteArray> headers; // names in lower case
    int connectionId = 0;                 // same id = same TCP connection
};

// Minimal HTTP/1.1 server on 127.0.0.1 for network tests. It lives in the caller's thread, so a
// QNetworkAccessManager on the same event loop talks to it without any locking.
class FakeHttpServer : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<std::optional<FakeResponse>(const RecordedRequest&)>;

    explicit FakeHttpServer(QObject* parent = nullptr);
    ~FakeHttpServer() override;

    // On `port` of 127.0.0.1; 0: any free port.
    bool listen(quint16 port = 0);
    quint16 port() const;
    QUrl baseUrl() const;
    // baseUrl() plus a path with an optional query, e.g. url("/a/b.geojson?id=liden").
    QUrl url(const QString& pathAndQuery) const;

    // A key is a path ("/a/b.json") or a path with a query ("/a/b.geojson?id=liden"). A request
    // is matched against its exact query first, then against the bare path.
    void setRoute(const QString& pathAndOptionalQuery, FakeResponse response);
    // Successive requests get successive responses; the last one keeps repeating.
    void setRouteSequence(const QString& pathAndOptionalQuery, QList<FakeResponse> responses);
    // Consulted when no route matches; without a handler, or when it returns nullopt, the
    // answer is an empty 404.
    void setHandler(Handler handler);
    // While down, every request is answered by cutting its connection (as an unreachable
    // network would), whatever the routes say.
    void setDown(bool down) { m_down = down; }
    void clearRoutes();

    QList<RecordedRequest> requests() const { return m_requests; }
    // Counts requests to a path; a key with a query only counts requests with that exact query.
    int requestCount(const QString& pathAndOptionalQuery) const;
    // Counts requests whose path passes `matches`.
    int requestCount(const std::function<bool(const QString& path)>& matches) const;
    void clearRequests() { m_requests.clear(); }

    int openConnections() const { return int(m_connections.size()); }
    int maxSimultaneousConnections() const { return m_maxConnections; }
    void resetConnectionStats() { m_maxConnections = openConnections(); }
    void closeAllConnections();

Q_SIGNALS:
    void requestReceived(const RecordedRequest& request);

private:
    struct Route {
        QList<FakeResponse> responses;
        qsizetype next = 0;
    };
    struct PendingReply {
        FakeResponse response;
        bool headRequest = false;
        bool keepAlive = true;
    };
    struct Connection {
        int id = 0;
        QByteArray buffer;
        QList<PendingReply> pending;
        // A delayed or hanging reply holds back everything queued behind it.
        bool busy = false;
        // Set once "Connection: close" is parsed; later bytes from the client are ignored.
        bool closeRequested = false;
    };
    struct ParsedRequest {
        RecordedRequest recorded;
        bool keepAlive = true;
        bool malformed = false;
    };

    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);
    void onDisconnected(QTcpSocket* socket);

    std::optional<ParsedRequest> takeRequest(Connection& connection) const;
    FakeResponse responseFor(const RecordedRequest& request);
    void serveNext(QTcpSocket* socket);
    void sendReply(QTcpSocket* socket, const PendingReply& reply);
    void dropConnection(QTcpSocket* socket);

    QTcpServer m_server;
    QHash<QTcpSocket*, Connection> m_connections;
    QHash<QString, Route> m_routes;
    Handler m_handler;
    QList<RecordedRequest> m_requests;
    int m_nextConnectionId = 1;
    int m_maxConnections = 0;
    bool m_down = false;
};
