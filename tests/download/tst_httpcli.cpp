// The HTTP client against a real server on 127.0.0.1: which answers count as success, what reaches
// the stream, the notifications and their order, and abort.
#include "download/httpcli.h"
#include "testhttpserver.h"
#include "tests/support/testsupport.h"

#include <QBuffer>
#include <QPointer>
#include <QThread>
#include <QtTest>

namespace {

using testsupport::pattern;

// Every notification in order, as text: "H:<line>", "B", "D:<count>".
struct Recorder
{
    QStringList events;
    bool offThread = false;
    void attach(HttpCli &cli)
    {
        QObject::connect(&cli, &HttpCli::headerData, &cli, [this](const QByteArray &line) {
            events << QStringLiteral("H:") + QString::fromLatin1(line);
            check();
        });
        QObject::connect(&cli, &HttpCli::docBegin, &cli, [this] {
            events << QStringLiteral("B");
            check();
        });
        QObject::connect(&cli, &HttpCli::docData, &cli, [this](qint64 count) {
            events << QStringLiteral("D:") + QString::number(count);
            check();
        });
    }
    void check()
    {
        if (QThread::currentThread() != QCoreApplication::instance()->thread()) offThread = true;
    }
    int count(const QString &prefix) const
    {
        return int(std::count_if(events.begin(), events.end(),
                                 [&](const QString &e) { return e.startsWith(prefix); }));
    }
};

} // namespace

class tst_httpcli : public QObject
{
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
    void notificationsInOrder();
    void abortStopsAtOnce();
    void connectionFailures_data();
    void connectionFailures();
    void streamThatCannotBeWritten();
    void destroyedWhileWaiting();
    // Last: quitting leaves the application unable to run further event loops.
    void quittingAbortsTheRequest();
};

void tst_httpcli::answers_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<bool>("succeeds");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("begins");

    const QByteArray body = pattern(5000);
    QTest::newRow("200 with length") << QByteArray("/ok") << true << 200 << "OK" << body << 1;
    QTest::newRow("200 ended by close")
        << QByteArray("/nolength") << true << 200 << "OK" << body << 1;
    QTest::newRow("200 empty") << QByteArray("/empty") << true << 200 << "OK" << QByteArray() << 1;
    QTest::newRow("404 keeps its page out")
        << QByteArray("/missing") << false << 404 << "Not Found" << QByteArray() << 0;
    QTest::newRow("500") << QByteArray("/broken") << false << 500 << "Internal Server Error"
                         << QByteArray() << 0;
    QTest::newRow("400 without reason")
        << QByteArray("/bare") << false << 400 << "HTTP error 400" << QByteArray() << 0;
    QTest::newRow("399 is success") << QByteArray("/odd") << true << 399 << "Odd" << body << 1;
    QTest::newRow("redirect keeps only the final body")
        << QByteArray("/moved") << true << 200 << "OK" << body << 1;
    QTest::newRow("endless redirects")
        << QByteArray("/loop") << false << 404 << QString() << QByteArray() << 0;
    QTest::newRow("headers then close")
        << QByteArray("/headersonly") << false << 404 << QString() << QByteArray() << 1;
    QTest::newRow("cut short") << QByteArray("/short") << false << 404 << QString()
                               << body.left(100) << 1;
    QTest::newRow("too many header lines")
        << QByteArray("/headers") << false << 404 << "Too many header lines in the answer"
        << QByteArray() << 0;
    QTest::newRow("announced beyond the limit")
        << QByteArray("/huge") << false << 404 << "The document is too large" << QByteArray() << 0;
    QTest::newRow("redirect to a local file")
        << QByteArray("/tofile") << false << 404 << QString() << QByteArray() << 0;
    QTest::newRow("not HTTP") << QByteArray("/garbage") << false << 404 << QString() << QByteArray()
                              << 0;
}

