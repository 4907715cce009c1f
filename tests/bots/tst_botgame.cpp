// Computer players in real games over loopback: one scripted person and the
// computer players against a real host whose stage clock runs fast.
#include <QtTest>

#include "../support/testsupport.h"
#include "bots/botroom.h"
#include "game/checkacro.h"
#include "game/wordfilter.h"
#include "host/tserver.h"
#include "net/commands.h"

namespace c = cmd::client;
using testsupport::LoopbackClient;

namespace {

// A person: logs in, answers every round it may, votes for the first answer
// that is not its own; everything it hears stays in `heard`.
struct Human
{
    LoopbackClient link;
    int slot = 0;
    QList<QByteArray> heard;
    QByteArray letters;
    bool inBonus = true;
    QList<QByteArray> invalid; // answers that fail the client's check

    bool join(quint16 port, const QByteArray &name)
    {
        if (!link.connectTo(port)) return false;
        const QByteArray login = link.waitFor(cmd::CMD_sendlogininfo);
        slot = login.mid(login.indexOf('+') + 1).toInt();
        link.send(c::logininfo(slot, cmd::GameVersion, name));
        return slot > 0;
    }

    // Plays along until a message starting with `until` arrives.
    QByteArray playUntil(const QByteArray &until, int timeoutMs = 30000)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            while (!link.messages.isEmpty()) {
                const QByteArray m = link.messages.takeFirst();
                heard.append(m);
                react(m);
                if (m.startsWith(until)) return m;
            }
            QTest::qWait(2);
        }
        return QByteArray();
    }

    void react(const QByteArray &m)
    {
        if (m.startsWith("CMD_inbonus+"))
            inBonus = m.mid(12).split(',').contains(QByteArray::number(slot));
        if (m.startsWith("CMD_cats+")) inBonus = true;
        if (m.startsWith("CMD_theletters+")) letters = m.split('+').value(2);
        if (m.startsWith("CMD_theletters+") && inBonus) {
            QByteArrayList words;
            for (char l : letters)
                words.append(QByteArray(1, l) + "oo");
            link.send(c::acro(slot, words.join(' ')));
        }
        if (m.startsWith("CMD_anacro")) {
            const QByteArrayList f = m.split('+');
            for (int i = 1; i + 1 < f.size(); i += 2)
                if (!checkAcroText(QString::fromUtf8(f[i + 1]), QString::fromLatin1(letters),
                                   int(letters.size()), true)
                         .accepted)
                    invalid.append(f[i + 1]);
            for (int i = 1; i + 1 < f.size(); i += 2)
                if (f[i].toInt() != slot) {
                    link.send(c::choosenacro(slot, f[i].toInt()));
                    break;
                }
        }
    }

    QList<QByteArray> heardOf(const QByteArray &prefix) const
    {
        QList<QByteArray> out;
        for (const QByteArray &m : heard)
            if (m.startsWith(prefix)) out.append(m);
        return out;
    }
};

cmd::GameOptions quickGame(int playTo, bool team)
{
    cmd::GameOptions o;
    o.starterName = "You";
    o.playTo = playTo;
    o.creationSeconds = 12;
    o.playBonus = true;
    o.bonusLetters = 8;
    o.teamGame = team;
    o.winningBonus = false;
    return o;
}

struct Room
{
    TServer server;
    // Declared after the host, so the players leave before the host goes.
    std::unique_ptr<BotRoom> botRoom;
    BotRoom *bots = nullptr;
    bool listening = false;

    explicit Room(int tickMs, bool quiet = false)
    {
        server.setSeed(99);
        server.setStageInterval(tickMs);
        listening = server.startListening(QStringLiteral("0"));
        BotRoomConfig config;
        config.port = server.listeningPort();
        config.seed = 5;
        config.quiet = quiet;
        botRoom = std::make_unique<BotRoom>(config);
        bots = botRoom.get();
        bots->portHook = [this](quint16 port, bool on) { server.markComputerPort(port, on); };
    }
    bool waitForBots(int n)
    {
        return QTest::qWaitFor([&] {
            int in = 0;
            for (BotPlayer *b : bots->players())
                in += b->slot() > 0;
            return in == n;
        });
    }
};

} // namespace

class TestBotGame : public QObject
{
    Q_OBJECT
private slots:
    void soloGameToAWinnerWithABonusRound()
    {
        Room room(15);
        QVERIFY(room.listening);
        Human you;
        QVERIFY(you.join(room.server.listeningPort(), "You"));
        room.bots->setCount(3);
        QVERIFY(room.waitForBots(3));
        QSet<QByteArray> names;
        for (BotPlayer *b : room.bots->players()) {
            QVERIFY(b->name().endsWith(" (cpu)"));
            names.insert(b->name());
            QVERIFY(room.server.isComputerSlot(b->slot()));
        }
        QCOMPARE(names.size(), 3);
        QCOMPARE(room.server.hostingSlot(), you.slot);

        you.link.send(c::startgame(quickGame(12, false)));
        const QByteArray winner = you.playUntil(cmd::CMD_winner, 60000);
        QVERIFY(!winner.isEmpty());
        QCOMPARE(you.heardOf("CMD_inbonus+").size(), 1);
        // Every computer player answered and voted in the rounds.
        QSet<QByteArray> answered;
        for (const QByteArray &m : you.heardOf("CMD_entered+"))
            answered.insert(m.mid(12));
        QCOMPARE(answered.size(), 4);
        QCOMPARE(you.invalid, QList<QByteArray>());
        int votesForYou = 0, votes = 0;
        for (const QByteArray &m : you.heardOf("CMD_thevotes")) {
            const QByteArrayList f = m.split('+');
            for (int i = 1; i + 5 < f.size(); i += 6) {
                votes += f[i + 5].toInt();
                if (f[i + 3].toInt() == you.slot) votesForYou += f[i + 5].toInt();
            }
        }
        QVERIFY(votes > 0);
        // A chooser picked a category other than the default now and then.
        bool chosen = false;
        for (const QByteArray &m : you.heardOf("CMD_catchoosen+"))
            chosen = chosen || m != "CMD_catchoosen+General";
        QVERIFY(chosen);
        Q_UNUSED(votesForYou);
        // A word in the chat now and then: never two lines a round from one
        // player, and nothing the family filter would touch.
        QHash<QByteArray, int> inRound;
        int lines = 0;
        for (const QByteArray &m : std::as_const(you.heard)) {
            if (m.startsWith("CMD_cats") || m.startsWith("CMD_inbonus")) inRound.clear();
            if (!m.startsWith("CMD_chat+")) continue;
            const int says = m.indexOf(" chats: ");
            QVERIFY(says > 0);
            const QByteArray name = m.mid(9, says - 9);
            QVERIFY(name.endsWith(" (cpu)"));
            QVERIFY2(++inRound[name] == 1, m.constData());
            const QString text = QString::fromUtf8(m.mid(says + 8));
            QCOMPARE(WordFilter::filterWords(text), text);
            ++lines;
        }
        QVERIFY(lines > 0);
    }

