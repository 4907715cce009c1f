// Answers, voting and the scoring of a round.
#include "hosttest.h"

using namespace hosttest;
namespace c = cmd::client;

namespace {
const int None = -1;

// Seats `count` players named P1.., starts a game and brings it to the vote
// with the given answers (arrival time per slot, None for no answer).
void toVoting(Harness &t, int count, const QList<int> &answerTimes, int letters = 3,
              bool speed = false)
{
    for (int s = 1; s <= count; ++s)
        t.probe.addTestPlayer(s, "P" + QByteArray::number(s));
    t.from(1, Harness::startFields(100, false, false, false, speed));
    t.probe.setLetterCount(letters);
    t.runStage();
    for (int i = 0; i < answerTimes.size(); ++i) {
        if (answerTimes[i] == None) continue;
        t.now = answerTimes[i];
        t.from(i + 1, c::acro(i + 1, "Answer " + QByteArray::number(i + 1)));
    }
    t.runStage();
}

void vote(Harness &t, const QList<int> &votes)
{
    for (int i = 0; i < votes.size(); ++i)
        if (votes[i] != 0) t.from(i + 1, c::choosenacro(i + 1, votes[i]));
}
} // namespace

class TestScoring : public QObject
{
    Q_OBJECT

private slots:
    void rounds_data()
    {
        QTest::addColumn<QList<int>>("answerTimes");
        QTest::addColumn<QList<int>>("votes");
        QTest::addColumn<int>("letters");
        QTest::addColumn<bool>("speed");
        QTest::addColumn<QList<int>>("points");
        QTest::addColumn<QByteArray>("results"); // after "CMD_thevotes"
        QTest::addColumn<bool>("novotes");
        QTest::addColumn<int>("chooser");

        QTest::newRow("winner and voters")
            << QList<int>{10, 20, 30} << QList<int>{3, 3, 1} << 4 << false << QList<int>{2, 1, 8}
            << QByteArray("+n+y+n+1+P1+1+n+y+n+2+P2+0+y+y+n+3+P3+2") << false << 3;
        QTest::newRow("winner did not vote")
            << QList<int>{10, 20, 30} << QList<int>{3, 3, 0} << 4 << false << QList<int>{1, 1, 0}
            << QByteArray("+n+y+n+1+P1+0+n+y+n+2+P2+0+y+n+n+3+P3+2") << false << 3;
        QTest::newRow("tie goes to the earlier answer")
            << QList<int>{None, 50, None, None, 10} << QList<int>{2, 5, 5, 0, 2} << 3 << false
            << QList<int>{0, 3, 1, 0, 7} << QByteArray("+n+y+n+2+P2+2+y+y+n+5+P5+2") << false << 5;
        QTest::newRow("tie with equal times keeps the first")
            << QList<int>{None, 10, None, None, 10} << QList<int>{2, 5, 5, 0, 2} << 3 << false
            << QList<int>{1, 7, 0, 0, 3} << QByteArray("+y+y+n+2+P2+2+n+y+n+5+P5+2") << false << 2;
        QTest::newRow("single answer, no votes")
            << QList<int>{None, None, None, 10} << QList<int>{0, 0, 0, 0} << 3 << false
            << QList<int>{0, 0, 0, 5} << QByteArray("+y+y+n+4+P4+0") << true << 4;
        QTest::newRow("answers, no votes") << QList<int>{10, 20} << QList<int>{0, 0} << 3 << false
                                           << QList<int>{0, 0} << QByteArray() << true << 1;
        QTest::newRow("speed bonus")
            << QList<int>{30, 10, 20} << QList<int>{2, 1, 1} << 3 << true << QList<int>{7, 3, 1}
            << QByteArray("+y+y+n+1+P1+2+n+y+y+2+P2+1+n+y+n+3+P3+0") << false << 1;
        QTest::newRow("speed bonus, single answer")
            << QList<int>{None, 40} << QList<int>{2, 0} << 3 << true << QList<int>{1, 7}
            << QByteArray("+y+y+y+2+P2+1") << false << 2;
    }
    void rounds()
    {
        QFETCH(QList<int>, answerTimes);
        QFETCH(QList<int>, votes);
        QFETCH(int, letters);
        QFETCH(bool, speed);
        QFETCH(QList<int>, points);
        QFETCH(QByteArray, results);
        QFETCH(bool, novotes);
        QFETCH(int, chooser);
        Harness t;
        toVoting(t, int(votes.size()), answerTimes, letters, speed);
        QCOMPARE(t.server.stage(), TServer::Stage::Voting);
        vote(t, votes);
        t.clear();
        t.runStage();
        QList<int> got;
        for (int s = 1; s <= votes.size(); ++s)
            got.append(t.server.player(s).roundscore);
        QCOMPARE(got, points);
        QList<QByteArray> expected;
        if (novotes) expected.append("CMD_novotes+");
        if (!results.isEmpty()) expected.append("CMD_thevotes" + results);
        QCOMPARE(t.events(1), expected);
        QCOMPARE(t.server.chooser(), chooser);
        QCOMPARE(t.server.stageCount(), results.isEmpty() ? 3 : 10);
        t.runStage();
        QString list;
        for (int s = 1; s <= votes.size(); ++s)
            list += QStringLiteral("+%1+%2+%2").arg(s).arg(points[s - 1]);
        QCOMPARE(t.last(1, "CMD_postscores"), "CMD_postscores+f+0+0" + list.toLatin1());
    }

