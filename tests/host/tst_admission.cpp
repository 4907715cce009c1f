// Admission and roster: slots, login, kicks, departures and relays, and what
// the host refuses to believe.
#include "hosttest.h"

using namespace hosttest;
namespace h = cmd::host;
namespace c = cmd::client;

class TestAdmission : public QObject
{
    Q_OBJECT

private slots:
    void freedSlotIsReused()
    {
        Harness t;
        QCOMPARE(t.probe.addTestConnection(), 1);
        QCOMPARE(t.probe.addTestConnection(), 2);
        QCOMPARE(t.to(1), QList<QByteArray>{"CMD_sendlogininfo+1"});
        t.server.disconnectsock(1);
        QCOMPARE(t.probe.addTestConnection(), 1);
        QCOMPARE(t.server.slotCount(), 2);
    }

    void fullTable()
    {
        Harness t;
        for (int i = 1; i <= 15; ++i)
            QCOMPARE(t.probe.addTestConnection(), i);
        t.clear();
        QCOMPARE(t.probe.addTestConnection(), 16);
        QCOMPARE(t.sent.size(), 1);
        QCOMPARE(t.to(16), QList<QByteArray>{"CMD_full+"});
        QCOMPARE(t.server.slotCount(), 15);
        for (int i = 1; i <= 15; ++i)
            QVERIFY(t.server.occupied(i));

        t.server.disconnectsock(7);
        QCOMPARE(t.probe.addTestConnection(), 7);
    }

    void loginAnnouncesAndCatchesUp()
    {
        Harness t;
        t.seat({"Ann", "Cid", "Dan"});
        t.probe.addTestConnection();
        t.from(4, c::logininfo(4, cmd::GameVersion, "Bob"));
        QCOMPARE(t.recipients("CMD_newplayerinfo+4+Bob"), range(1, 4));
        QCOMPARE(t.to(4, "CMD_existingplayers"),
                 (QList<QByteArray>{"CMD_existingplayers+1+Ann", "CMD_existingplayers+2+Cid",
                                    "CMD_existingplayers+3+Dan"}));
        QVERIFY(t.to(1, "CMD_existingplayers").isEmpty());
        QVERIFY(t.to(4, "CMD_stats").isEmpty()); // no game runs
        QVERIFY(t.to(1, "CMD_havewrongversion").isEmpty());
    }

    void loginNameMayHoldPlus()
    {
        Harness t;
        t.probe.addTestConnection();
        t.from(1, c::logininfo(1, cmd::GameVersion, "A+B"));
        QCOMPARE(t.server.player(1).name, QByteArray("A+B"));
    }

    void wrongVersionIsReportedNotEnforced_data()
    {
        QTest::addColumn<QByteArray>("version");
        const QByteArray own = cmd::GameVersion;
        QTest::newRow("last character") << own.chopped(1) + char(own.back() + 1);
        QTest::newRow("shorter") << own.chopped(1);
        QTest::newRow("trailing blank") << own + ' ';
        QTest::newRow("empty") << QByteArray();
    }
    void wrongVersionIsReportedNotEnforced()
    {
        QFETCH(QByteArray, version);
        Harness t;
        t.seat({"Ann", "Cid"});
        t.probe.addTestConnection();
        t.from(3, c::logininfo(3, version, "Bob"));
        QCOMPARE(t.to(1, "CMD_havewrongversion"), QList<QByteArray>{"CMD_havewrongversion+Bob"});
        QCOMPARE(t.to(3, "CMD_wrongversion"), QList<QByteArray>{"CMD_wrongversion+"});
        QVERIFY(t.to(2, "CMD_havewrongversion").isEmpty());
        QVERIFY(t.server.occupied(3));
        QCOMPARE(t.recipients("CMD_newplayerinfo+3+Bob"), range(1, 3));
    }

    void lateJoinerGetsStats()
    {
        Harness t;
        t.seat({"Ann", "Cid"});
        t.from(1, Harness::startFields(25, false, true));
        t.from(2, c::chooseteam(2, 2));
        t.runStage(); // the sides are formed
        t.probe.addTestConnection();
        t.from(3, c::logininfo(3, cmd::GameVersion, "Bob"));
        QCOMPARE(t.to(3, "CMD_stats"), QList<QByteArray>{"CMD_stats+3+25+60+t+1+1+2+2"});
    }

