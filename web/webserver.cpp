#include "web/webserver.h"

#include <QSysInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>
#include <QWebSocketCorsAuthenticator>
#include <QWebSocketServer>

#include "web/webfiles.h"

struct WebServer::HttpConnection
{
    QString address;
    QTimer *timer = nullptr;
    int served = 0;
};

namespace {

// The host part of a Host header: "name", "name:port", "[v6]:port".
QString hostPart(const QByteArray &host)
{
    const QString text = QString::fromLatin1(host).trimmed();
    if (text.startsWith(QLatin1Char('['))) {
        const int end = int(text.indexOf(QLatin1Char(']')));
        return end > 0 ? text.mid(1, end - 1) : QString();
    }
    const int colon = int(text.lastIndexOf(QLatin1Char(':')));
    return colon >= 0 ? text.left(colon) : text;
}

} // namespace

WebServer::WebServer(QObject *parent) : QObject(parent)
{
    server = new QTcpServer(this);
    server->setMaxPendingConnections(MaxHttpConnections);
    connect(server, &QTcpServer::newConnection, this, &WebServer::accept);
    sockets =
        new QWebSocketServer(QStringLiteral("Quibbleton"), QWebSocketServer::NonSecureMode, this);
    sockets->setHandshakeTimeout(std::chrono::milliseconds(HeadTimeoutMs));
    connect(sockets, &QWebSocketServer::newConnection, this, &WebServer::newPage);
    // The origin was checked before the hand-over; this is the second lock.
    connect(sockets, &QWebSocketServer::originAuthenticationRequired, this,
            [](QWebSocketCorsAuthenticator *authenticator) {
                authenticator->setAllowed(!authenticator->origin().isEmpty());
            });
}

WebServer::~WebServer()
{
    stop();
}

bool WebServer::start(const WebServerConfig &wanted)
{
    stop();
    config = wanted;
    if (!server->listen(QHostAddress::Any, config.port)) {
        lastError = server->errorString();
        return false;
    }
    lastError.clear();
    return true;
}

void WebServer::stop()
{
    server->close();
    const auto open = http.keys();
    for (QTcpSocket *socket : open)
        dropHttp(socket);
    const auto pages = players.values();
    players.clear();
    for (WebPlayer *player : pages)
        delete player;
}

void WebServer::setTimeouts(int headMs, int idleMs)
{
    headTimeoutMs = headMs;
    idleTimeoutMs = idleMs;
    sockets->setHandshakeTimeout(std::chrono::milliseconds(headMs));
}

bool WebServer::listening() const
{
    return server->isListening();
}

quint16 WebServer::port() const
{
    return server->serverPort();
}

QString WebServer::addressText(const QHostAddress &address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    if (isV4) return QHostAddress(v4).toString();
    QHostAddress plain = address;
    plain.setScopeId(QString());
    return plain.toString();
}

bool WebServer::sameOrigin(const QByteArray &origin, const QByteArray &host)
{
    if (origin.isEmpty() || host.isEmpty()) return false;
    const QByteArray lowerOrigin = origin.toLower();
    const QByteArray lowerHost = host.toLower();
    return lowerOrigin == "http://" + lowerHost || lowerOrigin == "https://" + lowerHost;
}

bool WebServer::ownHostName(const QByteArray &host)
{
    // A page of another site whose name was made to point at this machine
    // (DNS rebinding) sends its own name: only addresses and this machine's
    // own names open a seat.
    const QString name = hostPart(host);
    if (name.isEmpty()) return false;
    if (!QHostAddress(name).isNull()) return true;
    const QString lower = name.toLower();
    const QString machine = QSysInfo::machineHostName().toLower();
    return lower == QLatin1String("localhost") || lower.endsWith(QLatin1String(".localhost")) ||
           (!machine.isEmpty() && (lower == machine || lower == machine + QLatin1String(".local")));
}

int WebServer::countFrom(const QString &address, bool pagesToo) const
{
    int count = 0;
    for (const HttpConnection *connection : http)
        if (connection->address == address) ++count;
    if (pagesToo) {
        for (const WebPlayer *player : players)
            if (player->address() == address) ++count;
        for (const auto &waiting : upgrading)
            if (waiting.first == address) ++count;
    }
    return count;
}

void WebServer::accept()
{
    while (QTcpSocket *socket = server->nextPendingConnection()) {
        const QString address = addressText(socket->peerAddress());
        if (http.size() >= MaxHttpConnections || countFrom(address, false) >= MaxHttpPerAddress) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto *connection = new HttpConnection;
        connection->address = address;
        connection->timer = new QTimer(socket);
        connection->timer->setSingleShot(true);
        connect(connection->timer, &QTimer::timeout, this, [this, socket] { dropHttp(socket); });
        connection->timer->start(headTimeoutMs);
        http.insert(socket, connection);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readable(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { dropHttp(socket); });
    }
}

