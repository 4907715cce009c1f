// Cutting byte streams into messages and pumping them: in arrival order,
// each connection within its share.
#include "net/commands.h"
#include "net/framing.h"

#include <QtTest>

namespace {

const QByteArray FF(1, framing::Terminator);
const QByteArray version(cmd::GameVersion);

using Dispatched = QPair<QByteArray, QByteArray>; // command word, remainder

// A queue whose pump records what it dispatches.
struct Recorder
{
    ReceiveQueue queue;
    QList<Dispatched> dispatched;
    QList<quint64> connections;

    Recorder()
    {
        queue.setPump(1000, [this](const ReceivedEntry &entry) {
            const SplitEntry split = splitEntry(entry.text);
            dispatched.append({split.command, split.remainder});
            connections.append(entry.connection);
        });
    }
    void drain()
    {
        while (!queue.isEmpty())
            queue.tick();
    }
};

} // namespace

class TestFraming : public QObject
{
    Q_OBJECT

private slots:
    void splitting_data();
    void splitting();
    void piecewise_data();
    void piecewise();
    void unterminatedLimit_data();
    void unterminatedLimit();
    void connectionsKeptApart();
    void pumpOnePerTick();
    void pumpRunsOnItsTimer();
    void removeConnection();
    void abandonedMessage();
    void nestedTick();
    void floodIsRefused();
    void promptPumpInArrivalOrder();
    void shareBoundsEachConnection();
};

void TestFraming::splitting_data()
{
    QTest::addColumn<QList<QByteArray>>("reads");
    QTest::addColumn<int>("entries"); // queue entries, empty ones included
    QTest::addColumn<QList<Dispatched>>("dispatched");

    QTest::newRow("two messages in one read")
        << QList<QByteArray>{"CMD_entered+3" + FF + "CMD_entered+5" + FF} << 2
        << QList<Dispatched>{{"CMD_entered", "3"}, {"CMD_entered", "5"}};
    QTest::newRow("login ends in two terminators")
        << QList<QByteArray>{"CMD_logininfo+5+" + version + "+Bob" + FF + FF} << 2
        << QList<Dispatched>{{"CMD_logininfo", "5+" + version + "+Bob"}};
    QTest::newRow("entry without plus")
        << QList<QByteArray>{"CMD_noanswer" + FF + "CMD_histeam" + FF} << 2 << QList<Dispatched>{};
    QTest::newRow("entry beginning with plus")
        << QList<QByteArray>{"+3+a" + FF + "+" + FF} << 2 << QList<Dispatched>{};
    QTest::newRow("remainder keeps every field") << QList<QByteArray>{"CMD_chat+3+a+b" + FF} << 1
                                                 << QList<Dispatched>{{"CMD_chat", "3+a+b"}};
    QTest::newRow("bare plus dispatches empty remainder")
        << QList<QByteArray>{"CMD_noanswer+" + FF} << 1 << QList<Dispatched>{{"CMD_noanswer", ""}};
    QTest::newRow("only terminators")
        << QList<QByteArray>{FF + FF + FF} << 3 << QList<Dispatched>{};
    QTest::newRow("tail joined to next read")
        << QList<QByteArray>{"CMD_chat+1+he", "llo|clRed" + FF + "CMD_ent", "ered+2" + FF} << 2
        << QList<Dispatched>{{"CMD_chat", "1+hello|clRed"}, {"CMD_entered", "2"}};
    QTest::newRow("terminator alone in a read")
        << QList<QByteArray>{"CMD_dovote+4", FF} << 1 << QList<Dispatched>{{"CMD_dovote", "4"}};
    QTest::newRow("empty reads change nothing") << QList<QByteArray>{"", "CMD_dovote+4", "", FF, ""}
                                                << 1 << QList<Dispatched>{{"CMD_dovote", "4"}};
    QTest::newRow("unterminated tail waits")
        << QList<QByteArray>{"CMD_dovote+4" + FF + "CMD_dovote+5"} << 1
        << QList<Dispatched>{{"CMD_dovote", "4"}};
}

