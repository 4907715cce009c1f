// The executables with computer players: a dedicated room with its own
// (quibbleton-host --bots) and quibbleton-bot joining it, leaving on a signal.
#include <QProcess>
#include <QtTest>
#include <csignal>

#include "bots/botoptions.h"
#include "net/commands.h"
#include "tests/support/testsupport.h"

namespace {
QString executable(const char *name)
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../") + name;
}

// A player's arrival; a departed player's place kept for its return is
// announced the same way, marked " (away)", and is no arrival.
QByteArray arrival(testsupport::LoopbackClient &client, const QByteArray &prefix)
{
    for (;;) {
        const QByteArray m = client.waitFor(prefix);
        if (!m.endsWith(" (away)")) return m;
    }
}
} // namespace

class TestBotExe : public QObject
{
    Q_OBJECT
private slots:
    void options_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("count");
        const int run = int(BotOptionsResult::Run), error = int(BotOptionsResult::Error);
        QTest::newRow("host only") << QStringList{"--host", "h"} << run << 1;
        QTest::newRow("all") << QStringList{"--host=h", "--port",  "9",   "--count",
                                            "11",       "--seed",  "3",   "--name-prefix",
                                            "T",        "--level", "hard"}
                             << run << 11;
        QTest::newRow("no host") << QStringList{"--count", "2"} << error << 0;
        QTest::newRow("twelve") << QStringList{"--host", "h", "--count", "12"} << error << 0;
        QTest::newRow("no count") << QStringList{"--host", "h", "--count", "0"} << error << 0;
        QTest::newRow("bad level") << QStringList{"--host", "h", "--level", "x"} << error << 0;
        QTest::newRow("value missing") << QStringList{"--host"} << error << 0;
        QTest::newRow("help") << QStringList{"--help"} << int(BotOptionsResult::Help) << 1;
        QTest::newRow("quiet") << QStringList{"--quiet", "--host", "h"} << run << 1;
    }
    void options()
    {
        QFETCH(QStringList, args);
        QFETCH(int, result);
        QFETCH(int, count);
        BotOptions o;
        QString error;
        QCOMPARE(int(parseBotOptions(QStringList{"quibbleton-bot"} + args, o, error)), result);
        if (result == int(BotOptionsResult::Run)) QCOMPARE(o.count, count);
        QCOMPARE(o.room.quiet, args.contains("--quiet"));
        QCOMPARE(error.isEmpty(), result != int(BotOptionsResult::Error));
    }

    void roomWithComputerPlayersAndVisitors()
    {
        QVERIFY(QFileInfo(executable("quibbleton-bot")).isExecutable());
        QProcess host;
        host.start(executable("quibbleton-host"), {"--port", "0", "--bots", "2", "--seed", "1"});
        QVERIFY(host.waitForReadyRead(5000));
        const quint16 port = host.readLine().trimmed().split(' ').last().toUShort();
        QVERIFY(port != 0);

        testsupport::LoopbackClient ann;
        // The room's own players connected before the host said it listens.
        QVERIFY(ann.connectTo(port));
        const QByteArray slot = ann.waitFor(cmd::CMD_sendlogininfo).mid(18);
        QCOMPARE(slot, QByteArray("3"));
        ann.send(cmd::client::logininfo(3, cmd::GameVersion, "Ann"));
        QVERIFY(ann.waitFor(cmd::CMD_existingplayers).endsWith(" (cpu)"));

        QProcess bots;
        bots.start(executable("quibbleton-bot"),
                   {"--host", "127.0.0.1", "--port", QString::number(port), "--count", "2"});
        // They arrive in either order.
        QSet<QByteArray> arrived;
        for (int i = 0; i < 2; ++i) {
            const QByteArray m = arrival(ann, "CMD_newplayerinfo+");
            // The host renames a name already taken ("Milo (cpu) (2)").
            QVERIFY2(m.contains(" (cpu)"), m.constData());
            arrived.insert(m.split('+').value(1));
        }
        QCOMPARE(arrived, (QSet<QByteArray>{"4", "5"}));
        // Ann, not a computer player, holds the rights.
        cmd::GameOptions o;
        o.starterName = "Ann";
        ann.send(cmd::client::startgame(o));
        QVERIFY(!ann.waitFor(cmd::CMD_startgame).isEmpty());

        ::kill(pid_t(bots.processId()), SIGTERM);
        QVERIFY(bots.waitForFinished(5000));
        QCOMPARE(bots.exitStatus(), QProcess::NormalExit);
        QCOMPARE(bots.exitCode(), 0);
        QVERIFY(!ann.waitFor("CMD_playerdisconnected+5+").isEmpty());

        // The host goes: a computer player whose host disappears ends too.
        QProcess late;
        late.start(executable("quibbleton-bot"),
                   {"--host", "127.0.0.1", "--port", QString::number(port)});
        const QByteArray lateArrival = arrival(ann, "CMD_newplayerinfo+");
        QVERIFY2(lateArrival.contains(" (cpu)"), lateArrival.constData());
        ::kill(pid_t(host.processId()), SIGTERM);
        QVERIFY(host.waitForFinished(5000));
        QCOMPARE(host.exitCode(), 0);
        QVERIFY(late.waitForFinished(5000));
        QCOMPARE(late.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestBotExe)
#include "tst_botexe.moc"