void WebServer::dropHttp(QTcpSocket *socket)
{
    HttpConnection *connection = http.take(socket);
    if (!connection) return;
    delete connection;
    socket->disconnect(this);
    if (socket->state() == QAbstractSocket::ConnectedState && socket->bytesToWrite() > 0) {
        // Let the last answer out, then close.
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        socket->disconnectFromHost();
        QTimer::singleShot(headTimeoutMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        return;
    }
    socket->abort();
    socket->deleteLater();
}

void WebServer::readable(QTcpSocket *socket)
{
    HttpConnection *connection = http.value(socket);
    if (!connection) return;
    // The head is peeked, not read: an upgrade hands the socket on with the
    // request still in it.
    const QByteArray buffer = socket->peek(http::MaxHeadBytes + 1);
    switch (http::headState(buffer)) {
    case http::HeadState::Incomplete:
        return;
    case http::HeadState::TooLarge:
        respond(socket, 431, false);
        return;
    case http::HeadState::Complete:
        break;
    }
    const int length = http::headLength(buffer);
    const http::Request request = http::parseHead(buffer.left(length));
    if (request.valid && request.path == "/ws") {
        if (!request.isWebSocketUpgrade()) {
            socket->read(length);
            respond(socket, 426, false, {}, {}, {"Upgrade: websocket"});
            return;
        }
        if (!sameOrigin(request.header("origin"), request.header("host")) ||
            !ownHostName(request.header("host"))) {
            socket->read(length);
            respond(socket, 403, false);
            return;
        }
        if (players.size() + upgrading.size() >= MaxPages ||
            countFrom(connection->address, true) > MaxPagesPerAddress) {
            socket->read(length);
            respond(socket, 503, false);
            return;
        }
        upgrade(socket);
        return;
    }
    socket->read(length);
    if (!request.valid) {
        respond(socket, request.errorStatus, false);
        return;
    }
    serve(socket, request);
}

void WebServer::serve(QTcpSocket *socket, const http::Request &request)
{
    HttpConnection *connection = http.value(socket);
    const bool keepAlive = request.keepAlive() && ++connection->served < MaxRequestsPerConnection;
    const bool headOnly = request.method == "HEAD";
    const webfiles::File file = webfiles::lookup(request.path);
    if (!file.found) {
        respond(socket, 404, keepAlive, "Not found\n", "text/plain; charset=utf-8", {}, headOnly);
    } else if (!request.header("if-none-match").isEmpty() &&
               request.header("if-none-match") == file.etag) {
        respond(socket, 304, keepAlive, {}, {}, {"ETag: " + file.etag}, true);
    } else {
        respond(socket, 200, keepAlive, file.body, file.contentType, {"ETag: " + file.etag},
                headOnly);
    }
    if (!http.contains(socket)) return;
    connection->timer->start(idleTimeoutMs);
    // A pipelined request may already wait.
    if (socket->bytesAvailable() > 0)
        QTimer::singleShot(0, socket, [this, socket] { readable(socket); });
}

void WebServer::respond(QTcpSocket *socket, int status, bool keepAlive, const QByteArray &body,
                        const QByteArray &type, const QList<QByteArray> &extra, bool headOnly)
{
    QByteArray text = body;
    QByteArray contentType = type;
    if (status >= 400 && text.isEmpty()) {
        text = QByteArray::number(status) + ' ' + http::reasonPhrase(status) + '\n';
        contentType = "text/plain; charset=utf-8";
    }
    socket->write(
        http::responseHead(status, contentType, status == 304 ? 0 : text.size(), keepAlive, extra));
    if (!headOnly && status != 304) socket->write(text);
    if (!keepAlive) dropHttp(socket);
}

void WebServer::upgrade(QTcpSocket *socket)
{
    HttpConnection *connection = http.take(socket);
    const QString address = connection->address;
    delete connection->timer;
    delete connection;
    socket->disconnect(this);
    upgrading.insert(socket, {address, socket->peerPort()});
    connect(socket, &QObject::destroyed, this, [this, socket] { upgrading.remove(socket); });
    socket->setParent(nullptr);
    // Short messages go out at once, as on the host's own connections.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    sockets->handleConnection(socket);
}

void WebServer::newPage()
{
    while (QWebSocket *socket = sockets->nextPendingConnection()) {
        if (!server->isListening()) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        WebPlayerConfig playerConfig;
        playerConfig.gamePort = config.gamePort;
        playerConfig.rating = config.rating;
        playerConfig.version = config.version;
        const QString address = addressText(socket->peerAddress());
        for (auto it = upgrading.begin(); it != upgrading.end(); ++it) {
            if (it->first == address && it->second == socket->peerPort()) {
                upgrading.erase(it);
                break;
            }
        }
        auto *player = new WebPlayer(socket, address, playerConfig);
        player->markPort = markPort;
        player->unmarkPort = unmarkPort;
        player->hostingSlot = hostingSlot;
        players.insert(player);
        connect(player, &WebPlayer::finished, this, [this](WebPlayer *done) {
            if (players.remove(done)) done->deleteLater();
        });
    }
}