void TestFraming::splitting()
{
    QFETCH(QList<QByteArray>, reads);
    QFETCH(int, entries);
    QFETCH(QList<Dispatched>, dispatched);

    Recorder r;
    Framer framer;
    for (const QByteArray &read : reads)
        QVERIFY(framer.feed(read, r.queue));
    QCOMPARE(r.queue.size(), entries);
    r.drain();
    QCOMPARE(r.dispatched, dispatched);
}

void TestFraming::piecewise_data()
{
    QTest::addColumn<int>("pieceSize");
    for (int size : {1, 2, 3, 5, 7, 13, 64, 1000})
        QTest::addRow("pieces of %d", size) << size;
}

void TestFraming::piecewise()
{
    QFETCH(int, pieceSize);
    const QByteArray stream = cmd::client::logininfo(2, cmd::GameVersion, "Zoë") +
                              cmd::client::chat(2, "grüße + hallo", "clRed") +
                              cmd::host::anacro({{2, "A~B"}, {5, "Cats Are Cool"}}) +
                              cmd::host::histeamBare() + cmd::host::noanswer();
    const QList<Dispatched> expected{{"CMD_logininfo", "2+" + version + "+Zoë"},
                                     {"CMD_chat", "2+grüße + hallo|clRed"},
                                     {"CMD_anacro", "2+A~B+5+Cats Are Cool"},
                                     {"CMD_noanswer", ""}};

    Recorder r;
    Framer framer;
    for (int at = 0; at < stream.size(); at += pieceSize)
        QVERIFY(framer.feed(stream.mid(at, pieceSize), r.queue, 4));
    QCOMPARE(framer.pendingSize(), 0);
    QCOMPARE(r.queue.size(), 6); // login's empty entry and the bare word included
    r.drain();
    QCOMPARE(r.dispatched, expected);
    QCOMPARE(r.connections, QList<quint64>(expected.size(), 4));
}

void TestFraming::unterminatedLimit_data()
{
    QTest::addColumn<QList<int>>("reads"); // sizes of unterminated reads
    QTest::addColumn<bool>("accepted");

    QTest::newRow("exactly at the limit") << QList<int>{framing::MaxPending} << true;
    QTest::newRow("one byte over") << QList<int>{framing::MaxPending + 1} << false;
    QTest::newRow("limit reached over several reads")
        << QList<int>{40000, framing::MaxPending - 40000} << true;
    QTest::newRow("one byte over after several reads")
        << QList<int>{40000, framing::MaxPending - 40000, 1} << false;
}

void TestFraming::unterminatedLimit()
{
    QFETCH(QList<int>, reads);
    QFETCH(bool, accepted);

    Recorder r;
    Framer framer;
    bool ok = true;
    for (int size : reads)
        ok = framer.feed(QByteArray(size, 'a'), r.queue, 1);
    QCOMPARE(ok, accepted);
    QCOMPARE(framer.pendingSize(), accepted ? framing::MaxPending : 0);
    QVERIFY(r.queue.isEmpty());

    // After an overflow the framer starts afresh: the next message is not glued
    // to the dropped bytes.
    if (!accepted) {
        QVERIFY(framer.feed("CMD_dovote+1" + FF, r.queue, 1));
        r.drain();
        QCOMPARE(r.dispatched, (QList<Dispatched>{{"CMD_dovote", "1"}}));
    }

    // Complete messages never count against the limit, however long the read.
    Framer bulk;
    QByteArray many;
    while (many.size() <= 2 * framing::MaxPending)
        many += "CMD_chat+1+" + QByteArray(100, 'x') + FF;
    QVERIFY(bulk.feed(many, r.queue, 2));
}

void TestFraming::connectionsKeptApart()
{
    Recorder r;
    Framer seven, nine;
    QVERIFY(seven.feed("CMD_chat+7+he", r.queue, 7));
    QVERIFY(nine.feed("CMD_chat+9+yo" + FF + "CMD_acro+9+", r.queue, 9));
    QVERIFY(seven.feed("llo" + FF, r.queue, 7));
    QVERIFY(nine.feed("ABC" + FF, r.queue, 9));
    r.drain();
    QCOMPARE(
        r.dispatched,
        (QList<Dispatched>{{"CMD_chat", "9+yo"}, {"CMD_chat", "7+hello"}, {"CMD_acro", "9+ABC"}}));
    QCOMPARE(r.connections, (QList<quint64>{9, 7, 9}));
}

