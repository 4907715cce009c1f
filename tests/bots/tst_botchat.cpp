// What computer players say: lines the family filter leaves alone, now and
// then, never twice in a round, nothing when quiet.
#include <QtTest>

#include "bots/botchat.h"
#include "game/wordfilter.h"

using Occasion = BotChat::Occasion;

class TestBotChat : public QObject
{
    Q_OBJECT
private slots:
    void everyLinePassesTheFilter()
    {
        for (int o = 0; o < int(Occasion::Count); ++o) {
            const QStringList &lines = BotChat::lines(Occasion(o));
            QVERIFY2(lines.size() >= 3, qPrintable(QString::number(o)));
            for (QString line : lines) {
                line.replace(QLatin1String("{category}"), QLatin1String("Pets"));
                QCOMPARE(WordFilter::filterWords(line), line);
            }
        }
    }

    void nowAndThenAndOnceARound()
    {
        BotChat chat(11, false);
        int rounds = 0, spoken = 0;
        for (int round = 0; round < 200; ++round) {
            chat.newRound();
            int lines = 0;
            for (Occasion o : {Occasion::Category, Occasion::Won, Occasion::Close})
                lines += !chat.line(o, QStringLiteral("Pets")).isEmpty();
            QVERIFY(lines <= 1);
            spoken += lines;
            ++rounds;
        }
        // Neither silent nor chattering.
        QVERIFY2(spoken > rounds / 5 && spoken < rounds, qPrintable(QString::number(spoken)));
    }

    void quietOrFilteredSaysNothing()
    {
        BotChat quiet(3, true), open(3, false);
        for (int i = 0; i < 50; ++i) {
            quiet.newRound();
            open.newRound();
            QVERIFY(quiet.line(Occasion::Greeting).isEmpty());
            // A category the filter would touch is never repeated.
            QVERIFY(!open.line(Occasion::Category, QStringLiteral("Twats")).contains("Twat"));
        }
        quiet.setQuiet(false);
        bool spoke = false;
        for (int i = 0; i < 20 && !spoke; ++i, quiet.newRound())
            spoke = !quiet.line(Occasion::Greeting).isEmpty();
        QVERIFY(spoke);
    }
};

QTEST_GUILESS_MAIN(TestBotChat)
#include "tst_botchat.moc"