    void anacroListsAnswersInSlotOrder()
    {
        Harness t;
        toVoting(t, 6, {None, 20, None, None, 10});
        t.sent.clear();
        t.probe.setStage(TServer::Stage::Creating);
        t.server.sortacros();
        QCOMPARE(t.to(3, "CMD_anacro"), QList<QByteArray>{"CMD_anacro+2+Answer 2+5+Answer 5"});
        for (int s = 1; s <= 6; ++s)
            QCOMPARE(t.to(s, "CMD_dovote"),
                     QList<QByteArray>{"CMD_dovote+" + QByteArray::number(s)});
    }

    void votingTime_data()
    {
        QTest::addColumn<int>("players");
        QTest::addColumn<int>("letters");
        QTest::addColumn<int>("ticks");
        QTest::newRow("7 players, 6 letters") << 7 << 6 << 40;
        QTest::newRow("4 players, 4 letters") << 4 << 4 << 20;
        QTest::newRow("4 players, 5 letters") << 4 << 5 << 35;
        QTest::newRow("3 players, 7 letters") << 3 << 7 << 20;
        QTest::newRow("7 players, 5 letters") << 7 << 5 << 35;
        QTest::newRow("6 players, 6 letters") << 6 << 6 << 35;
    }
    void votingTime()
    {
        QFETCH(int, players);
        QFETCH(int, letters);
        QFETCH(int, ticks);
        Harness t;
        for (int s = 1; s <= players; ++s)
            t.probe.addTestPlayer(s, "P");
        t.probe.record(1).acro = "Answer";
        t.probe.setLetterCount(letters);
        t.server.sortacros();
        QCOMPARE(t.server.stageCount(), ticks);
        QCOMPARE(t.last(2, "CMD_updatetime"), "CMD_updatetime+" + QByteArray::number(ticks - 2));
        QCOMPARE(t.runStage(), ticks + 1);
    }

    void noAnswers()
    {
        Harness t;
        toVoting(t, 2, {});
        QCOMPARE(t.last(1, "CMD_noanswer"), QByteArray("CMD_noanswer+"));
        QVERIFY(t.to(1, "CMD_anacro").isEmpty());
        QCOMPARE(t.runStage(), 4);
        QCOMPARE(t.server.stage(), TServer::Stage::Break);
        QCOMPARE(t.server.stageCount(), 3);
    }

    void votesThatDoNotCount_data()
    {
        QTest::addColumn<QByteArray>("vote");
        QTest::newRow("own answer") << c::choosenacro(2, 2);
        QTest::newRow("slot without answer") << c::choosenacro(2, 3);
        QTest::newRow("spy slot") << c::choosenacro(2, 13);
        QTest::newRow("beyond the table") << c::choosenacro(2, 4000);
        QTest::newRow("slot 0") << c::choosenacro(2, 0);
        QTest::newRow("negative") << c::choosenacro(2, -1);
        QTest::newRow("not a number") << QByteArray("CMD_choosenacro+2+one+\xFF");
    }
    void votesThatDoNotCount()
    {
        QFETCH(QByteArray, vote);
        Harness t;
        toVoting(t, 3, {10, 20});
        t.from(2, c::choosenacro(2, 1));
        t.from(2, vote);
        QCOMPARE(t.server.player(2).vote, 1);
    }

