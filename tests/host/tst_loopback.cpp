// Whole games over real TCP on 127.0.0.1 with scripted clients. The stage
// clock is driven by the test while the sockets deliver; the pump runs on
// its own timer.
#include <QtTest>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "host/tserver.h"
#include "net/commands.h"
#include "tests/support/stages.h"
#include "tests/support/testsupport.h"

using testsupport::acroFor;
using testsupport::LoopbackClient;
namespace c = cmd::client;

namespace {
// Far beyond any test's life: the test moves the stage clock itself.
const int HeldStageClockMs = 3600 * 1000;

struct Player
{
    std::unique_ptr<LoopbackClient> client = std::make_unique<LoopbackClient>();
    int slot = 0;
    void send(const QByteArray &message) { client->send(message); }
    QByteArray waitFor(const QByteArray &prefix) { return client->waitFor(prefix); }
};

class Table
{
public:
    Table()
    {
        server.setSeed(7);
        server.setStageInterval(HeldStageClockMs);
        listening = server.startListening(QStringLiteral("0"));
    }

    // Connects and logs in; the slot comes from the host.
    Player &join(const QByteArray &name)
    {
        players.emplace_back();
        Player &p = players.back();
        if (!p.client->connectTo(server.listeningPort())) return p;
        const QByteArray reply = p.waitFor(cmd::CMD_sendlogininfo);
        p.slot = reply.mid(int(qstrlen(cmd::CMD_sendlogininfo)) + 1).toInt();
        p.send(c::logininfo(p.slot, cmd::GameVersion, name));
        p.waitFor("CMD_newplayerinfo+" + QByteArray::number(p.slot) + "+" + name);
        return p;
    }

    void runStage() { testsupport::runStage(server); }

    bool waitUntil(const std::function<bool()> &condition)
    {
        QDeadlineTimer deadline(5000);
        while (!condition()) {
            if (deadline.hasExpired()) return false;
            QTest::qWait(5);
        }
        return true;
    }

    TServer server;
    std::deque<Player> players;
    bool listening = false;
};

QByteArray lettersOf(const QByteArray &message)
{
    return message.split('+').value(2);
}

cmd::GameOptions options(int playTo, bool bonus, bool team, bool autoRestart = false)
{
    cmd::GameOptions o;
    o.starterName = "Ann";
    o.playTo = playTo;
    o.creationSeconds = 60;
    o.playBonus = bonus;
    o.bonusLetters = 8;
    o.teamGame = team;
    o.winningBonus = true;
    o.speedBonus = false;
    o.maxLetters = 7;
    o.autoRestart = autoRestart;
    return o;
}
} // namespace

class TestLoopback : public QObject
{
    Q_OBJECT

    // One round: the chooser picks, everyone listed in `answering` answers,
    // the votes go as given (slot -> slot), and the results come back.
    void playRound(Table &t, const QList<int> &answering, const QList<QPair<int, int>> &votes,
                   const QByteArray &category = "Animals")
    {
        const int chooser = t.server.chooser();
        for (Player &p : t.players)
            if (p.slot == chooser) p.send(c::catchoosen(p.slot, category));
        QVERIFY(t.waitUntil([&] { return t.server.currentCategory() == category; }));
        t.runStage();
        QByteArray letters;
        for (Player &p : t.players) {
            QCOMPARE(p.waitFor(cmd::CMD_catchoosen), "CMD_catchoosen+" + category);
            letters = lettersOf(p.waitFor(cmd::CMD_theletters));
            QVERIFY(!letters.isEmpty());
        }
        for (int s : answering)
            t.players[s - 1].send(c::acro(s, acroFor(letters, "x" + QByteArray::number(s))));
        QVERIFY(t.waitUntil([&] {
            for (int s : answering)
                if (t.server.player(s).acro.isEmpty()) return false;
            return true;
        }));
        t.runStage();
        for (Player &p : t.players)
            QVERIFY(!p.waitFor(cmd::CMD_anacro).isEmpty());
        for (const auto &[voter, voted] : votes)
            t.players[voter - 1].send(c::choosenacro(voter, voted));
        QVERIFY(t.waitUntil([&] {
            for (const auto &[voter, voted] : votes)
                if (t.server.player(voter).vote != voted) return false;
            return true;
        }));
        t.runStage(); // the votes are counted
        t.runStage(); // the scores go out
        for (Player &p : t.players)
            QVERIFY(!p.waitFor(cmd::CMD_postscores).isEmpty());
    }

private slots:
    void gameWithBonusRound()
    {
        Table t;
        QVERIFY(t.listening);
        t.join("Ann");
        t.join("Bob");
        t.join("Cid");
        QCOMPARE(t.players[2].slot, 3);
        t.players[0].send(c::startgame(options(5, true, false)));
        for (Player &p : t.players)
            QCOMPARE(p.waitFor(cmd::CMD_cats), QByteArray("CMD_cats+3+"));

        playRound(t, {1, 2, 3}, {{1, 2}, {2, 3}, {3, 2}});
        QCOMPARE(t.server.player(2).score, 7);
        t.runStage(); // Bob reached 5: the bonus round is next
        for (Player &p : t.players)
            QCOMPARE(p.waitFor(cmd::CMD_inbonus), QByteArray("CMD_inbonus+2,3"));

        playRound(t, {2, 3}, {{1, 3}, {2, 3}, {3, 2}}, "Bonus");
        for (Player &p : t.players)
            QCOMPARE(p.waitFor(cmd::CMD_winner), QByteArray("CMD_winner+Cid"));
        QVERIFY(!t.server.gameRunning());
    }

