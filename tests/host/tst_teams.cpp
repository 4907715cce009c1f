// Teams, the next chooser and the end of a game.
#include "hosttest.h"

using namespace hosttest;
namespace c = cmd::client;

namespace {
void seatNamed(Harness &t, int count)
{
    const QList<QByteArray> names = {"Ann", "Bob", "Cid", "Dan", "Eve", "Fay", "Gus"};
    for (int s = 1; s <= count; ++s)
        t.probe.addTestPlayer(s, names[s - 1]);
}

// Ends the score stage of a normal round, which asks whether the game is won.
void endScoreStage(Harness &t)
{
    t.probe.setStage(TServer::Stage::Break1);
    t.probe.setStageCount(0);
    t.clear();
    t.tick();
}
} // namespace

class TestTeams : public QObject
{
    Q_OBJECT

private slots:
    void sidesAreBalanced_data()
    {
        QTest::addColumn<QList<int>>("picks"); // per slot, 0 for none
        QTest::addColumn<QByteArray>("list");
        QTest::newRow("nobody picks") << QList<int>{0, 0, 0} << QByteArray("+1+1+2+2+3+1");
        QTest::newRow("two picked Yellow") << QList<int>{1, 1, 0} << QByteArray("+1+1+2+1+3+2");
        QTest::newRow("one picked White")
            << QList<int>{2, 0, 0, 0} << QByteArray("+1+2+2+1+3+1+4+2");
    }
    void sidesAreBalanced()
    {
        QFETCH(QList<int>, picks);
        QFETCH(QByteArray, list);
        Harness t;
        seatNamed(t, int(picks.size()));
        t.from(1, Harness::startFields(30, false, true));
        for (int s = 1; s <= picks.size(); ++s)
            if (picks[s - 1] != 0) t.from(s, c::chooseteam(s, picks[s - 1]));
        t.clear();
        t.runStage();
        QCOMPARE(t.events(2).value(0), "CMD_histeam" + list);
        QCOMPARE(t.events(2).value(1), QByteArray("CMD_nextplayer+1+f+"));
    }

    void choicesHiddenWhileSidesForm()
    {
        Harness t;
        seatNamed(t, 3);
        t.from(1, Harness::startFields(30, false, true));
        t.clear();
        t.from(1, c::chooseteam(1, 1));
        t.from(1, c::chooseteam(1, 2));
        QCOMPARE(t.to(2), (QList<QByteArray>{"CMD_histeam", "CMD_histeam"}));
        t.runStage();
        QCOMPARE(t.last(2, "CMD_histeam+"), QByteArray("CMD_histeam+1+2+2+1+3+1"));
    }

    void onePickAfterSidesFormed()
    {
        Harness t;
        seatNamed(t, 2);
        t.from(1, Harness::startFields(30, false, true));
        t.runStage();
        t.probe.addTestPlayer(3, "Cid");
        t.clear();
        t.from(1, c::chooseteam(1, 2)); // has a side already
        t.from(3, c::chooseteam(3, 2));
        t.from(3, c::chooseteam(3, 1)); // only once
        QCOMPARE(t.recipients("CMD_histeam+3+2"), range(1, 3));
        QCOMPARE(t.sent.size(), 3);
        QCOMPARE(t.server.player(1).team, 1);
        QCOMPARE(t.server.player(3).team, 2);
    }