void tst_httpcli::answers()
{
    QFETCH(QByteArray, path);
    QFETCH(bool, succeeds);
    QFETCH(int, status);
    QFETCH(QString, reason);
    QFETCH(QByteArray, stored);
    QFETCH(int, begins);

    const QByteArray body = pattern(5000);
    TestHttpServer server;
    server.answer = [&](const QByteArray &p) -> TestHttpServer::Answer {
        if (p == "/ok" || p == "/real") return TestHttpServer::ok(body);
        if (p == "/nolength") return TestHttpServer::ok(body, false);
        if (p == "/empty") return TestHttpServer::ok({});
        if (p == "/broken")
            return TestHttpServer::status(500, "Internal Server Error", "<h1>oops</h1>");
        if (p == "/bare") return {"HTTP/1.0 400\r\n", {}};
        if (p == "/odd") return {"HTTP/1.0 399 Odd\r\n", body};
        if (p == "/moved")
            return {"HTTP/1.0 302 Found\r\nLocation: /real\r\nContent-Length: 5\r\n", "moved"};
        if (p == "/loop") return {"HTTP/1.0 302 Found\r\nLocation: /loop\r\n", {}};
        if (p == "/headersonly") return {"HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n", {}};
        if (p == "/short") return {"HTTP/1.0 200 OK\r\nContent-Length: 5000\r\n", body.left(100)};
        if (p == "/headers") {
            QByteArray head = "HTTP/1.0 200 OK\r\n";
            for (int i = 0; i < HttpCli::MaxHeaderLines + 10; ++i)
                head += "X-Filler-" + QByteArray::number(i) + ": x\r\n";
            return {head, body};
        }
        if (p == "/huge") return {"HTTP/1.0 200 OK\r\nContent-Length: 99999999999\r\n", body};
        if (p == "/tofile") return {"HTTP/1.0 302 Found\r\nLocation: file:///etc/passwd\r\n", {}};
        if (p == "/garbage") return {"SSH-2.0-nothing to see\r\n", body};
        return TestHttpServer::status(404, "Not Found", "<h1>no such file</h1>");
    };

    QBuffer stream;
    stream.open(QIODevice::WriteOnly);
    HttpCli cli;
    Recorder recorder;
    recorder.attach(cli);
    cli.setUrl(server.url(QString::fromLatin1(path)));
    cli.setRcvdStream(&stream);

    QCOMPARE(cli.get(), succeeds);
    QCOMPARE(cli.statusCode(), status);
    if (!reason.isNull()) QCOMPARE(cli.reasonPhrase(), reason);
    QVERIFY(!cli.reasonPhrase().isEmpty());
    QCOMPARE(stream.data(), stored);
    QCOMPARE(cli.rcvdCount(), qint64(stored.size()));
    QCOMPARE(recorder.count(QStringLiteral("B")), begins);
    QVERIFY(!cli.isBusy());
}

void tst_httpcli::notificationsInOrder()
{
    const QByteArray body = pattern(3000);
    TestHttpServer server;
    server.answer = [&](const QByteArray &) {
        TestHttpServer::Answer a = TestHttpServer::ok(body);
        a.head += "X-Lobby: yes\r\n";
        a.sendNow = 1000;
        return a;
    };
    HttpCli cli;
    Recorder recorder;
    recorder.attach(cli);
    // The next piece leaves only after the client reported the last one, so every piece is
    // a notification of its own.
    QObject::connect(&cli, &HttpCli::docData, &cli, [&] { server.sendMore(1000); });
    cli.setUrl(server.url());
    QVERIFY(cli.get());

    const QStringList expected = {"H:HTTP/1.0 200 OK",
                                  "H:Content-Type: application/octet-stream",
                                  "H:Content-Length: 3000",
                                  "H:X-Lobby: yes",
                                  "B",
                                  "D:1000",
                                  "D:2000",
                                  "D:3000"};
    QCOMPARE(recorder.events, expected);
    QVERIFY(!recorder.offThread);
    QCOMPARE(cli.contentLength(), qint64(3000));
    QCOMPARE(cli.rcvdCount(), qint64(3000));
}