    void teamGame()
    {
        Table t;
        QVERIFY(t.listening);
        for (const char *name : {"Ann", "Bob", "Cid", "Dan"})
            t.join(name);
        t.players[0].send(c::startgame(options(3, false, true)));
        for (Player &p : t.players)
            p.waitFor(cmd::CMD_teamgame);
        t.players[1].send(c::chooseteam(2, 2));
        t.players[2].send(c::chooseteam(3, 2));
        QVERIFY(t.waitUntil([&] { return t.server.player(3).team == 2; }));
        t.runStage();
        for (Player &p : t.players)
            QCOMPARE(p.waitFor("CMD_histeam+"), QByteArray("CMD_histeam+1+1+2+2+3+2+4+1"));
        playRound(t, {1, 2, 3, 4}, {{1, 3}, {2, 3}, {3, 1}, {4, 3}});
        t.runStage();
        for (Player &p : t.players)
            QCOMPARE(p.waitFor(cmd::CMD_winner), QByteArray("CMD_winner+The White Team"));
    }

    void autoRestart()
    {
        Table t;
        QVERIFY(t.listening);
        t.join("Ann");
        t.join("Bob");
        t.join("Cid");
        t.players[0].send(c::startgame(options(1, false, false, true)));
        for (Player &p : t.players)
            p.waitFor(cmd::CMD_cats);
        playRound(t, {1, 2}, {{1, 2}, {2, 1}, {3, 2}});
        t.runStage();
        QCOMPARE(t.players[1].waitFor(cmd::CMD_winner), QByteArray("CMD_winner+Bob"));
        t.runStage();
        for (Player &p : t.players)
            QCOMPARE(p.waitFor(cmd::CMD_startgame), QByteArray("CMD_startgame+Ann+1+60+f+8+t+f+"));
        QVERIFY(t.server.gameRunning());
    }

    void leaveAndJoinMidRound()
    {
        Table t;
        QVERIFY(t.listening);
        t.join("Ann");
        t.join("Bob");
        t.join("Cid");
        t.players[0].send(c::startgame(options(50, false, false)));
        for (Player &p : t.players)
            p.waitFor(cmd::CMD_cats);
        t.runStage();
        t.players[1].send(c::acro(2, "Bob Was Here"));
        QVERIFY(t.waitUntil([&] { return !t.server.player(2).acro.isEmpty(); }));

        t.players[1].client->socket.disconnectFromHost();
        QCOMPARE(t.players[0].waitFor(cmd::CMD_playerdisconnected),
                 QByteArray("CMD_playerdisconnected+2+Bob"));
        QCOMPARE(t.players[2].waitFor(cmd::CMD_playerdisconnected),
                 QByteArray("CMD_playerdisconnected+2+Bob"));

        // Dan takes the free slot in the middle of the round and plays it.
        Player &dan = t.join("Dan");
        QCOMPARE(dan.slot, 2);
        QCOMPARE(dan.waitFor(cmd::CMD_existingplayers), QByteArray("CMD_existingplayers+1+Ann"));
        QCOMPARE(dan.waitFor(cmd::CMD_stats), QByteArray("CMD_stats+2+50+60+f"));
        QCOMPARE(t.server.slotCount(), 3);
        dan.send(c::acro(2, "Dan Is New"));
        t.players[2].send(c::acro(3, "Cid Too"));
        QVERIFY(t.waitUntil([&] {
            return t.server.player(2).acro == "Dan Is New" && !t.server.player(3).acro.isEmpty();
        }));
        t.runStage();
        QCOMPARE(dan.waitFor(cmd::CMD_anacro), QByteArray("CMD_anacro+2+Dan Is New+3+Cid Too"));
        QCOMPARE(dan.waitFor(cmd::CMD_dovote), QByteArray("CMD_dovote+2"));
    }

