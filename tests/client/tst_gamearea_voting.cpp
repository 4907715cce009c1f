// Voting: the answers in a random order of this client's own, and the vote click.
#include <QLabel>
#include <QSet>
#include <QTest>

#include "tst_round_fixture.h"

class tst_gamearea_voting : public QObject
{
    Q_OBJECT
private slots:
    void answersTakeTheFirstLines_data();
    void answersTakeTheFirstLines();
    void orderDependsOnTheGenerator();
    void answerShownAsTyped();
    void fontSizeByLength_data();
    void fontSizeByLength();
    void votes();
    void clicksThatDoNothing_data();
    void clicksThatDoNothing();
    void voteWithoutLoginMovesMarkOnly();
    void dovote_data();
    void dovote();
    void malformedSlotAbandonsMessage();
};

void tst_gamearea_voting::answersTakeTheFirstLines_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : {1u, 2u, 3u, 42u, 1000u})
        QTest::newRow(qPrintable(QString::number(seed))) << seed;
}

void tst_gamearea_voting::answersTakeTheFirstLines()
{
    QFETCH(quint32, seed);
    FakeMainWindow w;
    w.login(4);
    w.area->seedRandom(seed);
    // A second round starts from the order the first one left.
    for (int round = 0; round < 2; ++round) {
        w.area->postcats(received<cmd::toClient::Cats>("3+"));
        w.area->postacros(
            received<cmd::toClient::Answers>("2+Big Red Dog+5+Bad Rude Dad+9+Blue Rain Day"));
        QCOMPARE(w.visiblePanel(), QStringLiteral("panel_voting"));
        const QList<int> lines = w.answerLines();
        QCOMPARE(lines.size(), 12);
        QCOMPARE(QSet<int>(lines.begin(), lines.begin() + 3), QSet<int>({2, 5, 9}));
        QCOMPARE(QSet<int>(lines.begin(), lines.end()).size(), 12);
        QCOMPARE(QList<int>(w.st.answerOrder.begin(), w.st.answerOrder.end()), lines);
        // Every control of a row moves with its answer.
        for (int i = 1; i <= 12; ++i) {
            const QString n = QString::number(lines.at(i - 1));
            QCOMPARE(w.control("label_votes" + n)->y(), 18 * i - 14);
            QCOMPARE(w.control("label_name" + n)->y(), 18 * i - 14);
        }
    }
}

void tst_gamearea_voting::orderDependsOnTheGenerator()
{
    QSet<QList<int>> orders;
    for (quint32 seed = 1; seed <= 8; ++seed) {
        FakeMainWindow w;
        w.area->seedRandom(seed);
        w.area->postacros(
            received<cmd::toClient::Answers>("1+A+2+B+3+C+4+D+5+E+6+F+7+G+8+H+9+I+10+J+11+K+12+L"));
        orders.insert(w.answerLines());
    }
    QVERIFY(orders.size() > 1);
}

void tst_gamearea_voting::answerShownAsTyped()
{
    FakeMainWindow w;
    w.login(4);
    w.area->postacros(received<cmd::toClient::Answers>("4+Plus~Minus Quiz+7+Pretty Quick"));
    QCOMPARE(w.text("label_acro4"), QStringLiteral("Plus+Minus Quiz"));
    QCOMPARE(roundstyle::textColour(w.label("label_acro4")), palette::Red);
    QCOMPARE(roundstyle::textColour(w.label("label_acro7")), palette::Yellow);
    QVERIFY(w.shown("label_acro7"));
    QVERIFY(w.label("label_acro7")->width() > 40);
}

void tst_gamearea_voting::fontSizeByLength_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("points");
    QTest::newRow("1") << 1 << 12;
    QTest::newRow("60") << 60 << 12;
    QTest::newRow("61") << 61 << 10;
    QTest::newRow("80") << 80 << 10;
    QTest::newRow("81") << 81 << 9;
    QTest::newRow("400") << 400 << 9;
}

void tst_gamearea_voting::fontSizeByLength()
{
    QFETCH(int, length);
    QFETCH(int, points);
    FakeMainWindow w;
    w.area->postacros(received<cmd::toClient::Answers>("3+" + QByteArray(length, 'a')));
    QCOMPARE(w.label("label_acro3")->font().pointSize(), points);
    // A long answer never reaches past the panel.
    QVERIFY(w.label("label_acro3")->x() + w.label("label_acro3")->width() <= 782);
}

