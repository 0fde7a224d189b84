#include "FakeHttpServer.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return QByteArrayLiteral("OK");
    case 404:
        return QByteArrayLiteral("Not Found");
    case 500:
        return QByteArrayLiteral("Internal Server Error");
    default:
        return QByteArrayLiteral("Status");
    }
}

// 1xx, 204 and 304 replies end at the blank line; a client would misread anything after it.
bool statusHasBody(int status)
{
    return status >= 200 && status != 204 && status != 304;
}

// Route keys and request targets go through the same QUrl normalisation, so "?q=a b" in a test
// matches "?q=a%20b" on the wire.
QUrl parseKey(const QString& pathAndOptionalQuery)
{
    return QUrl(pathAndOptionalQuery, QUrl::TolerantMode);
}

QString routeKey(const QString& path, const QString& query)
{
    return query.isEmpty() ? path : path + QLatin1Char('?') + query;
}

bool wantsKeepAlive(const QByteArray& version, const QMap<QByteArray, QByteArray>& headers)
{
    const QByteArray connection = headers.value(QByteArrayLiteral("connection")).toLower();
    if (connection.contains("close"))
        return false;
    return version != "HTTP/1.0" || connection.contains("keep-alive");
}

} // namespace

FakeResponse FakeResponse::json(QByteArray body, int status)
{
    FakeResponse response;
    response.status = status;
    response.body = std::move(body);
    response.headers.append(
        {QByteArrayLiteral("Content-Type"), QByteArrayLiteral("application/json")});
    return response;
}

FakeResponse FakeResponse::png(QByteArray body)
{
    FakeResponse response;
    response.body = std::move(body);
    response.headers.append({QByteArrayLiteral("Content-Type"), QByteArrayLiteral("image/png")});
    return response;
}

FakeResponse FakeResponse::text(QByteArray body, int status)
{
    FakeResponse response;
    response.status = status;
    response.body = std::move(body);
    response.headers.append(
        {QByteArrayLiteral("Content-Type"), QByteArrayLiteral("text/plain; charset=utf-8")});
    return response;
}

FakeResponse FakeResponse::error(int status)
{
    FakeResponse response;
    response.status = status;
    return response;
}

FakeResponse FakeResponse::hanging()
{
    FakeResponse response;
    response.hang = true;
    return response;
}

FakeResponse FakeResponse::dropped(QByteArray body)
{
    FakeResponse response = json(std::move(body));
    response.dropMidBody = true;
    return response;
}

FakeResponse FakeResponse::withDelay(int ms) const
{
    FakeResponse copy = *this;
    copy.delayMs = ms;
    return copy;
}

FakeResponse FakeResponse::withHeader(QByteArray name, QByteArray value) const
{
    FakeResponse copy = *this;
    copy.headers.append({std::move(name), std::move(value)});
    return copy;
}

FakeHttpServer::FakeHttpServer(QObject* parent)
    : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &FakeHttpServer::onNewConnection);
}

FakeHttpServer::~FakeHttpServer()
{
    m_server.close();
    // Sockets are children of m_server and die with it; unhooking them first keeps their last
    // signals from reaching a half-destroyed object.
    closeAllConnections();
}

bool FakeHttpServer::listen(quint16 port)
{
    return m_server.listen(QHostAddress::LocalHost, port);
}

quint16 FakeHttpServer::port() const
{
    return m_server.serverPort();
}

QUrl FakeHttpServer::baseUrl() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port()));
}

QUrl FakeHttpServer::url(const QString& pathAndQuery) const
{
    return QUrl(baseUrl().toString() + pathAndQuery, QUrl::TolerantMode);
}

void FakeHttpServer::setRoute(const QString& pathAndOptionalQuery, FakeResponse response)
{
    setRouteSequence(pathAndOptionalQuery, {std::move(response)});
}

void FakeHttpServer::setRouteSequence(const QString& pathAndOptionalQuery,
                                      QList<FakeResponse> responses)
{
    const QUrl key = parseKey(pathAndOptionalQuery);
    m_routes.insert(routeKey(key.path(), key.query()), Route{std::move(responses), 0});
}

void FakeHttpServer::setHandler(Handler handler)
{
    m_handler = std::move(handler);
}

void FakeHttpServer::clearRoutes()
{
    m_routes.clear();
}

int FakeHttpServer::requestCount(const QString& pathAndOptionalQuery) const
{
    const QUrl key = parseKey(pathAndOptionalQuery);
    const QString path = key.path();
    const QString query = key.query();
    return int(std::count_if(m_requests.cbegin(), m_requests.cend(), [&](const auto& request) {
        return request.path == path && (query.isEmpty() || request.query == query);
    }));
}

int FakeHttpServer::requestCount(const std::function<bool(const QString& path)>& matches) const
{
    return int(std::count_if(m_requests.cbegin(), m_requests.cend(),
                             [&](const auto& request) { return matches(request.path); }));
}

void FakeHttpServer::closeAllConnections()
{
    const QList<QTcpSocket*> sockets = m_connections.keys();
    for (QTcpSocket* socket : sockets)
        dropConnection(socket);
}

void FakeHttpServer::onNewConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        m_connections[socket].id = m_nextConnectionId++;
        m_maxConnections = std::max(m_maxConnections, openConnections());
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this,
                [this, socket] { onDisconnected(socket); });
    }
}

void FakeHttpServer::onDisconnected(QTcpSocket* socket)
{
    m_connections.remove(socket);
    socket->disconnect(this);
    socket->deleteLater();
}