    void teamGameIsBalanced()
    {
        // Quiet players: not a word in the chat.
        Room room(15, true);
        Human you;
        QVERIFY(you.join(room.server.listeningPort(), "You"));
        room.bots->setCount(3);
        QVERIFY(room.waitForBots(3));
        you.link.send(c::startgame(quickGame(50, true)));
        QVERIFY(!you.playUntil(cmd::CMD_teamgame).isEmpty());
        you.link.send(c::chooseteam(you.slot, 1));
        const QByteArray list = you.playUntil("CMD_histeam+");
        const QByteArrayList f = list.split('+');
        int yellow = 0, white = 0;
        for (int i = 2; i < f.size(); i += 2)
            (f[i] == "1" ? yellow : white)++;
        QCOMPARE(yellow, 2);
        QCOMPARE(white, 2);
        // A late computer player joins the smaller side.
        room.bots->addBot();
        const QByteArray late = you.playUntil("CMD_histeam+");
        QVERIFY(late.endsWith("+1"));
        QVERIFY(you.heardOf(cmd::CMD_chat).isEmpty());
    }

    void removedMidRoundLeavesCleanly()
    {
        Room room(15);
        Human you;
        QVERIFY(you.join(room.server.listeningPort(), "You"));
        room.bots->setCount(3);
        QVERIFY(room.waitForBots(3));
        you.link.send(c::startgame(quickGame(50, false)));
        QVERIFY(!you.playUntil(cmd::CMD_theletters).isEmpty());
        const int slot = room.bots->players().last()->slot();
        const QByteArray name = room.bots->players().last()->name();
        QVERIFY(room.bots->removeBot());
        QCOMPARE(room.bots->count(), 2);
        QCOMPARE(you.playUntil(cmd::CMD_playerdisconnected),
                 "CMD_playerdisconnected+" + QByteArray::number(slot) + "+" + name);
        // The round goes on with the others.
        QVERIFY(!you.playUntil(cmd::CMD_anacro).isEmpty());
        QVERIFY(!you.playUntil(cmd::CMD_thevotes).isEmpty());
        room.bots->stopAll();
        QCOMPARE(room.bots->count(), 0);
    }

    void hostGoneEndsEveryPlayer()
    {
        Room room(15);
        room.bots->setCount(2);
        QVERIFY(room.waitForBots(2));
        QSignalSpy empty(room.bots, &BotRoom::empty);
        room.server.closeAll();
        QVERIFY(empty.wait(5000) || empty.size() == 1);
        QCOMPARE(room.bots->count(), 0);
    }

    void hostingRightsGoToTheFirstPerson()
    {
        // A dedicated room: its computer players join before anybody.
        Room room(1000);
        room.bots->setCount(3);
        QVERIFY(room.waitForBots(3));
        QCOMPARE(room.server.hostingSlot(), 0);
        Human impostor;
        // A person calling itself a computer player is a person all the same.
        QVERIFY(impostor.join(room.server.listeningPort(), "Ann (cpu)"));
        QCOMPARE(room.server.hostingSlot(), impostor.slot);
        QVERIFY(!room.server.isComputerSlot(impostor.slot));
        Human bob;
        QVERIFY(bob.join(room.server.listeningPort(), "Bob"));
        bob.link.send(c::kickhim(bob.slot, 2));
        impostor.link.send(c::startgame(quickGame(30, false)));
        QVERIFY(!bob.playUntil(cmd::CMD_startgame).isEmpty());
        QVERIFY(bob.heardOf(cmd::CMD_playerdisconnected).isEmpty());
        // The holder leaves: rights wait for the next person, never a computer player.
        impostor.link.socket.disconnectFromHost();
        QVERIFY(!bob.playUntil(cmd::CMD_playerdisconnected).isEmpty());
        QCOMPARE(room.server.hostingSlot(), 0);
        room.bots->addBot();
        QVERIFY(room.waitForBots(4));
        QCOMPARE(room.server.hostingSlot(), 0);
        Human cid;
        QVERIFY(cid.join(room.server.listeningPort(), "Cid"));
        QCOMPARE(room.server.hostingSlot(), cid.slot);
    }
};

QTEST_GUILESS_MAIN(TestBotGame)
#include "tst_botgame.moc"
