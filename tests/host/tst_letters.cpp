// Letters, categories and the bonus round.
#include "hosttest.h"

#include <cmath>

using namespace hosttest;
namespace c = cmd::client;

class TestLetters : public QObject
{
    Q_OBJECT

private slots:
    void letterCountCycles_data()
    {
        QTest::addColumn<int>("maxLetters");
        QTest::addColumn<QList<int>>("counts");
        QTest::newRow("max 5") << 5 << QList<int>{3, 4, 5, 3, 4, 5, 3};
        QTest::newRow("max 7") << 7 << QList<int>{3, 4, 5, 6, 7, 3};
        QTest::newRow("max below 3") << 2 << QList<int>{3, 3, 3};
    }
    void letterCountCycles()
    {
        QFETCH(int, maxLetters);
        QFETCH(QList<int>, counts);
        Harness t;
        t.seat({"Ann"});
        t.from(1, Harness::startFields(1000, false, false, false, false, maxLetters));
        QList<int> seen;
        for (int round = 0; round < counts.size(); ++round) {
            while (t.server.stage() != TServer::Stage::Creating)
                t.runStage();
            const QByteArray letters = t.last(1, "CMD_theletters");
            const QList<QByteArray> fields = letters.split('+');
            QCOMPARE(fields.size(), 3);
            QCOMPARE(fields[2].size(), fields[1].toInt());
            seen.append(fields[1].toInt());
            t.runStage();
        }
        QCOMPARE(seen, counts);
    }

    void categoryFromChooserOnly_data()
    {
        QTest::addColumn<int>("sender");
        QTest::addColumn<TServer::Stage>("stage");
        QTest::addColumn<QByteArray>("announced");
        QTest::newRow("chooser while selecting")
            << 2 << TServer::Stage::Selecting << QByteArray("CMD_catchoosen+Food+Drink");
        QTest::newRow("someone else")
            << 3 << TServer::Stage::Selecting << QByteArray("CMD_catchoosen+General");
        QTest::newRow("chooser too late")
            << 2 << TServer::Stage::Creating << QByteArray("CMD_catchoosen+General");
    }
    void categoryFromChooserOnly()
    {
        QFETCH(int, sender);
        QFETCH(TServer::Stage, stage);
        QFETCH(QByteArray, announced);
        Harness t;
        t.seat({"Ann", "Bob", "Cid"});
        t.from(1, Harness::startFields());
        t.probe.setChooser(2);
        t.probe.setStage(stage);
        t.from(sender, c::catchoosen(sender, "Food+Drink"));
        t.probe.setStage(TServer::Stage::Selecting);
        t.runStage();
        QCOMPARE(t.last(3, "CMD_catchoosen"), announced);
    }

    void laterChoiceReplacesEarlier()
    {
        Harness t;
        t.seat({"Ann", "Bob"});
        t.from(1, Harness::startFields());
        t.from(1, c::catchoosen(1, "Cars"));
        t.from(1, c::catchoosen(1, "Boats"));
        t.runStage();
        QCOMPARE(t.last(2, "CMD_catchoosen"), QByteArray("CMD_catchoosen+Boats"));
    }