    void onlyTwoSides_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("team 0") << c::chooseteam(2, 0);
        QTest::newRow("team 3") << c::chooseteam(2, 3);
        QTest::newRow("negative") << c::chooseteam(2, -1);
        QTest::newRow("huge") << QByteArray("CMD_chooseteam+2+99999999999+\xFF");
        QTest::newRow("not a number") << QByteArray("CMD_chooseteam+2+yellow+\xFF");
    }
    void onlyTwoSides()
    {
        QFETCH(QByteArray, message);
        Harness t;
        seatNamed(t, 2);
        t.from(1, Harness::startFields(30, false, true));
        t.clear();
        t.from(2, message);
        QVERIFY(t.sent.isEmpty());
        QCOMPARE(t.server.player(2).team, 0);
    }

    void spiesHaveNoSide()
    {
        Harness t;
        seatNamed(t, 1);
        while (t.probe.addTestConnection() < 13) {
        }
        t.from(1, Harness::startFields(30, false, true));
        t.from(13, c::chooseteam(13, 1));
        QCOMPARE(t.server.player(13).team, 0);
    }

    void winner_data()
    {
        QTest::addColumn<QList<int>>("scores");
        QTest::addColumn<QList<int>>("teams");
        QTest::addColumn<bool>("bonus");
        QTest::addColumn<QByteArray>("winner"); // empty: the game goes on
        QTest::newRow("tie") << QList<int>{3, 31, 0, 12, 31} << QList<int>{} << false
                             << QByteArray("Bob and Eve");
        QTest::newRow("below target")
            << QList<int>{3, 29, 0} << QList<int>{} << false << QByteArray();
        QTest::newRow("first slot leads")
            << QList<int>{40, 31} << QList<int>{} << false << QByteArray("Ann");
        QTest::newRow("tie, bonus round due")
            << QList<int>{3, 31, 0, 12, 31} << QList<int>{} << true << QByteArray();
        QTest::newRow("top player on White") << QList<int>{20, 31, 25, 28} << QList<int>{1, 2, 1, 1}
                                             << false << QByteArray("The White Team");
        QTest::newRow("top player on Yellow")
            << QList<int>{35, 31} << QList<int>{1, 2} << false << QByteArray("The Yellow Team");
    }
    void winner()
    {
        QFETCH(QList<int>, scores);
        QFETCH(QList<int>, teams);
        QFETCH(bool, bonus);
        QFETCH(QByteArray, winner);
        Harness t;
        seatNamed(t, int(scores.size()));
        t.from(1, Harness::startFields(30, bonus, !teams.isEmpty()));
        for (int s = 1; s <= scores.size(); ++s) {
            t.probe.record(s).score = scores[s - 1];
            if (!teams.isEmpty()) t.probe.record(s).team = teams[s - 1];
        }
        t.probe.setTeamScores(500, 0);
        endScoreStage(t);
        if (winner.isEmpty()) {
            QVERIFY(t.to(1, "CMD_winner").isEmpty());
            QVERIFY(t.server.gameRunning());
            QCOMPARE(t.server.stage(), TServer::Stage::Selecting);
            QCOMPARE(t.to(1, "CMD_inbonus").size(), bonus ? 1 : 0);
            QCOMPARE(t.to(1, "CMD_cats").size(), bonus ? 0 : 1);
        } else {
            QCOMPARE(t.events(1), QList<QByteArray>{"CMD_winner+" + winner});
            QVERIFY(!t.server.gameRunning());
            QVERIFY(!t.server.stageClockRunning());
        }
    }

    // A slot whose player has left keeps a stale score; it never joins the
    // winner text, and never leads.
    void freeSlotsNeverWin_data()
    {
        QTest::addColumn<int>("leaver");
        QTest::addColumn<int>("staleScore");
        QTest::addColumn<QByteArray>("winner");
        QTest::newRow("tied with the leader") << 3 << 31 << QByteArray("Bob");
        QTest::newRow("ahead of the leader") << 1 << 45 << QByteArray("Bob");
    }
    void freeSlotsNeverWin()
    {
        QFETCH(int, leaver);
        QFETCH(int, staleScore);
        QFETCH(QByteArray, winner);
        Harness t;
        seatNamed(t, 3);
        t.from(1, Harness::startFields(30));
        t.probe.record(2).score = 31;
        t.probe.record(leaver).score = staleScore;
        t.server.disconnectsock(leaver);
        endScoreStage(t);
        QCOMPARE(t.last(2, "CMD_winner"), "CMD_winner+" + winner);
    }

    void bonusRoundDecides_data()
    {
        QTest::addColumn<bool>("winByBonus");
        QTest::addColumn<QByteArray>("winner");
        QTest::newRow("bonus round top wins") << true << QByteArray("Cid");
        QTest::newRow("total score wins") << false << QByteArray("Bob");
    }
    void bonusRoundDecides()
    {
        QFETCH(bool, winByBonus);
        QFETCH(QByteArray, winner);
        Harness t;
        seatNamed(t, 3);
        t.from(1, Harness::startFields(30, true, false, winByBonus));
        t.probe.record(2).score = 33;
        t.probe.record(3).score = 4;
        endScoreStage(t);
        QCOMPARE(t.last(1, "CMD_inbonus"), QByteArray("CMD_inbonus+2,3"));
        t.runStage();
        t.from(2, c::acro(2, "Bob Answer"));
        t.from(3, c::acro(3, "Cid Answer"));
        t.runStage();
        t.from(1, c::choosenacro(1, 3));
        t.from(2, c::choosenacro(2, 3));
        t.from(3, c::choosenacro(3, 2));
        t.runStage();
        t.runStage();
        QCOMPARE(t.last(1, "CMD_winner"), "CMD_winner+" + winner);
    }

    void chooserLeftSomeonePresentChooses()
    {
        Harness t;
        t.probe.addTestPlayer(7, "Gus");
        t.probe.addTestPlayer(12, "Lou");
        t.server.disconnectsock(12);
        for (int round = 0; round < 20; ++round) {
            t.probe.setChooser(12);
            t.server.findplayer();
            QCOMPARE(t.server.chooser(), 7);
        }
    }
};

QTEST_GUILESS_MAIN(TestTeams)
#include "tests/host/tserverprobe.h"
#include "tst_teams.moc"
