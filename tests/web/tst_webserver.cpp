// The web port for real on loopback: files, refusals, and pages that join a
// real host (or a scripted one, to see exactly what the page's side sends).
#include <QSysInfo>
#include <QTcpServer>
#include <QWebSocket>
#include <QtTest>

#include "game/wordfilter.h"
#include "host/tserver.h"
#include "net/commands.h"
#include "tests/support/testsupport.h"
#include "web/webserver.h"

namespace {

const QByteArray Token = "abcdefghijklmnop0123";

// A page's side of the WebSocket: collects the frames it is sent.
class Page : public QObject
{
public:
    explicit Page(const QString &origin) : socket(origin)
    {
        connect(&socket, &QWebSocket::textMessageReceived, this,
                [this](const QString &text) { frames.append(text.toUtf8()); });
    }
    bool open(quint16 port)
    {
        socket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws").arg(port)));
        return QTest::qWaitFor([this] { return socket.state() == QAbstractSocket::ConnectedState; },
                               10000);
    }
    QByteArray waitFor(const QByteArray &prefix)
    {
        QByteArray found;
        (void)QTest::qWaitFor(
            [&] {
                for (int i = 0; i < frames.size(); ++i) {
                    if (frames[i].startsWith(prefix)) {
                        found = frames[i];
                        frames = frames.mid(i + 1);
                        return true;
                    }
                }
                return false;
            },
            10000);
        return found;
    }
    bool waitClosed()
    {
        return QTest::qWaitFor(
            [this] { return socket.state() == QAbstractSocket::UnconnectedState; }, 10000);
    }
    void send(const QByteArray &frame) { socket.sendTextMessage(QString::fromUtf8(frame)); }
    QWebSocket socket;
    QList<QByteArray> frames;
};

// One raw HTTP exchange: sends `request`, returns all the server sent until it
// closed the connection. The server runs in this thread, so nothing blocks.
QByteArray exchange(quint16 port, const QByteArray &request)
{
    QTcpSocket socket;
    QByteArray answer;
    QObject::connect(&socket, &QTcpSocket::readyRead, [&] { answer += socket.readAll(); });
    socket.connectToHost(QHostAddress::LocalHost, port);
    socket.write(request);
    (void)QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; },
                          10000);
    return answer + socket.readAll();
}

QTcpSocket *nextLink(QTcpServer &fake)
{
    if (!QTest::qWaitFor([&] { return fake.hasPendingConnections(); }, 10000)) return nullptr;
    return fake.nextPendingConnection();
}

} // namespace

class TestWebServer : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void servesEmbeddedFiles();
    void refusals_data();
    void refusals();
    void ownHostNames_data();
    void ownHostNames();
    void keepAliveServesSeveral();
    void slowAndIdlePeersAreCutOff();
    void pageTakesNoSeatUntilItJoins();
    void badFramesCloseOnlyThatPage_data();
    void badFramesCloseOnlyThatPage();
    void answersAreCheckedBeforeTheyLeave();
    void roomEndingIsTold();

private:
    void startWeb(quint16 gamePort, const QString &rating);
    QString origin() const { return QStringLiteral("http://127.0.0.1:%1").arg(web->port()); }
    TServer *server = nullptr;
    WebServer *web = nullptr;
};

void TestWebServer::init()
{
    server = new TServer;
    QVERIFY(server->startListening(QStringLiteral("0")));
    startWeb(server->listeningPort(), QStringLiteral("e"));
}

void TestWebServer::cleanup()
{
    delete web;
    web = nullptr;
    delete server;
    server = nullptr;
}

void TestWebServer::startWeb(quint16 gamePort, const QString &rating)
{
    delete web;
    web = new WebServer;
    TServer *host = server;
    web->markPort = [host](quint16 port, const QString &address, const QByteArray &id) {
        host->markWebPort(port, TServer::Peer{address, id, true});
    };
    web->unmarkPort = [host](quint16 port) { host->unmarkWebPort(port); };
    web->hostingSlot = [host] { return host->hostingSlot(); };
    WebServerConfig config;
    config.gamePort = gamePort;
    config.rating = rating;
    config.version = cmd::GameVersion;
    QVERIFY(web->start(config));
}

