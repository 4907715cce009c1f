// Staying in the game, on the host's injected clock: kept slots and returns,
// time-outs, strangers, removed players, unique names, the room's chat budget
// and answers taken within one tick.
#include "hosttest.h"

using namespace hosttest;
namespace h = cmd::host;
namespace c = cmd::client;
using Peer = TServer::Peer;
using End = TServerProbe::TestEnd;
Q_DECLARE_METATYPE(TServer::Peer)

namespace {
const Peer AnnsPc{"10.0.0.1", {}, false};
const Peer BobsPc{"10.0.0.2", {}, false};
const Peer Elsewhere{"10.0.0.9", {}, false};
const Peer Phone{"10.0.0.7", "id-phone", true};

// Ann (hosting) and Bob in a running game, Bob in the answer stage with an
// answer and 7 points.
void bobAnswered(Harness &t, const Peer &bob = BobsPc)
{
    t.probe.addTestPlayer(1, "Ann", AnnsPc);
    t.probe.addTestPlayer(2, "Bob", bob);
    t.from(1, Harness::startFields());
    t.runStage();
    t.from(2, c::acro(2, "Big Old Bear"));
    t.probe.record(2).score = 7;
    t.clear();
}

// A new connection from `from` logging in as `name`; returns its first slot.
int comeIn(Harness &t, const Peer &from, const QByteArray &name)
{
    const int slot = t.probe.addTestConnection(from);
    t.from(slot, c::logininfo(slot, cmd::GameVersion, name));
    return slot;
}
} // namespace

class TestRejoin : public QObject
{
    Q_OBJECT

private slots:
    void dropKeepsAndReturnTakesBack()
    {
        Harness t;
        bobAnswered(t);
        t.probe.endTestConnection(2, End::Failed);
        QVERIFY(t.server.isAway(2));
        QCOMPARE(t.server.hostingSlot(), 1);
        QCOMPARE(
            t.events(1),
            (QList<QByteArray>{
                h::notice("Bob lost the connection; the place is kept for 120 seconds.").chopped(1),
                "CMD_newplayerinfo+2+Bob (away)", "CMD_postscores+f+0+0+1+0+0+2+7+0"}));
        t.now += 119000;
        t.server.rejointimerTimer();
        t.clear();

        const int temporary = comeIn(t, BobsPc, "Bob");
        QVERIFY(!t.server.occupied(temporary));
        QVERIFY(!t.server.isAway(2));
        const QList<QByteArray> back = t.events(2);
        QCOMPARE(back.first(), QByteArray("CMD_sendlogininfo+2"));
        QCOMPARE(back.at(1), QByteArray("CMD_newplayerinfo+2+Bob"));
        const qsizetype scores = back.indexOf("CMD_postscores+f+0+0+1+0+0+2+7+0");
        QVERIFY(scores > 0);
        qsizetype letters = -1;
        for (qsizetype i = 0; i < back.size(); ++i)
            if (back[i].startsWith("CMD_theletters+3+")) letters = i;
        QVERIFY(letters > scores);
        QVERIFY(back.contains("CMD_entered+2"));
        QVERIFY(back.contains("CMD_youracro+2+Big Old Bear"));
        QCOMPARE(t.last(1, "CMD_postscores"), QByteArray("CMD_postscores+f+0+0+1+0+0+2+7+0"));
        QVERIFY(t.to(1, "CMD_action").last().startsWith("CMD_action+Bob is back."));

        // Its own login in the slot it was moved to is no second arrival.
        t.clear();
        t.from(2, c::logininfo(2, cmd::GameVersion, "Bob"));
        QVERIFY(t.sent.isEmpty());
        // It plays on: its next answer counts, and votes from it count.
        t.from(2, c::acro(2, "Brave Old Bear"));
        QCOMPARE(t.server.player(2).acro, QByteArray("Brave Old Bear"));
        QCOMPARE(t.server.player(2).score, 7);
    }

    void timeOutIsADeparture()
    {
        Harness t;
        bobAnswered(t);
        t.probe.endTestConnection(2, End::Failed);
        t.now += 120000;
        t.server.rejointimerTimer();
        QVERIFY(!t.server.occupied(2));
        QCOMPARE(t.last(1, "CMD_playerdisconnected"), QByteArray("CMD_playerdisconnected+2+Bob"));
        // After the time the same name is a newcomer.
        const int slot = comeIn(t, BobsPc, "Bob");
        QCOMPARE(slot, 2);
        QCOMPARE(t.server.player(2).score, 0);
    }