void tst_gamearea_voting::votes()
{
    FakeMainWindow w;
    w.login(4);
    w.main.show();
    w.area->postacros(received<cmd::toClient::Answers>("4+Mine+7+Theirs+9+Other"));
    QLabel *seven = w.label("label_acro7");
    QLabel *nine = w.label("label_acro9");
    QTest::mouseClick(w.label("label_acro4"), Qt::LeftButton); // own answer
    QVERIFY(w.sent.isEmpty());

    QTest::mouseClick(seven, Qt::LeftButton);
    QCOMPARE(w.takeSent(), wire("CMD_choosenacro+4+7+"));
    QTest::mouseClick(seven, Qt::LeftButton);
    QCOMPARE(w.takeSent(), wire("CMD_choosenacro+4+7+"));
    QVERIFY(roundstyle::isBold(seven));
    QVERIFY(!roundstyle::isTransparent(seven));
    QCOMPARE(seven->palette().color(QPalette::Window), palette::DarkBlue);
    QVERIFY(w.shown("image_hand"));
    QCOMPARE(w.control("image_hand")->y(), seven->y() + 2);

    QTest::mouseClick(nine, Qt::LeftButton);
    QCOMPARE(w.takeSent(), wire("CMD_choosenacro+4+9+"));
    QVERIFY(!roundstyle::isBold(seven));
    QVERIFY(roundstyle::isTransparent(seven));
    QCOMPARE(roundstyle::textColour(seven), palette::Yellow);
    QVERIFY(roundstyle::isBold(nine));
    QCOMPARE(w.control("image_hand")->y(), nine->y() + 2);
    QCOMPARE(roundstyle::textColour(w.label("label_acro4")), palette::Red);
}

void tst_gamearea_voting::clicksThatDoNothing_data()
{
    QTest::addColumn<QString>("when");
    QTest::newRow("spy") << "spy";
    QTest::newRow("empty line") << "empty";
    QTest::newRow("before the answers") << "before";
    QTest::newRow("after the results") << "results";
    QTest::newRow("after no votes") << "novotes";
    QTest::newRow("after the scores") << "scores";
}

void tst_gamearea_voting::clicksThatDoNothing()
{
    QFETCH(QString, when);
    FakeMainWindow w;
    w.login(when == "spy" ? 13 : 4);
    if (when != "before") w.area->postacros(received<cmd::toClient::Answers>("4+Mine+7+Theirs"));
    if (when == "results") w.area->postvotes(received<cmd::toClient::Votes>("n+y+n+7+Ann+0"));
    if (when == "novotes") w.area->novotes();
    if (when == "scores") w.area->postscores(received<cmd::toClient::Scores>("f+0+0+4+0+0"));
    w.label("label_acro7")->setText("Theirs"); // a line with text whatever the stage
    w.area->label_acro1Click(w.label(when == "empty" ? "label_acro8" : "label_acro7"));
    QVERIFY(w.sent.isEmpty());
    QVERIFY(!w.shown("image_hand"));
}

void tst_gamearea_voting::voteWithoutLoginMovesMarkOnly()
{
    FakeMainWindow w;
    w.area->postacros(received<cmd::toClient::Answers>("4+Mine+7+Theirs"));
    w.area->label_acro1Click(w.label("label_acro7"));
    QVERIFY(w.sent.isEmpty());
    QVERIFY(roundstyle::isBold(w.label("label_acro7")));
    QVERIFY(w.shown("image_hand"));
}

void tst_gamearea_voting::dovote_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<QStringList>("sounds");
    QTest::newRow("player") << 12 << QStringList{"vote"};
    QTest::newRow("spy") << 13 << QStringList();
}

void tst_gamearea_voting::dovote()
{
    QFETCH(int, slot);
    QFETCH(QStringList, sounds);
    FakeMainWindow w;
    w.login(slot);
    w.area->dovote();
    QCOMPARE(w.sounds, sounds);
    QCOMPARE(w.st.secondsLeft, 33);
    QCOMPARE(w.text("label_status"), QStringLiteral("Voting Stage"));
}

void tst_gamearea_voting::malformedSlotAbandonsMessage()
{
    FakeMainWindow w;
    QVERIFY_THROWS_EXCEPTION(
        cmd::ParseError, w.area->postacros(received<cmd::toClient::Answers>("two+Big Red Dog")));
    // Slots outside the board are passed over.
    w.area->postacros(received<cmd::toClient::Answers>("13+Spy Answer+0+Nobody+3+Fine"));
    QCOMPARE(w.answerLines().first(), 3);
}

QTEST_MAIN(tst_gamearea_voting)
#include "tst_gamearea_voting.moc"
