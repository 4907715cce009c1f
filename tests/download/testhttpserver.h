// A small HTTP/1.0 server on 127.0.0.1 for the download tests. It runs on the test's own
// thread, so it answers while the client under test waits in its nested event loop.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>
#include <map>

class TestHttpServer
{
public:
    struct Answer
    {
        QByteArray head; // status line and header lines, each ended by CRLF
        QByteArray body;
        qint64 sendNow = -1; // bytes of the body sent at once; -1 for all of it
        bool close = true;   // close once what was sent has gone out
    };

    static Answer ok(const QByteArray &body, bool withLength = true)
    {
        QByteArray head = "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n";
        if (withLength) head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
        return {head, body};
    }
    static Answer status(int code, const QByteArray &reason, const QByteArray &body = {})
    {
        return {"HTTP/1.0 " + QByteArray::number(code) + ' ' + reason +
                    "\r\nContent-Type: text/html\r\nContent-Length: " +
                    QByteArray::number(body.size()) + "\r\n",
                body};
    }

    TestHttpServer()
    {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this] { accept(); });
    }

    quint16 port() const { return server.serverPort(); }
    QString url(const QString &path = QStringLiteral("/lobby/qrvsetup.exe")) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
    }

    // Sends more of the last answer's body (all that is left when count is -1), and closes
    // the connection when nothing is left.
    void sendMore(qint64 count = -1)
    {
        if (!last) return;
        const QByteArray piece = count < 0 ? rest : rest.left(count);
        rest.remove(0, piece.size());
        last->write(piece);
        if (rest.isEmpty()) last->disconnectFromHost();
    }
    bool lastClosed() const { return !last || last->state() == QAbstractSocket::UnconnectedState; }

    // Answers by request path; the default serves 404 to everything.
    std::function<Answer(const QByteArray &path)> answer = [](const QByteArray &) {
        return status(404, "Not Found");
    };
    QList<QByteArray> requests; // the head of every request, in order

private:
    void accept()
    {
        while (QTcpSocket *socket = server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket,
                             [this, socket] { read(socket); });
        }
    }

    void read(QTcpSocket *socket)
    {
        QByteArray &buffer = buffers[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0) return;
        const QByteArray head = buffer.left(end + 4);
        buffer.clear();
        requests << head;
        const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
        const Answer a = answer(requestLine.value(1));
        const QByteArray sent = a.sendNow < 0 ? a.body : a.body.left(a.sendNow);
        socket->write(a.head + "\r\n" + sent);
        last = socket;
        rest = a.body.mid(sent.size());
        if (a.close && rest.isEmpty()) socket->disconnectFromHost();
    }

    QTcpServer server;
    std::map<QTcpSocket *, QByteArray> buffers;
    QTcpSocket *last = nullptr;
    QByteArray rest;
};