void TestWebServer::servesEmbeddedFiles()
{
    const QByteArray page =
        exchange(web->port(), "GET / HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n");
    QVERIFY(page.startsWith("HTTP/1.1 200 OK\r\n"));
    QVERIFY(page.contains("Content-Type: text/html; charset=utf-8\r\n"));
    QVERIFY(page.contains("Content-Security-Policy: default-src 'none'; script-src 'self';"));
    QVERIFY(page.contains("X-Frame-Options: DENY\r\n"));
    const QByteArray sound = exchange(web->port(), "HEAD /sounds/WRONG.wav HTTP/1.0\r\n\r\n");
    QVERIFY(sound.startsWith("HTTP/1.1 200 OK\r\n"));
    QVERIFY(sound.contains("Content-Type: audio/wav\r\n"));
    QVERIFY(sound.endsWith("\r\n\r\n")); // no body for HEAD
}

void TestWebServer::refusals_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("status");
    const QByteArray upgrade = "Upgrade: websocket\r\nConnection: Upgrade\r\n"
                               "Sec-WebSocket-Version: 13\r\nSec-WebSocket-Key: "
                               "dGhlIHNhbXBsZSBub25jZQ==\r\n";
    QTest::newRow("unknown file")
        << QByteArray("GET /secret.txt HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n")
        << QByteArray("404");
    QTest::newRow("outside the files")
        << QByteArray(
               "GET /../resources/resources.qrc HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n")
        << QByteArray("404");
    QTest::newRow("escaped way out")
        << QByteArray(
               "GET /%2e%2e/%2e%2e/etc/passwd HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n")
        << QByteArray("404");
    QTest::newRow("folder") << QByteArray(
                                   "GET /sounds/ HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n")
                            << QByteArray("404");
    QTest::newRow("other resources")
        << QByteArray("GET /pictures/lobby.jpg HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n")
        << QByteArray("404");
    QTest::newRow("post") << QByteArray("POST / HTTP/1.1\r\nHost: a\r\nContent-Length: 1\r\n\r\nx")
                          << QByteArray("405");
    QTest::newRow("huge head") << QByteArray("GET / HTTP/1.1\r\nHost: a\r\nX: " +
                                             QByteArray(9000, 'y') + "\r\n\r\n")
                               << QByteArray("431");
    QTest::newRow("foreign origin")
        << QByteArray("GET /ws HTTP/1.1\r\nHost: 127.0.0.1\r\nOrigin: http://evil.example\r\n" +
                      upgrade + "\r\n")
        << QByteArray("403");
    QTest::newRow("no origin") << QByteArray("GET /ws HTTP/1.1\r\nHost: 127.0.0.1\r\n" + upgrade +
                                             "\r\n")
                               << QByteArray("403");
    QTest::newRow("origin of another port")
        << QByteArray("GET /ws HTTP/1.1\r\nHost: 127.0.0.1:1\r\nOrigin: http://127.0.0.1:2\r\n" +
                      upgrade + "\r\n")
        << QByteArray("403");
    QTest::newRow("another site's name for this machine")
        << QByteArray(
               "GET /ws HTTP/1.1\r\nHost: evil.example:80\r\nOrigin: http://evil.example:80\r\n" +
               upgrade + "\r\n")
        << QByteArray("403");
    QTest::newRow("plain get of the socket")
        << QByteArray("GET /ws HTTP/1.1\r\nHost: a\r\n\r\n") << QByteArray("426");
}

void TestWebServer::refusals()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, status);
    const QByteArray answer = exchange(web->port(), request);
    QVERIFY2(answer.startsWith("HTTP/1.1 " + status + ' '), answer.left(60).constData());
    QVERIFY(!answer.contains("101 Switching"));
    QCOMPARE(server->playersPresent(), 0);
}

void TestWebServer::ownHostNames_data()
{
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<bool>("own");
    QTest::newRow("v4") << QByteArray("192.0.2.7:7773") << true;
    QTest::newRow("v6") << QByteArray("[fd00::2]:7773") << true;
    QTest::newRow("localhost") << QByteArray("LocalHost:7773") << true;
    QTest::newRow("machine") << (QSysInfo::machineHostName().toUtf8() + ".local:1") << true;
    QTest::newRow("other name") << QByteArray("games.example:7773") << false;
    QTest::newRow("look-alike") << QByteArray("localhost.example") << false;
    QTest::newRow("empty") << QByteArray(":7773") << false;
}

