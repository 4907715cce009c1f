// The request head reader and the file lookup: what a stranger's bytes turn
// into before anything is served.
#include <QtTest>

#include "web/httprequest.h"
#include "web/webfiles.h"

class TestHttpRequest : public QObject
{
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void headBounds();
    void plainPaths_data();
    void plainPaths();
    void responseCarriesSafetyHeaders();
    void categoriesComeFromTheGame();
};

void TestHttpRequest::parse_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<int>("status"); // 0: valid
    QTest::addColumn<QByteArray>("path");
    const QByteArray host = "Host: x\r\n";
    QTest::newRow("get") << QByteArray("GET /app.js HTTP/1.1\r\n" + host + "\r\n") << 0
                         << QByteArray("/app.js");
    QTest::newRow("query dropped")
        << QByteArray("GET /?a=1 HTTP/1.1\r\n" + host + "\r\n") << 0 << QByteArray("/");
    QTest::newRow("escapes decoded")
        << QByteArray("GET /%2e%2e/x HTTP/1.1\r\n" + host + "\r\n") << 0 << QByteArray("/../x");
    QTest::newRow("head") << QByteArray("HEAD / HTTP/1.0\r\n\r\n") << 0 << QByteArray("/");
    QTest::newRow("post") << QByteArray("POST / HTTP/1.1\r\n" + host + "\r\n") << 405
                          << QByteArray();
    QTest::newRow("body") << QByteArray("GET / HTTP/1.1\r\n" + host + "Content-Length: 5\r\n\r\n")
                          << 413 << QByteArray();
    QTest::newRow("chunked") << QByteArray("GET / HTTP/1.1\r\n" + host +
                                           "Transfer-Encoding: chunked\r\n\r\n")
                             << 413 << QByteArray();
    QTest::newRow("no host 1.1") << QByteArray("GET / HTTP/1.1\r\n\r\n") << 400 << QByteArray();
    QTest::newRow("http 2") << QByteArray("GET / HTTP/2.0\r\n\r\n") << 505 << QByteArray();
    QTest::newRow("not http") << QByteArray("GET / FTP\r\n\r\n") << 400 << QByteArray();
    QTest::newRow("absolute target")
        << QByteArray("GET http://x/ HTTP/1.1\r\n" + host + "\r\n") << 400 << QByteArray();
    QTest::newRow("nul escape") << QByteArray("GET /a%00 HTTP/1.1\r\n" + host + "\r\n") << 400
                                << QByteArray();
    QTest::newRow("bad escape") << QByteArray("GET /a%g1 HTTP/1.1\r\n" + host + "\r\n") << 400
                                << QByteArray();
    QTest::newRow("header without colon")
        << QByteArray("GET / HTTP/1.1\r\n" + host + "Broken\r\n\r\n") << 400 << QByteArray();
    QTest::newRow("control character")
        << QByteArray("GET / HTTP/1.1\r\n" + host + "X: a\x01\r\n\r\n") << 400 << QByteArray();
    QTest::newRow("long request line")
        << QByteArray("GET /" + QByteArray(3000, 'a') + " HTTP/1.1\r\n" + host + "\r\n") << 414
        << QByteArray();
    QByteArray many = "GET / HTTP/1.1\r\n";
    for (int i = 0; i < 70; ++i)
        many += "X" + QByteArray::number(i) + ": y\r\n";
    QTest::newRow("too many headers") << QByteArray(many + "\r\n") << 431 << QByteArray();
}

void TestHttpRequest::parse()
{
    QFETCH(QByteArray, head);
    QFETCH(int, status);
    QFETCH(QByteArray, path);
    const http::Request request = http::parseHead(head);
    QCOMPARE(request.valid, status == 0);
    if (status == 0)
        QCOMPARE(request.path, path);
    else
        QCOMPARE(request.errorStatus, status);
}

void TestHttpRequest::headBounds()
{
    QCOMPARE(http::headState("GET / HTTP/1.1\r\nHost: x\r\n"), http::HeadState::Incomplete);
    QCOMPARE(http::headState("GET / HTTP/1.1\r\n\r\nGET"), http::HeadState::Complete);
    QCOMPARE(http::headLength("GET / HTTP/1.1\r\n\r\nGET"), 18);
    QCOMPARE(http::headState(QByteArray(http::MaxHeadBytes + 1, 'a')), http::HeadState::TooLarge);
    const QByteArray upgrade = "GET /ws HTTP/1.1\r\nHost: x\r\nUpgrade: WebSocket\r\nConnection: "
                               "keep-alive, Upgrade\r\n\r\n";
    QVERIFY(http::parseHead(upgrade).isWebSocketUpgrade());
    QVERIFY(!http::parseHead("GET / HTTP/1.0\r\n\r\n").keepAlive());
    QVERIFY(!http::parseHead("GET / HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n").keepAlive());
}

void TestHttpRequest::plainPaths_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<bool>("plain");
    QTest::newRow("root") << QByteArray("/") << true;
    QTest::newRow("file") << QByteArray("/sounds/WRONG.wav") << true;
    QTest::newRow("dot dot") << QByteArray("/../resources/x") << false;
    QTest::newRow("inner dot dot") << QByteArray("/sounds/../x.png") << false;
    QTest::newRow("dot") << QByteArray("/./x") << false;
    QTest::newRow("double slash") << QByteArray("//x") << false;
    QTest::newRow("trailing slash") << QByteArray("/sounds/") << false;
    QTest::newRow("backslash") << QByteArray("/a\\b") << false;
    QTest::newRow("colon") << QByteArray("/:/x") << false;
    QTest::newRow("relative") << QByteArray("x") << false;
}

void TestHttpRequest::plainPaths()
{
    QFETCH(QByteArray, path);
    QFETCH(bool, plain);
    QCOMPARE(webfiles::isPlainPath(path), plain);
    if (!plain) QVERIFY(!webfiles::lookup(path).found);
}

void TestHttpRequest::responseCarriesSafetyHeaders()
{
    const QByteArray head = http::responseHead(200, "text/html", 5, true);
    QVERIFY(head.startsWith("HTTP/1.1 200 OK\r\n"));
    QVERIFY(head.contains("Content-Length: 5\r\n"));
    QVERIFY(head.contains("X-Content-Type-Options: nosniff\r\n"));
    QVERIFY(head.contains("frame-ancestors 'none'"));
    QVERIFY(head.contains("script-src 'self';"));
    QVERIFY(!head.contains("unsafe"));
    QVERIFY(head.endsWith("Connection: keep-alive\r\n\r\n"));
}

void TestHttpRequest::categoriesComeFromTheGame()
{
    const webfiles::File file = webfiles::lookup("/categories.json");
    QVERIFY(file.found);
    QCOMPARE(file.contentType, QByteArray("application/json"));
    QVERIFY(file.body.startsWith("{\"combo\":["));
    QVERIFY(file.body.contains("\"fixed\":["));
    QVERIFY(webfiles::lookup("/sounds/WRONG.wav").body.startsWith("RIFF"));
    QVERIFY(!webfiles::lookup("/sounds/missing.wav").found);
}

QTEST_GUILESS_MAIN(TestHttpRequest)
#include "tst_httprequest.moc"
