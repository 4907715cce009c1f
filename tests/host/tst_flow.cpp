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
        const TServer &s = t.server;
        QCOMPARE(s.playto, playto);
        QCOMPARE(s.createtime, createtime);
        QCOMPARE(s.bonusletters, bonusletters);
        QCOMPARE(s.maxletters, maxletters);
        QCOMPARE(QByteArray() + (s.bonusenabled ? '1' : '0') + (s.isteamgame ? '1' : '0') +
                     (s.winbybonus ? '1' : '0') + (s.speedbonus ? '1' : '0') +
                     (s.autorestart ? '1' : '0'),
                 flags);
        QCOMPARE(s.startmsg, fields);
        QVERIFY(s.gamerunning);
    }

    void firstRoundOpensAtOnce()
    {
        Harness t;
        t.seat({"Ann", "Bob"});
        t.from(1, Harness::startFields());
        QCOMPARE(t.to(2), (QList<QByteArray>{"CMD_startgame+Ann+30+60+f+10+f+f+",
                                             "CMD_nextplayer+1+f+", "CMD_cats+3+"}));
        QCOMPARE(t.server.gamestate, QByteArray("selecting"));
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
        QCOMPARE(t.server.gamestate, QByteArray("selecting"));
        t.tick();
        QCOMPARE(t.to(1, "CMD_catchoosen"), QList<QByteArray>{"CMD_catchoosen+General"});
        QVERIFY(t.to(1).last().startsWith("CMD_theletters+3+"));
        QCOMPARE(t.server.gamestate, QByteArray("creating"));
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
        QCOMPARE(t.server.gamestate, QByteArray("team"));
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
        const QList<QPair<QByteArray, int>> expected = {
            {"selecting", 19}, {"creating", 63}, {"voting", 21}, {"break", 11}, {"break1", 6}};
        for (const auto &[stage, ticks] : expected) {
            QCOMPARE(t.server.gamestate, stage);
            if (stage == "creating") {
                t.from(2, c::acro(2, "Big Cat Dog"));
                t.from(3, c::acro(3, "Bad Cow Day"));
            }
            if (stage == "voting") {
                t.from(1, c::choosenacro(1, 2));
                t.from(2, c::choosenacro(2, 3));
                t.from(3, c::choosenacro(3, 2));
            }
            QCOMPARE(t.runStage(), ticks);
        }
        QCOMPARE(t.last(1, "CMD_postscores"), QByteArray("CMD_postscores+f+0+0+1+1+1+2+7+7+3+2+2"));
        QCOMPARE(t.last(1, "CMD_nextplayer"), QByteArray("CMD_nextplayer+2+f+"));
        QCOMPARE(t.server.gamestate, QByteArray("selecting"));
    }

    void startAbandonsTheGame()
    {
        Harness t;
        t.seat({"Ann", "Bob"});
        t.from(1, Harness::startFields());
        t.server.players[2].score = 12;
        t.server.teamscore = {0, 4, 5};
        t.runStage();
        t.from(1, Harness::startFields(40));
        QCOMPARE(t.server.players[2].score, 0);
        QCOMPARE(t.server.teamscore[1] + t.server.teamscore[2], 0);
        QCOMPARE(t.server.gamestate, QByteArray("selecting"));
        QCOMPARE(t.server.numletters, 3);
        QCOMPARE(t.server.playto, 40);
    }

    // Plays a game in which slot 2 reaches the target and the bonus round runs.
    static void playToBonusRound(Harness &t, bool autoRestart)
    {
        t.seat({"Ann", "Bob", "Cid"});
        t.from(1, Harness::startFields(5, true, false, false, false, 7, autoRestart));
        t.server.players[2].score = 9;
        t.server.players[3].score = 2;
        while (t.server.gamestate != "break1")
            t.runStage();
        t.runStage();
        QVERIFY(t.server.inbonusround);
        QCOMPARE(t.last(1, "CMD_inbonus"), QByteArray("CMD_inbonus+2,3"));
        while (t.server.gamestate != "break")
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
        QCOMPARE(t.server.gamestate, QByteArray());
        QVERIFY(!t.server.stageClockRunning());
        QVERIFY(!t.server.gamerunning);
    }

    void autoRestartReplaysTheOptions()
    {
        Harness t;
        playToBonusRound(t, true);
        QCOMPARE(t.to(1).last(), QByteArray("CMD_winner+Bob"));
        QCOMPARE(t.server.gamestate, QByteArray("restart"));
        t.clear();
        t.tick(10);
        QVERIFY(t.to(1, "CMD_startgame").isEmpty());
        t.tick();
        QCOMPARE(t.to(1, "CMD_startgame"), QList<QByteArray>{"CMD_startgame+Ann+5+60+t+10+f+f+"});
        QCOMPARE(t.server.players[2].score, 0);
        QVERIFY(t.server.gamerunning);
        QVERIFY(!t.server.inbonusround);
    }

    // Everyone who reached the target left during the bonus round: the game
    // still ends, with the best total present.
    void bonusRoundWithoutQualifiedPlayerEnds()
    {
        Harness t;
        t.seat({"Ann", "Bob", "Cid"});
        t.from(1, Harness::startFields(5, true));
        t.server.players[2].score = 9;
        t.server.players[3].score = 2;
        while (!t.server.inbonusround)
            t.runStage();
        t.server.disconnectsock(2);
        while (t.server.gamestate != "break")
            t.runStage();
        t.clear();
        t.runStage();
        QCOMPARE(t.to(1).last(), QByteArray("CMD_winner+Cid"));
        QVERIFY(!t.server.gamerunning);
        QVERIFY(!t.server.stageClockRunning());
    }

    void lastPlayerLeavingEndsBonusRoundQuietly()
    {
        Harness t;
        t.seat({"Ann"});
        while (t.server.addTestConnection() < 13) {
        }
        for (int s = 2; s <= 12; ++s)
            t.server.disconnectsock(s);
        t.from(1, Harness::startFields(5, true));
        t.server.players[1].score = 9;
        while (!t.server.inbonusround)
            t.runStage();
        t.server.disconnectsock(1);
        while (t.server.gamestate != "break")
            t.runStage();
        t.runStage();
        QVERIFY(t.to(13, "CMD_postscores").size() > 0);
        QVERIFY(t.to(13, "CMD_winner").isEmpty());
        QVERIFY(!t.server.gamerunning);
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
        QCOMPARE(t.server.gamestate, QByteArray("creating"));
    }
};

QTEST_GUILESS_MAIN(TestFlow)
#include "tst_flow.moc"