    void whoTakesAKeptSlot_data()
    {
        QTest::addColumn<Peer>("from");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("takesIt");
        QTest::addColumn<QByteArray>("named");
        QTest::newRow("same name, same address")
            << BobsPc << QByteArray("Bob") << true << QByteArray("Bob");
        QTest::newRow("other name, same address")
            << BobsPc << QByteArray("Rob") << false << QByteArray("Rob");
        QTest::newRow("same name, other address")
            << Elsewhere << QByteArray("Bob") << false << QByteArray("Bob (2)");
        QTest::newRow("letter case, other address")
            << Elsewhere << QByteArray("bob") << false << QByteArray("bob (2)");
        QTest::newRow("the away mark")
            << Elsewhere << QByteArray("Bob (away)") << false << QByteArray("Bob (2)");
    }

    void whoTakesAKeptSlot()
    {
        QFETCH(Peer, from);
        QFETCH(QByteArray, name);
        QFETCH(bool, takesIt);
        QFETCH(QByteArray, named);
        Harness t;
        bobAnswered(t);
        t.probe.endTestConnection(2, End::Failed);
        const int slot = comeIn(t, from, name);
        QCOMPARE(t.server.isAway(2), !takesIt);
        QCOMPARE(t.server.player(2).score, 7);
        const int seat = takesIt ? 2 : slot;
        QCOMPARE(t.server.player(seat).name, named);
        if (!takesIt) QCOMPARE(t.server.player(seat).score, 0);
    }

    void browserComesBackByItsId()
    {
        Harness t;
        bobAnswered(t, Phone);
        // The web layer closes its connection however the page went.
        t.probe.endTestConnection(2, End::Closed);
        QVERIFY(t.server.isAway(2));
        comeIn(t, Peer{"10.0.0.8", "id-phone", true}, "typed nothing");
        QVERIFY(!t.server.isAway(2));
        QCOMPARE(t.server.player(2).name, QByteArray("Bob"));
        // Another browser with the same name is somebody else.
        t.probe.endTestConnection(2, End::Failed);
        comeIn(t, Peer{"10.0.0.7", "id-other", true}, "Bob");
        QVERIFY(t.server.isAway(2));
        // A page that says it leaves goes at once.
        Harness u;
        bobAnswered(u, Phone);
        u.from(2, c::leaving(2));
        QVERIFY(!u.server.occupied(2));
    }

    void desktopCloseLeavesAtOnce()
    {
        Harness t;
        bobAnswered(t);
        t.probe.endTestConnection(2, End::Closed);
        QVERIFY(!t.server.occupied(2));
        QCOMPARE(t.last(1, "CMD_playerdisconnected"), QByteArray("CMD_playerdisconnected+2+Bob"));
    }

    void hostingRightsWaitForTheirHolder()
    {
        Harness t;
        bobAnswered(t);
        t.probe.endTestConnection(1, End::Failed);
        const int cid = comeIn(t, Elsewhere, "Cid");
        QCOMPARE(t.server.hostingSlot(), 1);
        t.from(cid, c::kickhim(cid, 2));
        QVERIFY(t.server.occupied(2));
        comeIn(t, AnnsPc, "Ann");
        QCOMPARE(t.server.hostingSlot(), 1);
        t.from(1, c::kickhim(1, 2));
        QVERIFY(!t.server.occupied(2));
    }

    void keptSlotsFillTheRoom()
    {
        Harness t;
        for (int s = 1; s <= TServer::LastSlot; ++s)
            t.probe.addTestPlayer(s, "P" + QByteArray::number(s),
                                  Peer{"10.1.0." + QString::number(s), {}, false});
        t.probe.endTestConnection(4, End::Failed);
        QCOMPARE(t.probe.addTestConnection(Elsewhere), TServer::LastRecord);
        t.now += 120000;
        t.server.rejointimerTimer();
        QCOMPARE(t.probe.addTestConnection(Elsewhere), 4);
    }