    void bonusPlayers_data()
    {
        QTest::addColumn<QList<int>>("scores"); // slots 1.., -1 for a free slot
        QTest::addColumn<QByteArray>("list");
        QTest::newRow("leaders and runners-up")
            << QList<int>{31, 31, 20, 20, 5} << QByteArray("1,2,3,4");
        QTest::newRow("nobody else scored") << QList<int>{30, 0, 0} << QByteArray("1,2,3");
        QTest::newRow("leader not first") << QList<int>{4, 33, 10, 10} << QByteArray("2,3,4");
        // More than six are named all the same, so every client knows who answers.
        QTest::newRow("eight tied")
            << QList<int>{30, 30, 30, 30, 30, 30, 30, 30} << QByteArray("1,2,3,4,5,6,7,8");
        QTest::newRow("departed leader") << QList<int>{-1, 31, 12} << QByteArray("2,3");
    }
    void bonusPlayers()
    {
        QFETCH(QList<int>, scores);
        QFETCH(QByteArray, list);
        Harness t;
        for (int i = 0; i < scores.size(); ++i)
            t.probe.addTestPlayer(i + 1, "P");
        t.from(1, Harness::startFields(30, true));
        for (int i = 0; i < scores.size(); ++i) {
            // A departed player's score stays in its free slot.
            t.probe.record(i + 1).score = scores[i] < 0 ? 99 : scores[i];
            if (scores[i] < 0) t.server.disconnectsock(i + 1);
        }
        t.probe.setBonusPending(true);
        t.clear();
        t.server.findplayer();
        const int listener = scores.size();
        QCOMPARE(t.last(listener, "CMD_inbonus"), "CMD_inbonus+" + list);
        QCOMPARE(t.server.stage(), TServer::Stage::Selecting);
        QCOMPARE(t.server.currentCategory(), QByteArray("General"));
        QCOMPARE(t.server.letterCount(), 10);

        // Only the listed players may answer.
        const QList<QByteArray> listed = list.split(',');
        t.runStage();
        for (int s = 1; s <= scores.size(); ++s) {
            if (!t.server.occupied(s)) continue;
            t.clear();
            t.from(s, c::acro(s, "Answer"));
            const bool mayAnswer = listed.contains(QByteArray::number(s));
            QCOMPARE(t.server.player(s).acro.isEmpty(), !mayAnswer);
            QCOMPARE(t.sent.isEmpty(), !mayAnswer);
        }
    }

    void teamBonusPlayers_data()
    {
        QTest::addColumn<QList<int>>("teams");
        QTest::addColumn<QList<int>>("scores");
        QTest::addColumn<QByteArray>("list");
        QTest::newRow("best of each side")
            << QList<int>{1, 2, 1, 2} << QList<int>{10, 7, 12, 3} << QByteArray("3,2");
        QTest::newRow("no White player")
            << QList<int>{1, 1, 1} << QList<int>{0, 9, 4} << QByteArray("2,0");
    }
    void teamBonusPlayers()
    {
        QFETCH(QList<int>, teams);
        QFETCH(QList<int>, scores);
        QFETCH(QByteArray, list);
        Harness t;
        for (int i = 0; i < teams.size(); ++i)
            t.probe.addTestPlayer(i + 1, "P");
        t.from(1, Harness::startFields(5, true, true));
        for (int i = 0; i < teams.size(); ++i) {
            t.probe.record(i + 1).team = teams[i];
            t.probe.record(i + 1).score = scores[i];
        }
        t.probe.setStage({});
        t.probe.setBonusPending(true);
        t.server.findplayer();
        QCOMPARE(t.last(1, "CMD_inbonus"), "CMD_inbonus+" + list);
        for (int i = 0; i < teams.size(); ++i)
            QCOMPARE(t.server.player(i + 1).bonusmark,
                     list.split(',').contains(QByteArray::number(i + 1)));
    }

    void letterFrequenciesFollowTheWeights()
    {
        Harness t;
        const QByteArray weights =
            "AABBBBBCCCCCDDDDDEFFFFFGGGGGHHHHHIJJKLLLLLMMMMMNNNNNOPPPPPQRRRRRSSSSS"
            "TTTTTUVWWWWWYZ";
        QCOMPARE(weights.size(), 83);
        const int draws = 83 * 2000;
        QHash<char, int> counts;
        for (int i = 0; i < draws; ++i)
            ++counts[t.server.convertletter()];
        QCOMPARE(counts.value('X'), 0);
        for (char letter = 'A'; letter <= 'Z'; ++letter) {
            const double p = double(weights.count(letter)) / 83.0;
            const double expected = draws * p;
            const double sigma = std::sqrt(draws * p * (1 - p));
            const int got = counts.value(letter);
            if (p == 0) {
                QCOMPARE(got, 0);
                continue;
            }
            QVERIFY2(std::abs(got - expected) < 6 * sigma,
                     qPrintable(QStringLiteral("%1: %2 draws, %3 expected")
                                    .arg(QChar(letter))
                                    .arg(got)
                                    .arg(expected)));
        }
        int total = 0;
        for (int n : counts)
            total += n;
        QCOMPARE(total, draws);
    }
};

QTEST_GUILESS_MAIN(TestLetters)
#include "tests/host/tserverprobe.h"
#include "tst_letters.moc"