void FakeHttpServer::dropConnection(QTcpSocket* socket)
{
    m_connections.remove(socket);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void FakeHttpServer::onReadyRead(QTcpSocket* socket)
{
    auto connection = m_connections.find(socket);
    if (connection == m_connections.end())
        return;
    connection->buffer += socket->readAll();

    // Test callbacks below may close connections, so the entry is looked up again after each.
    while (!connection->closeRequested) {
        std::optional<ParsedRequest> parsed = takeRequest(*connection);
        if (!parsed)
            break;
        if (parsed->malformed) {
            connection->buffer.clear();
            connection->closeRequested = true;
            connection->pending.append({FakeResponse::error(400), false, false});
            continue;
        }
        m_requests.append(parsed->recorded);
        Q_EMIT requestReceived(parsed->recorded);
        FakeResponse response = responseFor(parsed->recorded);

        connection = m_connections.find(socket);
        if (connection == m_connections.end())
            return;
        const bool head = parsed->recorded.method == "HEAD";
        connection->pending.append({std::move(response), head, parsed->keepAlive});
        if (!parsed->keepAlive) {
            // Whatever the client sends after "Connection: close" is never answered.
            connection->buffer.clear();
            connection->closeRequested = true;
        }
    }
    serveNext(socket);
}

std::optional<FakeHttpServer::ParsedRequest>
FakeHttpServer::takeRequest(Connection& connection) const
{
    const qsizetype headerEnd = connection.buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return std::nullopt;

    ParsedRequest parsed;
    const QList<QByteArray> lines = connection.buffer.left(headerEnd).split('\n');
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    if (requestLine.size() != 3 || !requestLine.at(2).startsWith("HTTP/1.")) {
        parsed.malformed = true;
        return parsed;
    }

    RecordedRequest& recorded = parsed.recorded;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines.at(i).indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = lines.at(i).left(colon).trimmed().toLower();
        const QByteArray value = lines.at(i).mid(colon + 1).trimmed();
        QByteArray& stored = recorded.headers[name];
        stored = stored.isEmpty() ? value : stored + ", " + value;
    }

    // Request bodies are never inspected, but must be consumed to find the next request.
    const qsizetype bodyLength =
        recorded.headers.value(QByteArrayLiteral("content-length")).toLongLong();
    const qsizetype requestEnd = headerEnd + 4 + std::max<qsizetype>(bodyLength, 0);
    if (connection.buffer.size() < requestEnd)
        return std::nullopt;
    connection.buffer.remove(0, requestEnd);

    const QUrl target = QUrl::fromEncoded(requestLine.at(1), QUrl::TolerantMode);
    recorded.method = requestLine.at(0);
    recorded.path = target.path();
    recorded.query = target.query();
    recorded.queryItems = QUrlQuery(target);
    recorded.connectionId = connection.id;
    parsed.keepAlive = wantsKeepAlive(requestLine.at(2), recorded.headers);
    return parsed;
}

FakeResponse FakeHttpServer::responseFor(const RecordedRequest& request)
{
    if (m_down)
        return FakeResponse::dropped({});
    for (const QString& key : {routeKey(request.path, request.query), request.path}) {
        const auto route = m_routes.find(key);
        if (route == m_routes.end() || route->responses.isEmpty())
            continue;
        FakeResponse response = route->responses.at(route->next);
        if (route->next + 1 < route->responses.size())
            ++route->next;
        return response;
    }
    // A copy, because a handler that installs another handler would otherwise destroy itself
    // mid-call.
    const Handler handler = m_handler;
    if (handler) {
        if (std::optional<FakeResponse> response = handler(request))
            return *std::move(response);
    }
    return FakeResponse::error(404);
}

void FakeHttpServer::serveNext(QTcpSocket* socket)
{
    for (;;) {
        const auto connection = m_connections.find(socket);
        if (connection == m_connections.end() || connection->busy || connection->pending.isEmpty())
            return;

        const PendingReply reply = connection->pending.takeFirst();
        if (reply.response.hang) {
            connection->busy = true;
            return;
        }
        if (reply.response.delayMs > 0) {
            connection->busy = true;
            // The socket is the timer's context: if it goes away first, the reply is dropped.
            QTimer::singleShot(reply.response.delayMs, socket, [this, socket, reply] {
                const auto delayed = m_connections.find(socket);
                if (delayed == m_connections.end())
                    return;
                delayed->busy = false;
                sendReply(socket, reply);
                serveNext(socket);
            });
            return;
        }
        sendReply(socket, reply);
    }
}

void FakeHttpServer::sendReply(QTcpSocket* socket, const PendingReply& reply)
{
    const FakeResponse& response = reply.response;
    const bool hasBody = statusHasBody(response.status);

    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' +
                      reasonPhrase(response.status) + "\r\n";
    bool hasContentType = false;
    for (const auto& [name, value] : response.headers) {
        const QByteArray lower = name.toLower();
        // Framing is the server's job; a stray header here would desynchronise keep-alive.
        if (lower == "content-length" || lower == "connection" || lower == "transfer-encoding")
            continue;
        hasContentType = hasContentType || lower == "content-type";
        head += name + ": " + value + "\r\n";
    }
    if (!hasContentType)
        head += "Content-Type: application/json\r\n";
    if (hasBody)
        head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    if (!reply.keepAlive)
        head += "Connection: close\r\n";
    head += "\r\n";

    if (response.dropMidBody) {
        if (!response.body.isEmpty()) {
            socket->write(head);
            socket->write(response.body.left(response.body.size() / 2));
            socket->flush();
        }
        dropConnection(socket);
        return;
    }

    socket->write(head);
    if (hasBody && !reply.headRequest)
        socket->write(response.body);
    if (!reply.keepAlive)
        socket->disconnectFromHost();
}