    void fullTableAndKick()
    {
        Table t;
        QVERIFY(t.listening);
        for (int i = 1; i <= 15; ++i)
            t.join("P" + QByteArray::number(i));
        QCOMPARE(t.players[14].slot, 15);
        LoopbackClient extra;
        QVERIFY(extra.connectTo(t.server.listeningPort()));
        QCOMPARE(extra.waitFor(cmd::CMD_full), QByteArray("CMD_full+"));
        QVERIFY(extra.waitForClosed());
        QCOMPARE(t.server.slotCount(), 15);

        t.players[0].send(c::kickhim(1, 5));
        QVERIFY(t.players[4].client->waitForClosed());
        QCOMPARE(t.players[14].waitFor(cmd::CMD_playerdisconnected),
                 QByteArray("CMD_playerdisconnected+5+P5"));
        Player &late = t.join("Late");
        QCOMPARE(late.slot, 5);
    }

    // A reset instead of an orderly close is a departure all the same.
    void connectionResetIsADeparture()
    {
        Table t;
        QVERIFY(t.listening);
        t.join("Ann");
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        QVERIFY(fd >= 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(t.server.listeningPort());
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        QCOMPARE(::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        QVERIFY(t.waitUntil([&] { return t.server.occupied(2); }));
        const linger abortive = {1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
        ::close(fd);
        QCOMPARE(t.players[0].waitFor(cmd::CMD_playerdisconnected),
                 QByteArray("CMD_playerdisconnected+2+"));
        QVERIFY(!t.server.occupied(2));
    }

    // A long session of comings and goings (leaving, kicked, refused when
    // full) leaves no closed connections behind on the listener.
    void departedConnectionsAreFreed()
    {
        Table t;
        QVERIFY(t.listening);
        t.join("Ann");
        for (int i = 2; i <= 15; ++i)
            t.join("P" + QByteArray::number(i));
        const qsizetype seated = t.server.listener()->children().size();
        for (int round = 0; round < 20; ++round) {
            Player &left = t.players.at(1);
            const int leftSlot = left.slot;
            left.client->socket.disconnectFromHost();
            QVERIFY(t.waitUntil([&] { return !t.server.occupied(leftSlot); }));
            t.players.erase(t.players.begin() + 1);

            Player &kicked = t.players.at(1);
            const int kickedSlot = kicked.slot;
            t.players[0].send(c::kickhim(1, kickedSlot));
            QVERIFY(kicked.client->waitForClosed());
            t.players.erase(t.players.begin() + 1);

            QCOMPARE(t.join("A" + QByteArray::number(round)).slot, leftSlot);
            QCOMPARE(t.join("B" + QByteArray::number(round)).slot, kickedSlot);
            LoopbackClient refused;
            QVERIFY(refused.connectTo(t.server.listeningPort()));
            QCOMPARE(refused.waitFor(cmd::CMD_full), QByteArray("CMD_full+"));
            QVERIFY(refused.waitForClosed());
        }
        QVERIFY(t.waitUntil([&] { return t.server.listener()->children().size() <= seated; }));
    }

    void endlessMessageIsCutOff()
    {
        Table t;
        QVERIFY(t.listening);
        t.join("Ann");
        Player &bob = t.join("Bob");
        bob.send(QByteArray(framing::MaxPending + 4096, 'z'));
        QVERIFY(bob.client->waitForClosed());
        QCOMPARE(t.players[0].waitFor(cmd::CMD_playerdisconnected),
                 QByteArray("CMD_playerdisconnected+2+Bob"));
        t.players[0].send(c::chat(1, "on we go", "clRed"));
        QCOMPARE(t.players[0].waitFor(cmd::CMD_chat),
                 QByteArray("CMD_chat+Ann chats: on we go|clRed"));
    }

    void stageClockRunsByItself()
    {
        Table t;
        QVERIFY(t.listening);
        t.server.setStageInterval(2);
        Player &ann = t.join("Ann");
        ann.send(c::startgame(options(30, false, false)));
        QVERIFY(!ann.waitFor(cmd::CMD_theletters).isEmpty());
    }

    void portInUse()
    {
        Table t;
        QVERIFY(t.listening);
        TServer second;
        QVERIFY(!second.startListening(QString::number(t.server.listeningPort())));
        QVERIFY(!second.lastListenError().isEmpty());
        QCOMPARE(second.listeningPort(), quint16(0));
    }
};

QTEST_GUILESS_MAIN(TestLoopback)
#include "tst_loopback.moc"