void TestFraming::pumpOnePerTick()
{
    Recorder r;
    QVERIFY(!r.queue.pumpActive());
    r.queue.tick(); // an empty queue yields an empty entry: nothing happens
    QVERIFY(r.dispatched.isEmpty());

    r.queue.append("CMD_entered+1");
    QVERIFY(r.queue.pumpActive());
    r.queue.append("");
    r.queue.append("CMD_entered+2");
    for (int tick = 1; tick <= 3; ++tick) {
        r.queue.tick();
        QCOMPARE(r.queue.size(), 3 - tick);
        QCOMPARE(r.dispatched.size(), tick == 1 ? 1 : tick - 1);
    }
    QVERIFY(!r.queue.pumpActive());

    // A pump installed while entries wait starts at once.
    ReceiveQueue late;
    late.append("CMD_entered+1");
    QVERIFY(!late.pumpActive());
    late.setPump(10, [](const ReceivedEntry &) {});
    QVERIFY(late.pumpActive());
}

void TestFraming::pumpRunsOnItsTimer()
{
    ReceiveQueue queue;
    QList<QByteArray> seen;
    queue.setPump(1, [&seen](const ReceivedEntry &entry) { seen.append(entry.text); });
    Framer framer;
    QVERIFY(framer.feed("CMD_a+1" + FF + FF + "CMD_b+2" + FF + "CMD_c+3" + FF, queue));
    QTRY_COMPARE_WITH_TIMEOUT(seen, (QList<QByteArray>{"CMD_a+1", "CMD_b+2", "CMD_c+3"}), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!queue.pumpActive(), 5000);
    queue.append("CMD_d+4");
    QVERIFY(queue.pumpActive());
    QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 4, 5000);
}

void TestFraming::removeConnection()
{
    Recorder r;
    r.queue.append("CMD_chat+1+a", 1);
    r.queue.append("CMD_chat+2+b", 2);
    r.queue.append("CMD_chat+1+c", 1);
    r.queue.append("CMD_chat+3+d", 3);
    r.queue.removeConnection(1);
    QCOMPARE(r.queue.size(), 2);
    QCOMPARE(r.queue.backlog(1), 0);
    QVERIFY(r.queue.pumpActive());
    r.queue.removeConnection(42); // unknown: nothing changes
    QCOMPARE(r.queue.size(), 2);
    r.drain();
    QCOMPARE(r.connections, (QList<quint64>{2, 3}));

    r.queue.append("CMD_chat+5+e", 5);
    r.queue.removeConnection(5);
    QVERIFY(r.queue.isEmpty());
    QVERIFY(!r.queue.pumpActive());
}

void TestFraming::abandonedMessage()
{
    ReceiveQueue queue;
    QList<int> kicked;
    QStringList errors;
    queue.setPump(1000, [&kicked](const ReceivedEntry &entry) {
        cmd::FieldReader reader(splitEntry(entry.text).remainder);
        kicked.append(reader.number());
    });
    queue.setErrorHandler([&errors](const QString &text) { errors.append(text); });
    queue.append("CMD_kickhim+x+3+");
    queue.append("CMD_kickhim+1+3+");
    queue.tick();
    QCOMPARE(errors, QStringList{"'x' is not a valid integer value"});
    queue.tick();
    QCOMPARE(kicked, QList<int>{1});
    QVERIFY(queue.isEmpty());
}

void TestFraming::nestedTick()
{
    // A handler that opens a message box lets the pump tick inside it; the
    // nested tick takes the next entry and nothing is dispatched twice.
    ReceiveQueue queue;
    QList<QByteArray> seen;
    queue.setPump(1000, [&](const ReceivedEntry &entry) {
        seen.append(entry.text);
        if (entry.text == "CMD_full+") queue.tick();
    });
    queue.append("CMD_full+");
    queue.append("CMD_chat+x");
    queue.append("CMD_chat+y");
    queue.tick();
    queue.tick();
    QCOMPARE(seen, (QList<QByteArray>{"CMD_full+", "CMD_chat+x", "CMD_chat+y"}));
    QVERIFY(queue.isEmpty());
    QVERIFY(!queue.pumpActive());
}

