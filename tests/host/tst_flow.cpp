// Starting games and the stage clock.
#include "hosttest.h"

using namespace hosttest;
namespace c = cmd::client;

class TestFlow : public QObject
{
    Q_OBJECT

private slots:
    void startOptions_data()
    {
        QTest::addColumn<QByteArray>("fields");
        QTest::addColumn<QByteArray>("announced");
        QTest::addColumn<int>("playto");
        QTest::addColumn<int>("createtime");
        QTest::addColumn<int>("bonusletters");
        QTest::addColumn<int>("maxletters");
        QTest::addColumn<QByteArray>("flags"); // bonus, team, winbybonus, speed, autorestart
        QTest::newRow("dialog defaults") << QByteArray("Ann+30+60+t+10+none+t+f+7+f+f+")
                                         << QByteArray("CMD_startgame+Ann+30+60+t+10+t+f+") << 30
                                         << 60 << 10 << 7 << QByteArray("10100");
        QTest::newRow("numbers that do not convert")
            << QByteArray("Ann+thirty+x+f++none+f+t+many+t+t+")
            << QByteArray("CMD_startgame+Ann+30+60+f+10+f+t+") << 30 << 60 << 10 << 7
            << QByteArray("00011");
        QTest::newRow("fields missing")
            << QByteArray("Bob+") << QByteArray("CMD_startgame+Bob+30+60++10+++") << 30 << 60 << 10
            << 7 << QByteArray("10000");
        QTest::newRow("team game") << QByteArray("Ann+50+90+t+8+team+f+t+5+f+t+")
                                   << QByteArray("CMD_teamgame+Ann+50+90+t+8+f+t+") << 50 << 90 << 8
                                   << 5 << QByteArray("11010");
        QTest::newRow("hostile sizes")
            << QByteArray("Ann+2147483647+2147483647+t+2000000000+none+t+f+2000000000+f+f+")
            << QByteArray("CMD_startgame+Ann+100000+3600+t+30+t+f+") << 100000 << 3600 << 30 << 30
            << QByteArray("10100");
    }
    void startOptions()
    {
        QFETCH(QByteArray, fields);
        QFETCH(QByteArray, announced);
        QFETCH(int, playto);
        QFETCH(int, createtime);
        QFETCH(int, bonusletters);
        QFETCH(int, maxletters);
        QFETCH(QByteArray, flags);
        Harness t;
        t.seat({"Ann", "Bob"});
        t.from(1, "CMD_startgame+" + fields + '\xFF');
        QCOMPARE(t.to(2).value(0), announced);
        const TServerProbe::Options o = t.probe.options();
        QCOMPARE(o.playTo, playto);
        QCOMPARE(o.createTime, createtime);
        QCOMPARE(o.bonusLetters, bonusletters);
        QCOMPARE(o.maxLetters, maxletters);
        QCOMPARE(QByteArray() + (o.bonus ? '1' : '0') + (o.team ? '1' : '0') +
                     (o.winByBonus ? '1' : '0') + (o.speed ? '1' : '0') +
                     (o.autoRestart ? '1' : '0'),
                 flags);
        // Kept as read, for the restart.
        cmd::toHost::StartGame sent;
        sent.read(fields);
        QCOMPARE(o.startMessage, sent.build());
        QVERIFY(t.server.gameRunning());
    }

    void firstRoundOpensAtOnce()
    {
        Harness t;
        t.seat({"Ann", "Bob"});
        t.from(1, Harness::startFields());
        QCOMPARE(t.to(2), (QList<QByteArray>{"CMD_startgame+Ann+30+60+f+10+f+f+",
                                             "CMD_nextplayer+1+f+", "CMD_cats+3+"}));
        QCOMPARE(t.server.stage(), TServer::Stage::Selecting);
        QVERIFY(t.server.stageClockRunning());
    }