void TestWebServer::ownHostNames()
{
    QFETCH(QByteArray, host);
    QFETCH(bool, own);
    QCOMPARE(WebServer::ownHostName(host), own);
}

void TestWebServer::keepAliveServesSeveral()
{
    const QByteArray two = "GET /categories.json HTTP/1.1\r\nHost: a\r\n\r\n"
                           "GET /nothing HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n";
    const QByteArray answer = exchange(web->port(), two);
    QVERIFY(answer.startsWith("HTTP/1.1 200 OK\r\n"));
    QVERIFY(answer.contains("\"fixed\""));
    QVERIFY(answer.contains("HTTP/1.1 404 Not Found\r\n"));
}

void TestWebServer::slowAndIdlePeersAreCutOff()
{
    web->setTimeouts(100, 100);
    // Half a head, then nothing; and a kept-alive connection left idle.
    const QList<QByteArray> starts = {"GET / HTTP/1.1\r\nHost: a\r\n",
                                      "GET /categories.json HTTP/1.1\r\nHost: a\r\n\r\n"};
    for (const QByteArray &start : starts) {
        const QByteArray answer = exchange(web->port(), start);
        QVERIFY(start.endsWith("\r\n\r\n") ? answer.startsWith("HTTP/1.1 200") : answer.isEmpty());
    }
    QTRY_COMPARE(web->httpConnections(), 0);
}

void TestWebServer::pageTakesNoSeatUntilItJoins()
{
    Page page(origin());
    QVERIFY(page.open(web->port()));
    QCOMPARE(page.waitFor("WEB_hello+"), "WEB_hello+" + QByteArray(cmd::GameVersion) + "+e+");
    QCOMPARE(web->pages(), 1);
    QCOMPARE(server->playersPresent(), 0);

    page.send("WEB_join+" + Token);
    QCOMPARE(page.waitFor("CMD_sendlogininfo"), cmd::host::sendlogininfo(1).chopped(1));
    QCOMPARE(page.waitFor("WEB_rights"), QByteArray("WEB_rights+t+"));
    page.send(cmd::client::logininfo(1, cmd::GameVersion, "<b>Ann</b>").chopped(2));
    QCOMPARE(page.waitFor("CMD_newplayerinfo"), QByteArray("CMD_newplayerinfo+1+<b>Ann</b>"));
    QCOMPARE(server->playersPresent(), 1);
    // The host knows who is behind the loopback hop.
    const TServer::Peer peer = server->peer(1);
    QVERIFY(peer.web);
    QCOMPARE(peer.address, QStringLiteral("127.0.0.1"));
    QCOMPARE(peer.browserId, Token);

    // A desktop player and the page hear each other.
    testsupport::LoopbackClient desktop;
    QVERIFY(desktop.connectTo(server->listeningPort()));
    QVERIFY(!desktop.waitFor("CMD_sendlogininfo+2").isEmpty());
    desktop.send(cmd::client::logininfo(2, cmd::GameVersion, "Bob"));
    desktop.send(cmd::client::chat(2, "hi <i>there</i>", "clRed"));
    QCOMPARE(page.waitFor("CMD_chat"), QByteArray("CMD_chat+Bob chats: hi <i>there</i>|clRed"));
    page.send("CMD_chat+1+hello|clBlue");
    QCOMPARE(desktop.waitFor("CMD_chat+<b>"),
             QByteArray("CMD_chat+<b>Ann</b> chats: hello|clBlue"));
    QVERIFY(!server->peer(2).web);

    // Closing the page ends its link to the room.
    page.socket.close();
    QTRY_COMPARE(web->pages(), 0);
}

void TestWebServer::badFramesCloseOnlyThatPage_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("binary") << 0;
    QTest::newRow("oversized") << 1;
}