void TestFraming::floodIsRefused()
{
    Recorder r;
    Framer flooder, honest;
    QVERIFY(honest.feed("CMD_chat+2+hi" + FF, r.queue, 2));

    // Terminators alone make empty entries; they still weigh something.
    const QByteArray burst(4096, framing::Terminator);
    bool ok = true;
    int reads = 0;
    while (ok && reads < 1000) {
        ok = flooder.feed(burst, r.queue, 1);
        ++reads;
    }
    QVERIFY(!ok);
    QVERIFY(r.queue.backlog(1) > framing::MaxBacklog);
    QVERIFY(r.queue.backlog(1) <= framing::MaxBacklog + burst.size() * framing::EntryWeight);
    QVERIFY(honest.feed("CMD_chat+2+still here" + FF, r.queue, 2));

    // The owner drops the flooder's backlog; the honest messages are kept.
    r.queue.removeConnection(1);
    r.drain();
    QCOMPARE(r.dispatched, (QList<Dispatched>{{"CMD_chat", "2+hi"}, {"CMD_chat", "2+still here"}}));
    QCOMPARE(r.queue.backlog(2), 0);

    // Taking entries lowers the backlog, so a drained connection may send again.
    r.queue.setBacklogLimit(10 * framing::EntryWeight);
    Framer again;
    QVERIFY(!again.feed(QByteArray(11, framing::Terminator), r.queue, 3));
    r.queue.takeFirst();
    QVERIFY(again.feed("", r.queue, 3));
}

void TestFraming::promptPumpInArrivalOrder()
{
    // Arrivals are handled by the event loop's next turns, without a period,
    // and the pump sleeps again once the queue is empty.
    Recorder r;
    const int total = 3 * framing::PumpBatch;
    for (int i = 0; i < total; ++i)
        r.queue.append("CMD_chat+" + QByteArray::number(i), quint64(1 + i % 3));
    QVERIFY(r.queue.pumpActive());
    QTRY_COMPARE(r.dispatched.size(), total);
    for (int i = 0; i < total; ++i)
        QCOMPARE(r.dispatched[i].second, QByteArray::number(i));
    QVERIFY(!r.queue.pumpActive());
}

void TestFraming::shareBoundsEachConnection()
{
    Recorder r;
    qint64 now = 0;
    r.queue.setClock([&now] { return now; });
    r.queue.setShare({10, 3}); // ten a second, three at once
    const auto send = [&r](quint64 connection, int count) {
        for (int i = 0; i < count; ++i)
            r.queue.append("CMD_chat+" + QByteArray::number(connection), connection);
    };
    const auto pumpAll = [&r] {
        while (r.queue.tick()) {
        }
    };
    send(1, 10);
    send(2, 2);
    pumpAll();
    // The flooder's burst goes first (it came first), then the other's
    // messages pass its waiting ones.
    QCOMPARE(r.connections, (QList<quint64>{1, 1, 1, 2, 2}));
    QCOMPARE(r.queue.size(), 7);

    now += 100; // one more share
    pumpAll();
    QCOMPARE(r.connections.count(1), 4);
    now += 10000; // the bucket holds no more than its burst
    pumpAll();
    QCOMPARE(r.connections.count(1), 7);

    // A connection whose lane runs dry does not get its share back early.
    send(3, 3);
    pumpAll();
    send(3, 1);
    QVERIFY(!r.queue.tick());
    QCOMPARE(r.connections.count(3), 3);

    // The paced pump of old takes the oldest entry, shares aside.
    r.queue.setPumpMode(ReceiveQueue::PumpMode::Paced);
    r.drain();
    QCOMPARE(r.connections.count(1), 10);
    QCOMPARE(r.connections.last(), 3u);
}

QTEST_GUILESS_MAIN(TestFraming)
#include "tst_framing.moc"
