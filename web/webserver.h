// WebServer: the host's door for browsers. One TCP port carries plain HTTP for
// the page's embedded files and the WebSocket at "/ws" through which each
// open page talks; a page that joins becomes one more connection of the
// host's table (WebPlayer). Everything a stranger sends is bounded: request
// heads, idle and slow connections, connections per address, frames.
#pragma once

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QSet>
#include <QString>
#include <functional>

#include "web/httprequest.h"
#include "web/webplayer.h"

class QTcpServer;
class QTcpSocket;
class QTimer;
class QWebSocketServer;

struct WebServerConfig
{
    quint16 port = 0;                      // 0 picks a free one
    quint16 gamePort = facts::DefaultPort; // the room on this machine's loopback
    QString rating;
    QByteArray version;
};

class WebServer : public QObject
{
    Q_OBJECT
public:
    // A request head must arrive within this time, and a kept-alive
    // connection may stay idle this long.
    static constexpr int HeadTimeoutMs = 10000;
    static constexpr int IdleTimeoutMs = 15000;
    static constexpr int MaxRequestsPerConnection = 200;
    // Both times at once, for tests that watch a slow peer being cut off.
    void setTimeouts(int headMs, int idleMs);
    // Open connections: HTTP and WebSocket each, in all and from one address.
    static constexpr int MaxHttpConnections = 64;
    static constexpr int MaxHttpPerAddress = 16;
    static constexpr int MaxPages = 48;
    static constexpr int MaxPagesPerAddress = 16;

    explicit WebServer(QObject *parent = nullptr);
    ~WebServer() override;

    // Listens on every address, IPv4 and IPv6; false when the port cannot be
    // bound (error() says why).
    bool start(const WebServerConfig &config);
    void stop();
    bool listening() const;
    quint16 port() const;
    QString error() const { return lastError; }

    // Open pages, joined or not.
    int pages() const { return int(players.size()); }
    int httpConnections() const { return int(http.size()); }

    // The host's seams, passed to every page (see WebPlayer).
    std::function<void(quint16 port, const QString &address, const QByteArray &browserId)> markPort;
    std::function<void(quint16 port)> unmarkPort;
    std::function<int()> hostingSlot;

    // The browser's address as the room knows it: IPv4 in dotted form also
    // when it came in over an IPv6 socket.
    static QString addressText(const QHostAddress &address);
    // Whether a WebSocket upgrade's Origin is the page's own: the scheme
    // http or https and exactly the Host the request was sent to.
    static bool sameOrigin(const QByteArray &origin, const QByteArray &host);
    // Whether a Host header names this machine: an address, localhost, or
    // the machine's own name (with or without ".local").
    static bool ownHostName(const QByteArray &host);

private:
    struct HttpConnection;
    void accept();
    void readable(QTcpSocket *socket);
    void serve(QTcpSocket *socket, const http::Request &request);
    void respond(QTcpSocket *socket, int status, bool keepAlive, const QByteArray &body = {},
                 const QByteArray &type = {}, const QList<QByteArray> &extra = {},
                 bool headOnly = false);
    void upgrade(QTcpSocket *socket);
    void dropHttp(QTcpSocket *socket);
    void newPage();
    int countFrom(const QString &address, bool pagesToo) const;

    WebServerConfig config;
    int headTimeoutMs = HeadTimeoutMs;
    int idleTimeoutMs = IdleTimeoutMs;
    QTcpServer *server = nullptr;
    QWebSocketServer *sockets = nullptr;
    QHash<QTcpSocket *, HttpConnection *> http;
    // Sockets handed to the WebSocket server whose handshake has not ended:
    // the browser's address and port.
    QHash<QTcpSocket *, QPair<QString, quint16>> upgrading;
    QSet<WebPlayer *> players;
    QString lastError;
};