void tst_httpcli::abortStopsAtOnce()
{
    const QByteArray body = pattern(4000);
    TestHttpServer server;
    server.answer = [&](const QByteArray &) {
        TestHttpServer::Answer a = TestHttpServer::ok(body);
        a.sendNow = 1000;
        return a;
    };
    HttpCli cli;
    Recorder recorder;
    recorder.attach(cli);
    int afterAbort = -1;
    QObject::connect(&cli, &HttpCli::docData, &cli, [&] {
        if (afterAbort < 0) {
            cli.abort();
            afterAbort = int(recorder.events.size());
        }
    });
    QBuffer stream;
    stream.open(QIODevice::WriteOnly);
    cli.setRcvdStream(&stream);
    cli.setUrl(server.url());

    QVERIFY(!cli.get());
    QCOMPARE(cli.statusCode(), 404);
    QCOMPARE(cli.reasonPhrase(), QStringLiteral("Connection aborted on request"));
    QCOMPARE(recorder.events.size(), afterAbort);
    QCOMPARE(cli.rcvdCount(), qint64(1000));
    QCOMPARE(stream.data(), body.left(1000));
    QVERIFY(!cli.isBusy());
    // The connection is gone, not left waiting for the rest.
    QTRY_VERIFY_WITH_TIMEOUT(server.lastClosed(), 5000);

    // The same client serves the next request normally.
    server.answer = [&](const QByteArray &) { return TestHttpServer::ok(body); };
    stream.buffer().clear();
    stream.seek(0);
    afterAbort = 0;
    QVERIFY(cli.get());
    QCOMPARE(stream.data(), body);
}

void tst_httpcli::connectionFailures_data()
{
    QTest::addColumn<QString>("url");
    QTest::newRow("nobody listens")
        << QStringLiteral("http://127.0.0.1:%1/lobby/qrvsetup.exe").arg(testsupport::freePort());
    // A label longer than 63 characters fails in the resolver without asking any server.
    QTest::newRow("host cannot be resolved")
        << QStringLiteral("http://%1.invalid/lobby/qrvsetup.exe").arg(QString(70, 'q'));
    QTest::newRow("not an HTTP address") << QStringLiteral("file:///etc/passwd");
    QTest::newRow("empty address") << QString();
}

void tst_httpcli::connectionFailures()
{
    QFETCH(QString, url);
    HttpCli cli;
    Recorder recorder;
    recorder.attach(cli);
    QBuffer stream;
    stream.open(QIODevice::WriteOnly);
    cli.setRcvdStream(&stream);
    cli.setUrl(url);
    QVERIFY(!cli.get());
    QCOMPARE(cli.statusCode(), 404);
    QVERIFY(!cli.reasonPhrase().isEmpty());
    QVERIFY(cli.reasonPhrase() != QStringLiteral("Connection aborted on request"));
    QVERIFY(recorder.events.isEmpty());
    QVERIFY(stream.data().isEmpty());
}

void tst_httpcli::streamThatCannotBeWritten()
{
    TestHttpServer server;
    server.answer = [](const QByteArray &) { return TestHttpServer::ok(pattern(2000)); };
    QBuffer stream; // opened for reading only: every write fails
    stream.open(QIODevice::ReadOnly);
    HttpCli cli;
    cli.setRcvdStream(&stream);
    cli.setUrl(server.url());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ReadOnly device"));
    QVERIFY(!cli.get());
    QVERIFY2(cli.reasonPhrase().startsWith("The document could not be written"),
             qPrintable(cli.reasonPhrase()));
    QCOMPARE(cli.rcvdCount(), qint64(0));
}

void tst_httpcli::destroyedWhileWaiting()
{
    TestHttpServer server;
    server.answer = [](const QByteArray &) {
        TestHttpServer::Answer a = TestHttpServer::ok(pattern(2000));
        a.sendNow = 500;
        return a;
    };
    QPointer<HttpCli> cli = new HttpCli;
    QObject::connect(cli, &HttpCli::docData, cli, [&] { cli->deleteLater(); });
    cli->setUrl(server.url());
    QVERIFY(!cli->get());
    QVERIFY(cli.isNull());
    QTRY_VERIFY_WITH_TIMEOUT(server.lastClosed(), 5000);
}

void tst_httpcli::quittingAbortsTheRequest()
{
    TestHttpServer server;
    server.answer = [](const QByteArray &) {
        TestHttpServer::Answer a = TestHttpServer::ok(pattern(2000));
        a.sendNow = 500;
        return a;
    };
    HttpCli cli;
    QObject::connect(&cli, &HttpCli::docBegin, &cli, [] { QCoreApplication::exit(0); });
    cli.setUrl(server.url());
    QVERIFY(!cli.get());
    QCOMPARE(cli.reasonPhrase(), QStringLiteral("Connection aborted on request"));
    QVERIFY(!cli.isBusy());
}

QTEST_GUILESS_MAIN(tst_httpcli)
#include "tst_httpcli.moc"
