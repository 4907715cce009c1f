// The answer check: which typed answers fit the letters, and what the word
// filter makes of them.
#include <QTest>

#include "game/checkacro.h"

class tst_checkacro : public QObject
{
    Q_OBJECT
private slots:
    void checkAcroText_data();
    void checkAcroText();
};

void tst_checkacro::checkAcroText_data()
{
    QTest::addColumn<QString>("letters");
    QTest::addColumn<bool>("filterOn");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("cleaned");

    QTest::newRow("plain") << "BRD" << false << "big red dog" << true << "big red dog";
    QTest::newRow("two blanks") << "BRD" << false << "Big  Red Dog" << true << "Big Red Dog";
    QTest::newRow("leading blanks") << "BRD" << false << "  big red dog" << true << "big red dog";
    QTest::newRow("full stop") << "BRD" << false << "Big red dog." << true << "Big red dog.";
    QTest::newRow("trailing blank") << "BRD" << false << "big red dog " << true << "big red dog ";
    QTest::newRow("too few words") << "BRD" << false << "big red" << false << "big red";
    QTest::newRow("too many words")
        << "BRD" << false << "big red dog house" << false << "big red dog house";
    QTest::newRow("wrong order") << "BRD" << false << "big dog red" << false << "big dog red";
    QTest::newRow("punctuation word") << "BRD" << false << "big - dog" << false << "big - dog";
    QTest::newRow("only a full stop") << "BRD" << false << ". red dog" << false << ". red dog";
    QTest::newRow("parenthesis and apostrophe")
        << "WRD" << false << "(well) 'really' done" << true << "(well) 'really' done";
    QTest::newRow("apostrophe before parenthesis")
        << "WRD" << false << "('well really done" << false << "('well really done";
    QTest::newRow("all four in order")
        << "BRD" << false << "\"'*(big red dog" << true << "\"'*(big red dog";
    QTest::newRow("quote looked for first")
        << "BRD" << false << "'\"big red dog" << false << "'\"big red dog";
    QTest::newRow("one asterisk only")
        << "BRD" << false << "**big red dog" << false << "**big red dog";
    QTest::newRow("U.S.A. is one word") << "USA" << false << "U.S.A." << false << "U.S.A.";
    QTest::newRow("U. S. A.") << "USA" << false << "U. S. A." << true << "U. S. A.";
    QTest::newRow("case ignored") << "brd" << false << "BIG RED DOG" << true << "BIG RED DOG";
    QTest::newRow("plus inside a word")
        << "PQ" << false << "Plus+Minus Quiz" << true << "Plus+Minus Quiz";
    QTest::newRow("fewer letters than the count")
        << "BR?" << false << "big red dog" << false << "big red dog";
    QTest::newRow("non-letter compared exactly")
        << "B1D" << false << "big 1st dog" << true << "big 1st dog";
    QTest::newRow("filter: listed word starts a word")
        << "BFD" << true << "big fucking dog" << false << "big ****ing dog";
    QTest::newRow("filter off: same answer passes")
        << "BFD" << false << "big fucking dog" << true << "big fucking dog";
    QTest::newRow("filter: listed word inside a word")
        << "AM" << true << "a motherfucker" << true << "a mother****er";
    QTest::newRow("filter: blanks of an entry merge words")
        << "BCR" << true << "big cock rooster" << false << "big****rooster";
}

void tst_checkacro::checkAcroText()
{
    QFETCH(QString, letters);
    QFETCH(bool, filterOn);
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(QString, cleaned);
    // A "?" stands for a letter the count promises but the caption lacks.
    const int count = int(letters.size());
    letters.remove('?');
    const AcroCheck check = ::checkAcroText(text, letters, count, filterOn);
    QVERIFY(check.checked);
    QCOMPARE(check.accepted, accepted);
    QCOMPARE(check.cleaned, cleaned);
    QCOMPARE(check.filtered, cleaned.contains("****"));
}

QTEST_GUILESS_MAIN(tst_checkacro)
#include "tst_checkacro.moc"