    void votesOnlyWhileVoting()
    {
        Harness t;
        toVoting(t, 3, {10, 20});
        t.from(3, c::choosenacro(3, 1));
        t.from(3, c::choosenacro(3, 2)); // a change of mind is fine
        QCOMPARE(t.server.player(3).vote, 2);
        t.runStage();
        t.from(3, c::choosenacro(3, 1));
        QCOMPARE(t.server.player(3).vote, 2);
    }

    void answersOnlyWhileCreating()
    {
        Harness t;
        toVoting(t, 2, {10});
        t.from(2, c::acro(2, "Too Late"));
        QCOMPARE(t.server.player(2).acro, QByteArray());
        QCOMPARE(t.server.player(1).acro, QByteArray("Answer 1"));
    }

    void laterAnswerReplacesEarlier()
    {
        Harness t;
        toVoting(t, 1, {}, 3);
        t.probe.setStage(TServer::Stage::Creating);
        t.now = 5;
        t.from(1, c::acro(1, "First+Try"));
        t.now = 9;
        t.from(1, c::acro(1, "Second Try"));
        QCOMPARE(t.server.player(1).acro, QByteArray("Second Try"));
        QCOMPARE(t.server.player(1).acrotime, 9);
        QCOMPARE(t.recipients("CMD_entered+1").size(), 2);
    }

    void spiesDoNotAnswer()
    {
        Harness t;
        toVoting(t, 12, {});
        t.probe.addTestConnection();
        t.probe.setStage(TServer::Stage::Creating);
        t.clear();
        t.from(13, c::acro(13, "Spy Answer"));
        QVERIFY(t.sent.isEmpty());
    }

    // A leaver's answer stays in the round and can still win; the leaver's
    // own vote no longer counts and the leaver gets no result line.
    void leaverInTheRound()
    {
        Harness t;
        toVoting(t, 4, {10, 20, 30});
        vote(t, {3, 3, 1, 3});
        t.server.disconnectsock(3);
        t.server.disconnectsock(1);
        t.clear();
        t.runStage();
        QCOMPARE(t.events(2), QList<QByteArray>{"CMD_thevotes+n+y+n+2+P2+0"});
        QCOMPARE(t.server.chooser(), 3);
        QCOMPARE(t.server.player(2).roundscore, 1);
        QCOMPARE(t.server.player(4).roundscore, 1);
        QCOMPARE(t.server.player(1).votes, 0);
        // The next round's chooser has left: someone present chooses.
        while (t.server.stage() != TServer::Stage::Selecting)
            t.runStage();
        QVERIFY(t.server.occupied(t.server.chooser()));
    }

    // A newcomer who takes a leaver's slot during the vote does not inherit
    // the votes cast for the leaver's answer.
    void votesForARetakenSlotLapse()
    {
        Harness t;
        toVoting(t, 3, {10, 20, 30});
        vote(t, {3, 3, 2});
        t.server.disconnectsock(2);
        QCOMPARE(t.probe.addTestConnection(), 2);
        t.clear();
        t.runStage();
        QCOMPARE(t.server.player(2).votes, 0);
        QCOMPARE(t.server.player(3).votes, 1);
        QCOMPARE(t.server.chooser(), 3);
        QCOMPARE(t.events(1), QList<QByteArray>{"CMD_thevotes+n+y+n+1+P1+0+y+y+n+3+P3+1"});
    }

    void teamTotals()
    {
        Harness t;
        t.seat({"P1", "P2", "P3"});
        t.from(1, Harness::startFields(100, false, true));
        t.runStage();               // the sides form: Yellow, White, Yellow
        t.probe.record(3).team = 0; // as if slot 3 had joined since
        t.runStage();
        for (int s = 1; s <= 3; ++s)
            t.from(s, c::acro(s, "Answer"));
        t.runStage();
        vote(t, {3, 3, 1});
        t.clear();
        t.runStage();
        // Slot 3 scores without a side: it gets one, announced before the results.
        const QList<QByteArray> got = t.events(1);
        QCOMPARE(got.size(), 2);
        QCOMPARE(got[0], QByteArray("CMD_histeam+3+1"));
        QVERIFY(got[1].startsWith("CMD_thevotes"));
        QCOMPARE(t.server.teamScore(1), 2 + 7);
        QCOMPARE(t.server.teamScore(2), 1);
    }
};

QTEST_GUILESS_MAIN(TestScoring)
#include "tests/host/tserverprobe.h"
#include "tst_scoring.moc"
