// The dedicated host: its command line and the running executable.
#include <QProcess>
#include <QTcpServer>
#include <QtTest>
#include <csignal>

#include "host/hostoptions.h"
#include "net/commands.h"
#include "tests/support/testsupport.h"

namespace c = cmd::client;

namespace {
QString hostExecutable()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../quibbleton-host");
}
} // namespace

class TestHostExe : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(hostExecutable()).isExecutable(),
                 "build the quibbleton-host target before this test");
    }

    void options_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("result"); // HostOptionsResult
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("tickMs");
        QTest::addColumn<qint64>("seed"); // -1: none given
        const int run = int(HostOptionsResult::Run);
        const int help = int(HostOptionsResult::Help);
        const int error = int(HostOptionsResult::Error);
        QTest::newRow("defaults") << QStringList{} << run << int(facts::DefaultPort)
                                  << facts::DefaultTickMs << qint64(-1);
        QTest::newRow("all given")
            << QStringList{"--port", "9000", "--tick-ms", "5", "--seed", "42"} << run << 9000 << 5
            << qint64(42);
        QTest::newRow("with equals") << QStringList{"--port=0", "--seed=4294967295"} << run << 0
                                     << 1000 << qint64(4294967295);
        QTest::newRow("help") << QStringList{"--port", "1", "--help"} << help << 1 << 1000
                              << qint64(-1);
        QTest::newRow("version") << QStringList{"--port", "2", "--version"}
                                 << int(HostOptionsResult::Version) << 2 << 1000 << qint64(-1);
        QTest::newRow("port too big")
            << QStringList{"--port", "65536"} << error << 0 << 0 << qint64(0);
        QTest::newRow("port not a number")
            << QStringList{"--port", "http"} << error << 0 << 0 << qint64(0);
        QTest::newRow("negative port")
            << QStringList{"--port", "-5"} << error << 0 << 0 << qint64(0);
        QTest::newRow("value missing") << QStringList{"--tick-ms"} << error << 0 << 0 << qint64(0);
        QTest::newRow("zero tick") << QStringList{"--tick-ms", "0"} << error << 0 << 0 << qint64(0);
        QTest::newRow("seed too big")
            << QStringList{"--seed", "4294967296"} << error << 0 << 0 << qint64(0);
        QTest::newRow("web port too big")
            << QStringList{"--web-port", "65536"} << error << 0 << 0 << qint64(0);
        QTest::newRow("web port missing")
            << QStringList{"--web-port"} << error << 0 << 0 << qint64(0);
        QTest::newRow("unknown") << QStringList{"--verbose"} << error << 0 << 0 << qint64(0);
        QTest::newRow("stray word") << QStringList{"7772"} << error << 0 << 0 << qint64(0);
    }
    void options()
    {
        QFETCH(QStringList, args);
        QFETCH(int, result);
        QFETCH(int, port);
        QFETCH(int, tickMs);
        QFETCH(qint64, seed);
        HostOptions o;
        QString error;
        const HostOptionsResult got =
            parseHostOptions(QStringList{"quibbleton-host"} + args, o, error);
        QCOMPARE(int(got), result);
        if (got == HostOptionsResult::Error) {
            QVERIFY(!error.isEmpty());
            QVERIFY(!error.contains('\n'));
            return;
        }
        QCOMPARE(int(o.port), port);
        if (got != HostOptionsResult::Run) return;
        QCOMPARE(o.tickMs, tickMs);
        QCOMPARE(o.seedGiven, seed >= 0);
        if (seed >= 0) QCOMPARE(qint64(o.seed), seed);
    }

    // The words of old, whoever reads the command line.
    void errorsAreWordedAsBefore_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("error"); // empty: --help answers
        QTest::newRow("unknown") << QStringList{"--verbose"} << "unknown argument: --verbose";
        QTest::newRow("flag with value") << QStringList{"--qr=1"} << "unknown argument: --qr=1";
        QTest::newRow("short") << QStringList{"-p", "1"} << "unknown argument: -p";
        QTest::newRow("end of options") << QStringList{"--"} << "unknown argument: --";
        QTest::newRow("missing") << QStringList{"--seed", "1", "--tick-ms"}
                                 << "--tick-ms needs a value";
        QTest::newRow("value like an option")
            << QStringList{"--rating", "--qr"} << "invalid rating: --qr";
        QTest::newRow("first fault in order")
            << QStringList{"--port", "x", "--seed", "y"} << "invalid port: x";
        QTest::newRow("help before a fault") << QStringList{"-h", "--verbose"} << QString();
    }
    void errorsAreWordedAsBefore()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, error);
        HostOptions o;
        QString got;
        const HostOptionsResult result =
            parseHostOptions(QStringList{"quibbleton-host"} + args, o, got);
        QCOMPARE(int(result),
                 int(error.isEmpty() ? HostOptionsResult::Help : HostOptionsResult::Error));
        QCOMPARE(got, error);
    }

    void servesAGameAndStopsOnSignal_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
    }
    void servesAGameAndStopsOnSignal()
    {
        QFETCH(int, signalNumber);
        const quint16 port = testsupport::freePort();
        QProcess host;
        host.start(hostExecutable(),
                   {"--port", QString::number(port), "--tick-ms", "5", "--seed", "3"});
        QVERIFY(host.waitForStarted());
        QVERIFY(host.waitForReadyRead(5000));
        QCOMPARE(host.readLine(), "Listening on port " + QByteArray::number(port) + "\n");

        testsupport::LoopbackClient ann;
        QVERIFY(ann.connectTo(port));
        QCOMPARE(ann.waitFor(cmd::CMD_sendlogininfo), QByteArray("CMD_sendlogininfo+1"));
        ann.send(c::logininfo(1, cmd::GameVersion, "Ann"));
        QCOMPARE(ann.waitFor(cmd::CMD_newplayerinfo), QByteArray("CMD_newplayerinfo+1+Ann"));
        cmd::GameOptions options;
        options.starterName = "Ann";
        ann.send(c::startgame(options));
        // The stage clock runs at the given period: category choice ends soon.
        QVERIFY(ann.waitFor(cmd::CMD_theletters).startsWith("CMD_theletters+3+"));

        ::kill(pid_t(host.processId()), signalNumber);
        QVERIFY(host.waitForFinished(5000));
        QCOMPARE(host.exitStatus(), QProcess::NormalExit);
        QCOMPARE(host.exitCode(), 0);
        QVERIFY(ann.waitForClosed());
    }

    void servesBrowsers_data()
    {
        QTest::addColumn<bool>("web");
        QTest::newRow("web port") << true;
        QTest::newRow("no web") << false;
    }
    void servesBrowsers()
    {
        QFETCH(bool, web);
        const quint16 port = testsupport::freePort();
        const quint16 webPort = testsupport::freePort();
        QStringList args{"--port", QString::number(port), "--web-port", QString::number(webPort)};
        if (!web) args << "--no-web";
        QProcess host;
        host.start(hostExecutable(), args);
        QVERIFY(host.waitForStarted());
        QVERIFY(host.waitForReadyRead(5000));
        QCOMPARE(host.readLine(), "Listening on port " + QByteArray::number(port) + "\n");
        QTcpSocket page;
        page.connectToHost(QHostAddress::LocalHost, webPort);
        if (web) {
            // One line per reachable address, each a link to the web port.
            while (!host.canReadLine())
                QVERIFY(host.waitForReadyRead(5000));
            const QByteArray link = host.readLine();
            QVERIFY2(link.startsWith("Browsers join at http://"), link.constData());
            QVERIFY(link.endsWith(":" + QByteArray::number(webPort) + "/\n"));
            QVERIFY(page.waitForConnected(5000));
            page.write("GET / HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
            QVERIFY(page.waitForReadyRead(5000));
            QVERIFY(page.readAll().startsWith("HTTP/1.1 200 OK\r\n"));
        } else {
            QVERIFY(!page.waitForConnected(5000));
        }
        host.terminate();
        QVERIFY(host.waitForFinished(5000));
        if (!web) QVERIFY(!host.readAllStandardOutput().contains("Browsers"));
    }

    void portInUse()
    {
        QTcpServer taken;
        QVERIFY(taken.listen(QHostAddress::AnyIPv4, 0));
        QProcess host;
        host.start(hostExecutable(), {"--port", QString::number(taken.serverPort())});
        QVERIFY(host.waitForFinished(5000));
        QCOMPARE(host.exitCode(), 1);
        const QByteArray err = host.readAllStandardError();
        QCOMPARE(err.count('\n'), 1);
        QVERIFY(err.contains(QByteArray::number(taken.serverPort())));
        QVERIFY(host.readAllStandardOutput().isEmpty());
    }

    void badArguments()
    {
        QProcess host;
        host.start(hostExecutable(), {"--port", "seventy"});
        QVERIFY(host.waitForFinished(5000));
        QCOMPARE(host.exitCode(), 2);
        QVERIFY(host.readAllStandardError().contains("Usage: quibbleton-host"));
    }
};

QTEST_GUILESS_MAIN(TestHostExe)
#include "tst_hostexe.moc"
