#include <QTest>

#include "game/wordfilter.h"

class tst_wordfilter : public QObject
{
    Q_OBJECT
private slots:
    void list();
    void filterWords_data();
    void filterWords();
};

void tst_wordfilter::list()
{
    const QStringList &entries = WordFilter::entries();
    QCOMPARE(entries.size(), 37);
    QCOMPARE(entries.first(), QStringLiteral("fuck"));
    QCOMPARE(entries.last(), QStringLiteral("titties"));
    // Entries 20 and 35 are words with one blank on each side.
    QCOMPARE(entries.at(19), QStringLiteral(" cock "));
    QCOMPARE(entries.at(34), QStringLiteral(" tit "));
    QCOMPARE(entries.at(32), QStringLiteral("blow job"));
    QCOMPARE(entries.at(33), QStringLiteral("doggie style"));
    // The described entries: a four-letter slur with "i" and a final "e", and a
    // six-letter slur with its five-letter form ending in "a", each with a plural.
    QCOMPARE(entries.at(15).size(), 4);
    QCOMPARE(entries.at(16), entries.at(15) + "s");
    QVERIFY(entries.at(15).contains('i') && entries.at(15).endsWith('e'));
    QCOMPARE(entries.at(21).size(), 6);
    QCOMPARE(entries.at(22), entries.at(21) + "s");
    QCOMPARE(entries.at(25).size(), 5);
    QVERIFY(entries.at(25).endsWith('a'));
    QCOMPARE(entries.at(26), entries.at(25) + "s");
    for (const QString &entry : entries)
        QCOMPARE(entry, entry.toLower());
}

void tst_wordfilter::filterWords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("filtered");
    QTest::newRow("clean") << "Big Red Dog"
                           << "Big Red Dog";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("case kept around the mask") << "What the FUCK now"
                                               << "What the **** now";
    QTest::newRow("earlier entry wins inside a later one") << "fucks"
                                                           << "****s";
    QTest::newRow("inside a long word") << "motherfucker"
                                        << "mother****er";
    QTest::newRow("twats keeps its s") << "twats"
                                       << "****s";
    QTest::newRow("gonads before gonad") << "Gonads"
                                         << "****";
    QTest::newRow("every occurrence") << "fuck fuck"
                                      << "**** ****";
    QTest::newRow("blanks of an entry go too") << "big cock rooster"
                                               << "big****rooster";
    QTest::newRow("blank entry needs its blanks") << "cock"
                                                  << "cock";
    QTest::newRow("blank entry at the start") << "cock a doodle"
                                              << "cock a doodle";
    QTest::newRow("plural of a blank entry") << "Cocks"
                                             << "****";
    QTest::newRow("two words") << "a Blow Job b"
                               << "a **** b";
    QTest::newRow("two words, blank inside") << "doggie style"
                                             << "****";
    QTest::newRow("titties whole") << "titties"
                                   << "****";
    QTest::newRow("tit between blanks") << "a tit b"
                                        << "a****b";
    QTest::newRow("pussies not by pussy") << "pussies"
                                          << "****";
    QTest::newRow("fuckers") << "Fuckers"
                             << "****ers";
    QTest::newRow("mask is always four") << "asshole"
                                         << "****";
    QTest::newRow("word boundaries ignored") << "Scunthorpe"
                                             << "S****horpe";
    QTest::newRow("described slur") << "dikes"
                                    << "****s";
    QTest::newRow("positions survive case mapping") << QString::fromUtf8("\xC4\xB0"
                                                                         "fuck"
                                                                         "\xC4\xB0")
                                                    << QString::fromUtf8("\xC4\xB0"
                                                                         "****"
                                                                         "\xC4\xB0");
}

void tst_wordfilter::filterWords()
{
    QFETCH(QString, text);
    QFETCH(QString, filtered);
    QCOMPARE(WordFilter::filterWords(text), filtered);
}

QTEST_GUILESS_MAIN(tst_wordfilter)
#include "tst_wordfilter.moc"