    void selectingCountsDown()
    {
        Harness t;
        t.seat({"Ann"});
        t.from(1, Harness::startFields());
        t.clear();
        t.tick(8);
        QCOMPARE(t.to(1), QList<QByteArray>{"CMD_updatetime+8"});
        t.tick(10);
        QCOMPARE(t.to(1).last(), QByteArray("CMD_updatetime+-2"));
        QCOMPARE(t.server.stage(), TServer::Stage::Selecting);
        t.tick();
        QCOMPARE(t.to(1, "CMD_catchoosen"), QList<QByteArray>{"CMD_catchoosen+General"});
        QVERIFY(t.to(1).last().startsWith("CMD_theletters+3+"));
        QCOMPARE(t.server.stage(), TServer::Stage::Creating);
    }

    void creatingSendsTheTime()
    {
        Harness t;
        t.seat({"Ann"});
        t.from(1, Harness::startFields());
        t.runStage();
        t.clear();
        QCOMPARE(t.runStage(), 63);
        QCOMPARE(t.to(1, "CMD_updatetime"),
                 (QList<QByteArray>{"CMD_updatetime+58", "CMD_updatetime+48", "CMD_updatetime+38",
                                    "CMD_updatetime+28", "CMD_updatetime+18", "CMD_updatetime+8",
                                    "CMD_updatetime+-2"}));
    }

    void teamStageLastsElevenTicks()
    {
        Harness t;
        t.seat({"Ann", "Bob"});
        t.from(1, Harness::startFields(30, false, true));
        QCOMPARE(t.server.stage(), TServer::Stage::Team);
        t.tick(10);
        QVERIFY(t.to(1, "CMD_nextplayer").isEmpty());
        t.tick();
        QCOMPARE(t.to(1, "CMD_nextplayer").size(), 1);
    }

    void roundStagesInOrder()
    {
        Harness t;
        t.seat({"Ann", "Bob", "Cid"});
        t.from(1, Harness::startFields());
        using S = TServer::Stage;
        const QList<QPair<S, int>> expected = {
            {S::Selecting, 19}, {S::Creating, 63}, {S::Voting, 21}, {S::Break, 11}, {S::Break1, 6}};
        for (const auto &[stage, ticks] : expected) {
            QCOMPARE(t.server.stage(), stage);
            if (stage == S::Creating) {
                t.from(2, c::acro(2, "Big Cat Dog"));
                t.from(3, c::acro(3, "Bad Cow Day"));
            }
            if (stage == S::Voting) {
                t.from(1, c::choosenacro(1, 2));
                t.from(2, c::choosenacro(2, 3));
                t.from(3, c::choosenacro(3, 2));
            }
            QCOMPARE(t.runStage(), ticks);
        }
        QCOMPARE(t.last(1, "CMD_postscores"), QByteArray("CMD_postscores+f+0+0+1+1+1+2+7+7+3+2+2"));
        QCOMPARE(t.last(1, "CMD_nextplayer"), QByteArray("CMD_nextplayer+2+f+"));
        QCOMPARE(t.server.stage(), TServer::Stage::Selecting);
    }

    void startAbandonsTheGame()
    {
        Harness t;
        t.seat({"Ann", "Bob"});
        t.from(1, Harness::startFields());
        t.probe.record(2).score = 12;
        t.probe.setTeamScores(4, 5);
        t.runStage();
        t.from(1, Harness::startFields(40));
        QCOMPARE(t.server.player(2).score, 0);
        QCOMPARE(t.server.teamScore(1) + t.server.teamScore(2), 0);
        QCOMPARE(t.server.stage(), TServer::Stage::Selecting);
        QCOMPARE(t.server.letterCount(), 3);
        QCOMPARE(t.probe.options().playTo, 40);
    }