    void kick_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<bool>("closes");
        QTest::newRow("by the host") << 1 << QByteArray("5") << true;
        QTest::newRow("by another player") << 2 << QByteArray("5") << false;
        QTest::newRow("beyond the table") << 1 << QByteArray("99") << false;
        QTest::newRow("record 16") << 1 << QByteArray("16") << false;
        QTest::newRow("negative") << 1 << QByteArray("-1") << false;
        QTest::newRow("not a number") << 1 << QByteArray("five") << false;
    }
    void kick()
    {
        QFETCH(int, from);
        QFETCH(QByteArray, target);
        QFETCH(bool, closes);
        Harness t;
        t.seat({"Ann", "Bob", "Cid", "Dan", "Eve"});
        t.from(from, "CMD_kickhim+" + QByteArray::number(from) + "+" + target + "+\xFF");
        QCOMPARE(t.server.occupied(5), !closes);
        if (closes) {
            QCOMPARE(t.recipients("CMD_playerdisconnected+5+Eve"), range(1, 4));
            QCOMPARE(t.server.player(5).name, QByteArray());
        } else {
            QVERIFY(t.sent.isEmpty());
        }
    }

    void relays_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("relayed");
        QTest::newRow("chat") << c::chat(1, "hi", "clRed")
                              << QByteArray("CMD_chat+Ann chats: hi|clRed");
        QTest::newRow("phrase") << c::phrase(1, "Thanks!", "clRed")
                                << QByteArray("CMD_action+Ann  says: Thanks!|clRed");
        QTest::newRow("me phrase")
            << c::phrase(1, "/me waves", "clBlue") << QByteArray("CMD_action+Ann waves|clBlue");
        QTest::newRow("sound") << c::playasound(1, 3) << QByteArray("CMD_playasound+1+wave3+");
        QTest::newRow("sound, slot with leading zero")
            << QByteArray("CMD_playasound+01+wave3+\xFF") << QByteArray("CMD_playasound+1+wave3+");
        QTest::newRow("chat with plus")
            << c::chat(1, "a+b", "clRed") << QByteArray("CMD_chat+Ann chats: a+b|clRed");
    }
    void relays()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, relayed);
        Harness t;
        t.seat({"Ann", "Bob", "Cid"});
        t.probe.addTestConnection(); // a spy would be slot 4 here; everyone hears it
        t.clear();
        t.from(1, request);
        QCOMPARE(t.recipients(relayed), range(1, 4));
    }

    void chatBeforeLoginHasEmptyName()
    {
        Harness t;
        t.seat({"Ann"});
        t.probe.addTestConnection();
        t.clear();
        t.from(2, c::chat(2, "hello", "clRed"));
        QCOMPARE(t.recipients("CMD_chat+ chats: hello|clRed"), range(1, 2));
    }

    // A client speaks only for the slot of its own connection.
    void senderSlotMustBeOwn_data()
    {
        QTest::addColumn<TServer::Stage>("stage");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<bool>("validForOwner"); // slot 3 itself may send it
        QTest::newRow("login") << TServer::Stage::None
                               << c::logininfo(3, cmd::GameVersion, "Mallory") << true;
        QTest::newRow("kick") << TServer::Stage::None << c::kickhim(1, 3) << false;
        QTest::newRow("chat") << TServer::Stage::None << c::chat(3, "x", "clRed") << true;
        QTest::newRow("action") << TServer::Stage::None << c::action(3, "x", "clRed") << true;
        QTest::newRow("sound") << TServer::Stage::None << c::playasound(3, 1) << true;
        QTest::newRow("category") << TServer::Stage::Selecting << c::catchoosen(3, "Rigged")
                                  << true;
        QTest::newRow("acro") << TServer::Stage::Creating << c::acro(3, "A B C") << true;
        QTest::newRow("vote") << TServer::Stage::Voting << c::choosenacro(3, 1) << true;
        QTest::newRow("team") << TServer::Stage::Team << c::chooseteam(3, 2) << true;
        QTest::newRow("slot not a number")
            << TServer::Stage::None << QByteArray("CMD_chat+x+y|c\xFF") << false;
        QTest::newRow("slot beyond the table")
            << TServer::Stage::None << QByteArray("CMD_chat+99999+y\xFF") << false;
        QTest::newRow("empty slot")
            << TServer::Stage::Creating << QByteArray("CMD_acro++ABC\xFF") << false;
        QTest::newRow("start from a player")
            << TServer::Stage::None << Harness::startFields() << false;
    }
    void senderSlotMustBeOwn()
    {
        QFETCH(TServer::Stage, stage);
        QFETCH(QByteArray, message);
        QFETCH(bool, validForOwner);
        Harness t;
        t.seat({"Ann", "Bob", "Cid"});
        t.probe.record(1).acro = "Listed Answer";
        t.probe.setChooser(3);
        t.probe.setStage(stage);
        auto untouched = [&t] {
            const TServer::TPlayer &p = t.probe.record(3);
            return t.sent.isEmpty() && t.server.occupied(3) && p.name == "Cid" &&
                   p.acro.isEmpty() && p.team == 0 && p.vote == 0 &&
                   t.server.currentCategory().isEmpty() && !t.server.gameRunning();
        };
        t.from(2, message);
        QVERIFY(untouched());
        t.from(3, message);
        QCOMPARE(untouched(), !validForOwner);
    }

    void startOnlyFromSlotOne()
    {
        Harness t;
        t.seat({"Ann", "Bob"});
        t.from(2, Harness::startFields());
        QVERIFY(!t.server.gameRunning());
        t.from(1, Harness::startFields());
        QVERIFY(t.server.gameRunning());
    }

    // Messages still queued from a connection that has gone act for nobody,
    // not for the slot's next holder.
    void departedConnectionActsForNobody()
    {
        Harness t;
        t.seat({"Ann", "Bob"});
        const quint64 old = t.server.player(2).connection;
        t.probe.injectMessage(2, "CMD_chat+2+stale|clRed");
        t.server.disconnectsock(2);
        QCOMPARE(t.probe.queuedMessages(), 0);
        t.probe.addTestConnection();
        t.probe.injectFromConnection(old, "CMD_chooseteam+2+1+");
        t.probe.injectFromConnection(old, c::logininfo(2, cmd::GameVersion, "Ghost"));
        t.clear();
        t.probe.drainQueue();
        QVERIFY(t.sent.isEmpty());
        QCOMPARE(t.server.player(2).team, 0);
        QCOMPARE(t.server.player(2).name, QByteArray());
    }

    void newcomerStartsClean()
    {
        Harness t;
        t.seat({"Ann", "Bob"});
        TServer::TPlayer &p = t.probe.record(2);
        p.score = 17;
        p.team = 2;
        p.acro = "Old Answer";
        p.vote = 1;
        p.votes = 3;
        p.bonusmark = true;
        p.roundscore = 4;
        p.acrotime = 99;
        t.server.disconnectsock(2);
        QCOMPARE(t.server.player(2).score, 17); // kept while the slot is free
        QCOMPARE(t.probe.addTestConnection(), 2);
        QCOMPARE(p.score, 0);
        QCOMPARE(p.team, 0);
        QCOMPARE(p.acro, QByteArray());
        QCOMPARE(p.vote, 0);
        QCOMPARE(p.votes, 0);
        QCOMPARE(p.bonusmark, false);
        QCOMPARE(p.roundscore, 0);
        QCOMPARE(p.acrotime, 0);
    }

    void unterminatedFloodIsCutOff()
    {
        Harness t;
        t.seat({"Ann", "Bob", "Cid"});
        t.probe.injectBytes(2, QByteArray(framing::MaxPending + 1, 'a'));
        QVERIFY(!t.server.occupied(2));
        QCOMPARE(t.recipients("CMD_playerdisconnected+2+Bob"), (QList<int>{1, 3}));
        t.from(1, c::chat(1, "still here", "clRed"));
        QCOMPARE(t.recipients("CMD_chat+Ann chats: still here|clRed"), (QList<int>{1, 3}));
    }

    void messageFloodIsCutOff_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("size");
        QTest::newRow("many short messages") << TServer::MaxQueuedPerConnection + 1 << 1;
        QTest::newRow("few long messages") << 20 << 60000;
    }
    void messageFloodIsCutOff()
    {
        QFETCH(int, count);
        QFETCH(int, size);
        Harness t;
        t.seat({"Ann", "Bob"});
        const QByteArray one = c::chat(2, QByteArray(size, 'x'), "c");
        QByteArray burst;
        for (int i = 0; i < count; ++i)
            burst += one;
        // Delivered in reads of at most 32 KiB, as a socket would.
        for (int at = 0; at < burst.size() && t.server.occupied(2); at += 32768)
            t.probe.injectBytes(2, burst.mid(at, 32768));
        QVERIFY(!t.server.occupied(2));
        QCOMPARE(t.probe.queuedMessages(), 0);
        // A busy but honest player is not cut off.
        t.probe.addTestPlayer(2, "Bob");
        for (int i = 0; i < 50; ++i)
            t.probe.injectBytes(2, c::chat(2, QByteArray(size % 4000, 'y'), "c"));
        QVERIFY(t.server.occupied(2));
        QCOMPARE(t.probe.queuedMessages(), 50);
    }

    void textsAreBounded()
    {
        Harness t;
        t.seat({"Ann"});
        t.probe.addTestConnection();
        t.from(2, c::logininfo(2, cmd::GameVersion, QByteArray(5000, 'n')));
        QCOMPARE(t.server.player(2).name.size(), TServer::MaxNameBytes);
        t.from(1, c::chat(1, QByteArray(20000, 'x'), "clRed"));
        const QByteArray relayed = t.last(1, "CMD_chat+");
        QCOMPARE(relayed.size(), int(qstrlen("CMD_chat+Ann chats: ")) + TServer::MaxTextBytes);
    }

    void cutTextKeepsCharacters_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("max");
        QTest::addColumn<QByteArray>("cut");
        QTest::newRow("short") << QByteArray("abc") << 5 << QByteArray("abc");
        QTest::newRow("ascii") << QByteArray("abcdef") << 4 << QByteArray("abcd");
        QTest::newRow("two-byte char at the edge")
            << QByteArray("ab\xC3\xA9") << 3 << QByteArray("ab");
        QTest::newRow("three-byte char") << QByteArray("a\xE2\x82\xAC") << 3 << QByteArray("a");
        QTest::newRow("whole char fits") << QByteArray("a\xE2\x82\xAC"
                                                       "b")
                                         << 4 << QByteArray("a\xE2\x82\xAC");
    }
    void cutTextKeepsCharacters()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, max);
        QFETCH(QByteArray, cut);
        QCOMPARE(cutText(text, max), cut);
    }
};

QTEST_GUILESS_MAIN(TestAdmission)
#include "tests/host/tserverprobe.h"
#include "tst_admission.moc"