    void removedStayOut()
    {
        Harness t;
        t.probe.addTestPlayer(1, "Ann", AnnsPc);
        t.probe.addTestPlayer(2, "Bob", BobsPc);
        t.probe.addTestPlayer(3, "Pho", Phone);
        t.from(1, c::kickhim(1, 2));
        t.from(1, c::kickhim(1, 3));
        QCOMPARE(t.server.removedCount(), 3);
        // Whatever name, from the same address or the same browser.
        for (const Peer &again : {BobsPc, Peer{"10.0.0.5", "id-phone", true}}) {
            const int slot = comeIn(t, again, "Someone Else");
            QCOMPARE(t.to(slot).last(), QByteArray("CMD_full+"));
            QVERIFY(!t.server.occupied(slot));
        }
        const int dan = comeIn(t, Elsewhere, "Dan");
        QVERIFY(t.server.occupied(dan));
        // Only the hosting player clears the list.
        t.from(dan, c::clearremoved(dan));
        QCOMPARE(t.server.removedCount(), 3);
        t.from(1, c::clearremoved(1));
        QCOMPARE(t.server.removedCount(), 0);
        QVERIFY(t.server.occupied(comeIn(t, BobsPc, "Bob")));
    }

    void renamesAreBounded()
    {
        Harness t;
        t.probe.addTestPlayer(1, "Ann", AnnsPc);
        const int slot = comeIn(t, Elsewhere, "M0");
        t.from(slot, c::logininfo(slot, cmd::GameVersion, "Ann"));
        QCOMPARE(t.server.player(slot).name, QByteArray("Ann (2)"));
        for (int n = 1; n <= TServer::MaxLogins; ++n)
            t.from(slot, c::logininfo(slot, cmd::GameVersion, "M" + QByteArray::number(n)));
        QCOMPARE(t.server.player(slot).name, QByteArray("M2"));
        t.from(slot, c::chat(slot, "I quit, bye", "clRed"));
        QCOMPARE(t.last(1, "CMD_chat"), QByteArray("CMD_chat+M2 chats: I quit, bye|clRed"));
    }

    void chatBudgetIsSharedFairly()
    {
        // Fourteen senders of 4 KB lines and one who says a short line every
        // second, for a minute of the host's clock.
        Harness t;
        for (int s = 1; s <= TServer::LastSlot; ++s)
            t.probe.addTestPlayer(s, "P" + QByteArray::number(s));
        const QByteArray big(4000, 'x');
        int honest = 0;
        qint64 relayedBytes = 0;
        for (int second = 0; second < 60; ++second) {
            for (int burst = 0; burst < 40; ++burst) {
                for (int s = 1; s < TServer::LastSlot; ++s)
                    t.probe.injectMessage(s, c::chat(s, big, "c").chopped(1));
                t.probe.drainQueue();
            }
            t.from(TServer::LastSlot, c::chat(TServer::LastSlot, "hi", "c"));
            t.now += 1000;
        }
        for (const QByteArray &m : t.to(1, "CMD_chat+")) {
            relayedBytes += m.size();
            if (m.startsWith("CMD_chat+P15 ")) ++honest;
        }
        const qint64 bound = 61LL * TServer::ChatBudgetBytes + TServer::ChatBurstBytes +
                             15LL * (TServer::ChatLineCost + 4100);
        QVERIFY2(relayedBytes <= bound, qPrintable(QString::number(relayedBytes)));
        QVERIFY2(relayedBytes >= 50LL * TServer::ChatBudgetBytes,
                 qPrintable(QString::number(relayedBytes)));
        QCOMPARE(honest, 60);
        QCOMPARE(t.to(1, "CMD_action+The room's chat is busy").size(), 12); // every 5 s
    }

    void answersInOneTickKeepTheirOrder()
    {
        // Three answers within one millisecond, the highest slot first: it is
        // the earliest, for the speed bonus and for the tie.
        Harness t;
        for (int s = 1; s <= 3; ++s)
            t.probe.addTestPlayer(s, "P" + QByteArray::number(s));
        t.from(1, Harness::startFields(100, false, false, false, true));
        t.runStage();
        for (int s = 3; s >= 1; --s) {
            t.from(s, c::acro(s, "Answer " + QByteArray::number(s)));
            QCOMPARE(t.last(1, "CMD_entered"), "CMD_entered+" + QByteArray::number(s));
        }
        t.runStage();
        t.from(1, c::choosenacro(1, 2));
        t.from(2, c::choosenacro(2, 3));
        t.from(3, c::choosenacro(3, 1));
        t.runStage();
        QCOMPARE(t.last(1, "CMD_thevotes"),
                 QByteArray("CMD_thevotes+n+y+n+1+P1+1+n+y+n+2+P2+1+y+y+y+3+P3+1"));
    }
};

QTEST_GUILESS_MAIN(TestRejoin)
#include "tests/host/tserverprobe.h"
#include "tst_rejoin.moc"