    // Plays a game in which slot 2 reaches the target and the bonus round runs.
    static void playToBonusRound(Harness &t, bool autoRestart)
    {
        t.seat({"Ann", "Bob", "Cid"});
        t.from(1, Harness::startFields(5, true, false, false, false, 7, autoRestart));
        t.probe.record(2).score = 9;
        t.probe.record(3).score = 2;
        while (t.server.stage() != TServer::Stage::Break1)
            t.runStage();
        t.runStage();
        QVERIFY(t.server.inBonusRound());
        QCOMPARE(t.last(1, "CMD_inbonus"), QByteArray("CMD_inbonus+2,3"));
        while (t.server.stage() != TServer::Stage::Break)
            t.runStage();
        t.clear();
        t.runStage();
    }

    void bonusRoundEndsWithoutScoreStage()
    {
        Harness t;
        playToBonusRound(t, false);
        const QList<QByteArray> got = t.to(1);
        QCOMPARE(got.size(), 3);
        QCOMPARE(got[0], QByteArray("CMD_updatetime+-2"));
        QVERIFY(got[1].startsWith("CMD_postscores"));
        QCOMPARE(got[2], QByteArray("CMD_winner+Bob"));
        QCOMPARE(t.server.stage(), TServer::Stage::None);
        QVERIFY(!t.server.stageClockRunning());
        QVERIFY(!t.server.gameRunning());
    }

    void autoRestartReplaysTheOptions()
    {
        Harness t;
        playToBonusRound(t, true);
        QCOMPARE(t.to(1).last(), QByteArray("CMD_winner+Bob"));
        QCOMPARE(t.server.stage(), TServer::Stage::Restart);
        t.clear();
        t.tick(10);
        QVERIFY(t.to(1, "CMD_startgame").isEmpty());
        t.tick();
        QCOMPARE(t.to(1, "CMD_startgame"), QList<QByteArray>{"CMD_startgame+Ann+5+60+t+10+f+f+"});
        QCOMPARE(t.server.player(2).score, 0);
        QVERIFY(t.server.gameRunning());
        QVERIFY(!t.server.inBonusRound());
    }

    // Everyone who reached the target left during the bonus round: the game
    // still ends, with the best total present.
    void bonusRoundWithoutQualifiedPlayerEnds()
    {
        Harness t;
        t.seat({"Ann", "Bob", "Cid"});
        t.from(1, Harness::startFields(5, true));
        t.probe.record(2).score = 9;
        t.probe.record(3).score = 2;
        while (!t.server.inBonusRound())
            t.runStage();
        t.server.disconnectsock(2);
        while (t.server.stage() != TServer::Stage::Break)
            t.runStage();
        t.clear();
        t.runStage();
        QCOMPARE(t.to(1).last(), QByteArray("CMD_winner+Cid"));
        QVERIFY(!t.server.gameRunning());
        QVERIFY(!t.server.stageClockRunning());
    }

    void lastPlayerLeavingEndsBonusRoundQuietly()
    {
        Harness t;
        t.seat({"Ann"});
        while (t.probe.addTestConnection() < 13) {
        }
        for (int s = 2; s <= 12; ++s)
            t.server.disconnectsock(s);
        t.from(1, Harness::startFields(5, true));
        t.probe.record(1).score = 9;
        while (!t.server.inBonusRound())
            t.runStage();
        t.server.disconnectsock(1);
        while (t.server.stage() != TServer::Stage::Break)
            t.runStage();
        t.runStage();
        QVERIFY(t.to(13, "CMD_postscores").size() > 0);
        QVERIFY(t.to(13, "CMD_winner").isEmpty());
        QVERIFY(!t.server.gameRunning());
        QVERIFY(!t.server.stageClockRunning());
    }

    void leaversNeverStopTheClock()
    {
        Harness t;
        t.seat({"Ann", "Bob"});
        t.from(1, Harness::startFields());
        t.server.disconnectsock(1);
        t.server.disconnectsock(2);
        QCOMPARE(t.runStage(), 19);
        QCOMPARE(t.server.stage(), TServer::Stage::Creating);
    }
};

QTEST_GUILESS_MAIN(TestFlow)
#include "tests/host/tserverprobe.h"
#include "tst_flow.moc"
