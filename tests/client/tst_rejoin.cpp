// End to end: a real connection between a player's window and a real host is
// cut by a proxy in the test (a reset on both sides); the window comes back by
// itself, into the same slot with its score, and an orderly close by the host
// still ends the room.
#include <QTcpServer>
#include <sys/socket.h>

#include "chattest.h"
#include "client/playerboard.h"
#include "host/tserver.h"
#include "tests/host/tserverprobe.h"

namespace {

// Forwards every connection it accepts to the host's port.
class CutProxy : public QObject
{
public:
    explicit CutProxy(quint16 target) : target(target)
    {
        server.listen(QHostAddress::LocalHost, 0);
        connect(&server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *in = server.nextPendingConnection()) {
                auto *out = new QTcpSocket(this);
                out->connectToHost(QHostAddress::LocalHost, this->target);
                connect(in, &QTcpSocket::readyRead, out, [in, out] { out->write(in->readAll()); });
                connect(out, &QTcpSocket::readyRead, in, [in, out] { in->write(out->readAll()); });
                // An orderly close goes through as one.
                connect(out, &QTcpSocket::disconnected, in, &QTcpSocket::disconnectFromHost);
                connect(in, &QTcpSocket::disconnected, out, &QTcpSocket::disconnectFromHost);
                pairs.append(qMakePair(in, out));
            }
        });
    }
    quint16 port() const { return server.serverPort(); }
    void pause() { server.pauseAccepting(); }
    void resume() { server.resumeAccepting(); }
    // Both sides see a reset, as when a network goes away under a game.
    void cut()
    {
        for (const auto &pair : std::as_const(pairs))
            for (QTcpSocket *s : {pair.first, pair.second})
                s->blockSignals(true);
        for (const auto &pair : std::as_const(pairs))
            for (QTcpSocket *s : {pair.first, pair.second}) {
                const linger abortive = {1, 0};
                ::setsockopt(int(s->socketDescriptor()), SOL_SOCKET, SO_LINGER, &abortive,
                             sizeof abortive);
                s->abort();
            }
        pairs.clear();
    }

private:
    QTcpServer server;
    quint16 target;
    QList<QPair<QTcpSocket *, QTcpSocket *>> pairs;
};

} // namespace

class TestRejoin : public QObject
{
    Q_OBJECT

private slots:
    void comesBackByItselfWithItsScore()
    {
        TServer server;
        QVERIFY(server.startListening(QStringLiteral("0")));
        CutProxy proxy(server.listeningPort());

        testsupport::LoopbackClient ann;
        QVERIFY(ann.connectTo(server.listeningPort()));
        QCOMPARE(ann.waitFor(cmd::CMD_sendlogininfo), QByteArray("CMD_sendlogininfo+1"));
        ann.send(cmd::client::logininfo(1, cmd::GameVersion, "Ann"));

        ChatFixture f;
        f.chat->setReconnectWaits(20, 200);
        f.chat->setGamePort(proxy.port());
        f.chat->state().ownName = QStringLiteral("Bob");
        f.chat->state().hostAddress = QStringLiteral("127.0.0.1");
        f.chat->joinpress();
        QTRY_VERIFY(f.lines().contains(QStringLiteral("You are Connected.")));
        QCOMPARE(f.chat->state().ownSlot, 2);
        cmd::GameOptions game;
        game.starterName = "Ann";
        ann.send(cmd::client::startgame(game));
        QTRY_VERIFY(server.gameRunning());
        TServerProbe(server).record(2).score = 7;

        proxy.pause();
        proxy.cut();
        QTRY_VERIFY(server.isAway(2));
        QTRY_VERIFY(f.chat->reconnecting());
        QVERIFY(!ann.waitFor("CMD_newplayerinfo+2+Bob (away)").isEmpty());
        proxy.resume();

        QTRY_VERIFY(!f.chat->reconnecting());
        QVERIFY(!server.isAway(2));
        QCOMPARE(f.chat->state().ownSlot, 2);
        QVERIFY(f.chat->state().loggedIn);
        QTRY_COMPARE(f.chat->board().score(2), QStringLiteral("7"));
        const QStringList lines = f.lines();
        QVERIFY(lines.indexOf(QString::fromUtf8("Reconnecting\u2026")) <
                lines.indexOf(QStringLiteral("Back in the room.")));
        QVERIFY(!ann.waitFor("CMD_action+Bob is back.").isEmpty());
        QCOMPARE(server.player(2).score, 7);

        // It plays on over the new connection; then the host ends the room.
        f.chat->sendToHost(cmd::client::chat(2, "still here", "clRed"));
        QVERIFY(!ann.waitFor("CMD_chat+Bob chats: still here").isEmpty());
        QCOMPARE(f.ended, 0);
        server.closeAll();
        QTRY_COMPARE(f.ended, 1);
        QVERIFY(!f.chat->reconnecting());
    }

    // The board shows a player away and back without a new arrival line, and
    // keeps its score.
    void awayAndBackOnTheBoard()
    {
        ChatFixture f;
        QVERIFY(f.login(3));
        f.arrive(3);
        f.receive(cmd::host::newplayerinfo(2, "Ann"));
        f.chat->board().setScore(2, QStringLiteral("5"));
        const qsizetype shown = f.lines().size();
        for (const QByteArray &name : {QByteArray("Ann (away)"), QByteArray("Ann")}) {
            f.receive(cmd::host::newplayerinfo(2, name));
            QCOMPARE(f.chat->board().caption(2), QString::fromUtf8(name));
            QCOMPARE(f.chat->board().score(2), QStringLiteral("5"));
            QCOMPARE(f.lines().size(), shown);
        }
    }
};

QTEST_MAIN(TestRejoin)
#include "tst_rejoin.moc"
