// The host's pump: arrival order over real loopback, each connection's fair
// share under floods (counted on the host's clock, never timed), and slots
// freed from connections that never log in.
#include <QtTest>
#include <deque>
#include <memory>

#include "host/tserver.h"
#include "hosttest.h"
#include "net/commands.h"
#include "tests/support/testsupport.h"

using testsupport::LoopbackClient;

namespace {

struct Peer
{
    std::unique_ptr<LoopbackClient> client = std::make_unique<LoopbackClient>();
    int slot = 0;
};

// Connects to the host; logs in under `name` unless it is empty.
bool join(TServer &server, Peer &p, const QByteArray &name)
{
    if (!p.client->connectTo(server.listeningPort())) return false;
    const QByteArray reply = p.client->waitFor(cmd::CMD_sendlogininfo);
    p.slot = reply.mid(int(qstrlen(cmd::CMD_sendlogininfo)) + 1).toInt();
    if (p.slot == 0 || name.isEmpty()) return p.slot != 0;
    p.client->send(cmd::client::logininfo(p.slot, cmd::GameVersion, name));
    return !p.client->waitFor("CMD_newplayerinfo+" + QByteArray::number(p.slot)).isEmpty();
}

QByteArray lines(int slot, const QByteArray &tag, int first, int last)
{
    QByteArray out;
    for (int i = first; i <= last; ++i)
        out += cmd::client::chat(slot, "#" + tag + QByteArray::number(i) + "|", "clRed");
    return out;
}

// The tags of the relayed chat lines, in the order they arrived.
QList<QByteArray> relayed(const LoopbackClient &c)
{
    QList<QByteArray> out;
    for (const QByteArray &m : c.messages) {
        const int mark = m.indexOf('#');
        const int bar = m.indexOf('|', mark);
        if (m.startsWith(cmd::CMD_chat) && mark > 0 && bar > mark)
            out.append(m.mid(mark + 1, bar - mark - 1));
    }
    return out;
}

} // namespace

class TestPump : public QObject
{
    Q_OBJECT

private slots:
    void arrivalOrderOverLoopback();
    void floodBound_data();
    void floodBound();
    void silentConnectionsLoseTheirSlots();
};

void TestPump::arrivalOrderOverLoopback()
{
    qint64 now = 1000;
    TServer server;
    server.setClock([&now] { return now; });
    QVERIFY(server.startListening(QStringLiteral("0")));
    std::deque<Peer> peers(4); // observer, flooder, a, b
    for (int i = 0; i < 4; ++i)
        QVERIFY(join(server, peers[i], "P" + QByteArray::number(i)));
    now += 1000; // the logins' shares are whole again
    LoopbackClient &observer = *peers[0].client;
    const int burst = TServer::ShareBurst;

    // The flooder's burst goes at once; the rest of its lines wait for shares
    // while the others' lines, sent later, pass them in the order they came.
    peers[1].client->send(lines(peers[1].slot, "f", 1, burst + 10));
    QTRY_VERIFY(relayed(observer).contains("f" + QByteArray::number(burst)));
    peers[2].client->send(lines(peers[2].slot, "a", 1, 3));
    QTRY_VERIFY(relayed(observer).contains("a3"));
    peers[3].client->send(lines(peers[3].slot, "b", 1, 3));
    QTRY_VERIFY(relayed(observer).contains("b3"));
    QVERIFY(!relayed(observer).contains("f" + QByteArray::number(burst + 1)));

    now += 1000;
    QTRY_VERIFY(relayed(observer).contains("f" + QByteArray::number(burst + 10)));
    QList<QByteArray> expected;
    for (int i = 1; i <= burst; ++i)
        expected << "f" + QByteArray::number(i);
    expected << "a1"
             << "a2"
             << "a3"
             << "b1"
             << "b2"
             << "b3";
    for (int i = burst + 1; i <= burst + 10; ++i)
        expected << "f" + QByteArray::number(i);
    QCOMPARE(relayed(observer), expected);
}

void TestPump::floodBound_data()
{
    QTest::addColumn<int>("flooders");
    QTest::newRow("one flooder") << 1;
    QTest::newRow("fourteen flooders") << 14;
}

void TestPump::floodBound()
{
    // Flooders keep just under the queue limit waiting; the honest player in
    // slot 15 says a line every 50 ms. Time moves only when the test says so.
    QFETCH(int, flooders);
    hosttest::Harness t;
    // The pump's own shares, without the room's chat budget on top.
    t.server.setChatBudget(0);
    QList<QByteArray> names;
    for (int s = 1; s <= TServer::LastSlot; ++s)
        names << "P" + QByteArray::number(s);
    t.seat(names);
    const int honest = TServer::LastSlot;
    const int backlog = TServer::MaxQueuedPerConnection - 50;
    for (int f = 1; f <= flooders; ++f)
        t.probe.injectBytes(f, lines(f, "f", 1, backlog));

    const int stepMs = 10, steps = 200;
    int said = 0;
    for (int step = 1; step <= steps; ++step) {
        t.now += stepMs;
        if (step % 5 == 0) {
            ++said;
            t.probe.injectBytes(honest, lines(honest, "h", said, said));
        }
        for (int i = 0; i < 20 * (flooders + 1); ++i)
            t.server.socktimerTimer();
        // Every honest line has gone out to everyone within its own step.
        QCOMPARE(t.to(1, "CMD_chat+P15 ").size(), said);
        QCOMPARE(t.recipients(t.last(1, "CMD_chat+P15 ")).size(), said ? TServer::LastSlot : 0);
    }
    const int elapsedMs = stepMs * steps;
    const int bound = TServer::ShareBurst + TServer::ShareRate * elapsedMs / 1000;
    for (int f = 1; f <= flooders; ++f) {
        const int handled = int(t.to(1, "CMD_chat+P" + QByteArray::number(f) + " ").size());
        QVERIFY2(handled <= bound, qPrintable(QString::number(handled)));
        QVERIFY2(handled >= bound - 1, qPrintable(QString::number(handled))); // not starved
        QVERIFY(t.server.occupied(f));
    }
}

void TestPump::silentConnectionsLoseTheirSlots()
{
    // Fourteen connections that never log in would keep everyone else out.
    hosttest::Harness t;
    QVERIFY(t.server.startListening(QStringLiteral("0")));
    Peer player, silent;
    QVERIFY(join(t.server, player, "Ann"));
    QVERIFY(join(t.server, silent, QByteArray()));
    while (t.probe.addTestConnection() != TServer::LastRecord) {
    }
    Peer refused;
    QVERIFY(refused.client->connectTo(t.server.listeningPort()));
    QVERIFY(!refused.client->waitFor(cmd::CMD_full).isEmpty());

    t.now += TServer::LoginTimeoutMs - 1;
    t.server.logintimerTimer();
    QVERIFY(t.server.occupied(silent.slot));
    t.now += 1;
    t.server.logintimerTimer();
    QVERIFY(silent.client->waitForClosed());
    QVERIFY(t.server.occupied(player.slot));
    for (int s = 1; s <= TServer::LastSlot; ++s)
        QCOMPARE(t.server.occupied(s), s == player.slot);

    Peer newcomer;
    QVERIFY(join(t.server, newcomer, "Bob"));
    QVERIFY(newcomer.slot != player.slot);
    QVERIFY(!player.client->waitFor("CMD_newplayerinfo+" + QByteArray::number(newcomer.slot))
                 .isEmpty());
}

QTEST_GUILESS_MAIN(TestPump)
#include "tests/host/tserverprobe.h"
#include "tst_pump.moc"