void TestWebServer::badFramesCloseOnlyThatPage()
{
    QFETCH(int, kind);
    Page good(origin());
    Page bad(origin());
    QVERIFY(good.open(web->port()));
    QVERIFY(bad.open(web->port()));
    good.send("WEB_join+" + Token);
    QVERIFY(!good.waitFor("CMD_sendlogininfo+1").isEmpty());
    good.send(cmd::client::logininfo(1, cmd::GameVersion, "Ann").chopped(2));
    bad.send("WEB_join");
    QVERIFY(!bad.waitFor("CMD_sendlogininfo+2").isEmpty());
    bad.send(cmd::client::logininfo(2, cmd::GameVersion, "Mal").chopped(2));
    QVERIFY(!good.waitFor("CMD_newplayerinfo+2").isEmpty());
    QVERIFY(server->peer(2).browserId.isEmpty()); // no token, no browser id

    if (kind == 0)
        bad.socket.sendBinaryMessage("CMD_chat+2+x|clRed");
    else
        bad.send("CMD_chat+2+" + QByteArray(WebPlayer::MaxFrameBytes + 10, 'x') + "|clRed");
    QVERIFY(bad.waitClosed());
    QTRY_COMPARE(web->pages(), 1);
    good.send("CMD_chat+1+still here|clRed");
    QCOMPARE(good.waitFor("CMD_chat"), QByteArray("CMD_chat+Ann chats: still here|clRed"));
    QCOMPARE(good.socket.state(), QAbstractSocket::ConnectedState);
}

void TestWebServer::answersAreCheckedBeforeTheyLeave()
{
    // A scripted host, to see exactly what reaches it.
    QTcpServer fake;
    QVERIFY(fake.listen(QHostAddress::LocalHost));
    startWeb(fake.serverPort(), QStringLiteral("e"));
    Page page(origin());
    QVERIFY(page.open(web->port()));
    page.send("WEB_join+" + Token);
    QTcpSocket *link = nextLink(fake);
    QVERIFY(link);
    link->write(cmd::host::sendlogininfo(3) + cmd::host::theletters(3, "C+A+T"));
    QVERIFY(!page.waitFor("CMD_theletters+3+C+A+T").isEmpty());

    const QByteArray listed = WordFilter::entries().first().toUtf8();
    struct Case
    {
        QByteArray typed;
        QByteArray reply;
        QByteArray sent; // empty: nothing reaches the host
    };
    const QList<Case> cases = {
        {"  cold  apple~pie tea", "WEB_acrocheck+t+f+cold apple~pie tea",
         "CMD_acro+3+cold apple~pie tea"},
        {"cold apple", "WEB_acrocheck+f+f+cold apple", ""},
        {"dog apple tea", "WEB_acrocheck+f+f+dog apple tea", ""},
        {"cold " + listed + " tea", "WEB_acrocheck+f+t+cold **** tea", ""},
        {"cold a" + listed + " tea", "WEB_acrocheck+t+t+cold a**** tea",
         "CMD_acro+3+cold a**** tea"},
    };
    QByteArray received;
    for (const Case &c : cases) {
        page.send("CMD_acro+9+" + c.typed);
        QCOMPARE(page.waitFor("WEB_acrocheck"), c.reply);
        if (!c.sent.isEmpty()) {
            QVERIFY(QTest::qWaitFor(
                [&] {
                    received += link->readAll();
                    return received.contains(c.sent + char(0xFF));
                },
                10000));
        }
    }
    // Only the two accepted answers arrived, each as the host's own form.
    QCOMPARE(received.count("CMD_acro"), 2);
    QVERIFY(!received.contains("dog"));
}

void TestWebServer::roomEndingIsTold()
{
    QTcpServer fake;
    QVERIFY(fake.listen(QHostAddress::LocalHost));
    startWeb(fake.serverPort(), QString());
    Page page(origin());
    QVERIFY(page.open(web->port()));
    QCOMPARE(page.waitFor("WEB_hello"), "WEB_hello+" + QByteArray(cmd::GameVersion) + "++");
    page.send("WEB_join+" + Token);
    QTcpSocket *link = nextLink(fake);
    QVERIFY(link);
    link->write(cmd::host::full());
    QVERIFY(!page.waitFor("CMD_full").isEmpty());
    QCOMPARE(page.waitFor("WEB_left"), QByteArray("WEB_left+closed+"));

    // The page may try again; this time the host closes in order later.
    page.send("WEB_join+" + Token);
    link = nextLink(fake);
    QVERIFY(link);
    link->write(cmd::host::sendlogininfo(1));
    QVERIFY(!page.waitFor("CMD_sendlogininfo").isEmpty());
    link->disconnectFromHost();
    QCOMPARE(page.waitFor("WEB_left"), QByteArray("WEB_left+closed+"));
    QCOMPARE(page.socket.state(), QAbstractSocket::ConnectedState);
}

QTEST_GUILESS_MAIN(TestWebServer)
#include "tst_webserver.moc"
