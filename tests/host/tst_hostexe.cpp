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
        QTest::newRow("defaults") << QStringList{} << run << 7772 << 1000 << qint64(-1);
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
