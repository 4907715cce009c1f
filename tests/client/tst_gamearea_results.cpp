// Results, scores, the bonus round announcement and the end of the game.
#include <QAction>
#include <QTableWidget>
#include <QTest>

#include "tst_round_fixture.h"

class tst_gamearea_results : public QObject
{
    Q_OBJECT
private slots:
    void roundWinner_data();
    void roundWinner();
    void speedIconFollowsTheAnswer();
    void logButtons();
    void nothingSubmitted_data();
    void nothingSubmitted();
    void scoresSortTheBoard();
    void scoresRoundPointsAndTeams();
    void scoresNobodyBoldAtZero();
    void scoresTotalNotANumber();
    void scoresMalformedSlot();
    void bonusRound_data();
    void bonusRound();
    void winner_data();
    void winner();

private:
    static QString boardTopToBottom(FakeMainWindow &w)
    {
        QStringList order;
        for (int i = 1; i <= 12; ++i) {
            for (int n = 1; n <= 12; ++n) {
                if (w.control("label_score" + QString::number(n))->y() == 18 * i - 14)
                    order << QString::number(n);
            }
        }
        return order.join(',');
    }
};

void tst_gamearea_results::roundWinner_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("won and voted")
        << QByteArray("y+y+n+2+Ann+3") << "Ann Won The Round!" << palette::White;
    QTest::newRow("won without voting")
        << QByteArray("y+n+n+2+Ann+3") << "Ann won, but did not vote." << palette::Gray;
}

void tst_gamearea_results::roundWinner()
{
    QFETCH(QByteArray, record);
    QFETCH(QString, line);
    QFETCH(QColor, colour);
    FakeMainWindow w;
    w.login(4);
    w.area->postacros(
        received<cmd::toClient::Answers>("2+Big Red Dog+4+Bad Rude Dad+6+Blue Rain Day"));
    w.area->label_acro1Click(w.label("label_acro2"));
    w.sounds.clear();
    w.area->postvotes(received<cmd::toClient::Votes>(record + "+n+y+n+4+Bob+1+n+n+n+6+Cid+0"));
    QCOMPARE(w.text("label_wonround"), line);
    for (const char *name : {"label_acro2", "label_name2", "label_votes2"}) {
        QCOMPARE(roundstyle::textColour(w.control(name)), colour);
        QVERIFY(roundstyle::isBold(w.control(name)));
    }
    QCOMPARE(w.text("label_name2"), QStringLiteral("Ann"));
    QCOMPARE(w.text("label_votes2"), QStringLiteral("3"));
    QVERIFY(w.shown("image_winner"));
    QCOMPARE(w.control("image_winner")->y(), w.label("label_acro2")->y());
    QCOMPARE(roundstyle::textColour(w.label("label_acro4")), palette::Yellow);
    QVERIFY(!roundstyle::isBold(w.label("label_name4")));
    QCOMPARE(roundstyle::textColour(w.label("label_name6")), palette::Gray);
    QCOMPARE(w.sounds, QStringList{"winner"});
    QVERIFY(!w.shown("image_hand"));
    QCOMPARE(w.text("label_status"), QStringLiteral("Tallying Scores.."));
    // The results stay on the voting screen.
    QCOMPARE(w.visiblePanel(), QStringLiteral("panel_voting"));
}

void tst_gamearea_results::speedIconFollowsTheAnswer()
{
    for (quint32 seed : {3u, 11u}) {
        FakeMainWindow w;
        w.area->seedRandom(seed);
        w.area->postacros(received<cmd::toClient::Answers>("1+Aa+5+Bb+8+Cc"));
        w.area->postvotes(
            received<cmd::toClient::Votes>("n+y+n+1+Ann+0+y+y+y+5+Bob+2+n+y+n+8+Cid+1"));
        QVERIFY(w.shown("image_speed"));
        QCOMPARE(w.control("image_speed")->y(), w.label("label_acro5")->y() + 3);
    }
}

void tst_gamearea_results::logButtons()
{
    FakeMainWindow w;
    w.login(4);
    w.main.show();
    w.area->catchoosen(received<cmd::toClient::Category>("Food"));
    const QByteArray longAnswer(200, 'x');
    w.area->postacros(received<cmd::toClient::Answers>("2+Big Red Dog+5+" + longAnswer));
    w.area->postvotes(received<cmd::toClient::Votes>("y+y+n+2+Ann+3+n+y+n+5+Eve+0"));
    QVERIFY(w.shown("button_log2"));
    QVERIFY(w.shown("button_log5"));
    QVERIFY(!w.shown("button_log3"));
    QLabel *acro = w.label("label_acro2");
    QCOMPARE(w.control("button_log2")->x(), acro->x() + acro->width() + 5);
    QCOMPARE(w.control("button_log2")->y(), acro->y());
    QCOMPARE(w.control("button_log5")->x(), FakeMainWindow::MainWidth - 65);

    QTest::mouseClick(w.control("button_log2"), Qt::LeftButton);
    QVERIFY(!w.shown("button_log2"));
    QVERIFY(w.shown("button_log5"));
    QCOMPARE(w.log->entryCount(), 1);
    QTableWidget *grid = w.log->log();
    auto cell = [grid](int column) {
        QTableWidgetItem *item = grid->item(0, column); // the first entry
        return item ? item->text() : QString();
    };
    QCOMPARE(cell(1), QStringLiteral("Ann"));
    QCOMPARE(cell(2), QStringLiteral("Category: Food"));
    QCOMPARE(cell(3), QStringLiteral("Big Red Dog"));
    QCOMPARE(cell(4), QStringLiteral("3"));
}

void tst_gamearea_results::nothingSubmitted_data()
{
    QTest::addColumn<bool>("answers");
    QTest::addColumn<QString>("text");
    QTest::newRow("no votes") << true << "No Votes Submitted";
    QTest::newRow("no answers") << false << "No Acros Submitted";
}

void tst_gamearea_results::nothingSubmitted()
{
    QFETCH(bool, answers);
    QFETCH(QString, text);
    FakeMainWindow w;
    w.area->posttheletters(received<cmd::toClient::Letters>("3+BRD"));
    if (answers) {
        w.area->postacros(received<cmd::toClient::Answers>("3+Big Red Dog"));
        w.area->novotes();
    } else {
        w.area->noanswer();
    }
    QCOMPARE(w.visiblePanel(), QStringLiteral("panel_voting"));
    QVERIFY(w.shown("panel_noanswers"));
    QCOMPARE(w.text("label_nosomething"), text);
    QCOMPARE(w.text("label_status"), text);
    QCOMPARE(w.sounds.last(), QStringLiteral("none"));
    QCOMPARE(w.shown("button_log3"), answers);
    QCOMPARE(w.text("label_name3"), QString());
}

void tst_gamearea_results::scoresSortTheBoard()
{
    FakeMainWindow w;
    w.area->postscores(received<cmd::toClient::Scores>("f+0+0+1+12+3+2+30+0+3+30+5+4+7+0"));
    QCOMPARE(boardTopToBottom(w), QStringLiteral("2,3,1,4,5,6,7,8,9,10,11,12"));
    QCOMPARE(QList<int>(w.st.boardOrder.begin(), w.st.boardOrder.begin() + 4),
             QList<int>({2, 3, 1, 4}));
    QVERIFY(roundstyle::isBold(w.label("label_playername2")));
    QVERIFY(roundstyle::isBold(w.label("label_score2")));
    QVERIFY(!roundstyle::isBold(w.label("label_playername3")));
    QVERIFY(!roundstyle::isBold(w.label("label_playername1")));
    for (const char *prefix : {"label_playername", "label_bonus", "entered_"})
        QCOMPARE(w.control(QString::fromLatin1(prefix) + "2")->y(), 4);
    QCOMPARE(w.text("label_status"), QStringLiteral("Posting Scores, One Moment Please.."));
    QCOMPARE(w.sounds, QStringList{"posting"});
    // The order is kept and re-sorted from where it stands.
    w.area->postscores(received<cmd::toClient::Scores>("f+0+0+1+40+0+2+30+0+3+31+1+4+7+0"));
    QCOMPARE(boardTopToBottom(w), QStringLiteral("1,3,2,4,5,6,7,8,9,10,11,12"));
    QVERIFY(roundstyle::isBold(w.label("label_score1")));
    QVERIFY(!roundstyle::isBold(w.label("label_score2")));
}

void tst_gamearea_results::scoresRoundPointsAndTeams()
{
    FakeMainWindow w;
    w.label("label_bonus1")->setText("+9");
    w.label("label_team1")->setText("Yellow: 0");
    w.area->postscores(received<cmd::toClient::Scores>("f+5+6+1+4+0+2+3+3"));
    QCOMPARE(w.text("label_bonus1"), QString());
    QCOMPARE(w.text("label_bonus2"), QStringLiteral("+3"));
    QCOMPARE(w.text("label_score1"), QStringLiteral("4"));
    QCOMPARE(w.text("label_team1"), QStringLiteral("Yellow: 0"));
    w.area->postscores(received<cmd::toClient::Scores>("t+12+7+1+4+0"));
    QCOMPARE(w.text("label_team1"), QStringLiteral("Yellow: 12"));
    QCOMPARE(w.text("label_team2"), QStringLiteral("White: 7"));
    w.area->postscores(received<cmd::toClient::Scores>("t+13+8"));
    QCOMPARE(w.text("label_team2"), QStringLiteral("White: 8"));
}

void tst_gamearea_results::scoresNobodyBoldAtZero()
{
    FakeMainWindow w;
    roundstyle::setBold(w.label("label_playername5"), true);
    w.area->postscores(received<cmd::toClient::Scores>("f+0+0+1+0+0+2+0+0+5+0+0"));
    QVERIFY(roundstyle::isBold(w.label("label_playername5"))); // untouched: nobody leads
    w.area->postscores(received<cmd::toClient::Scores>("f+0+0+1+0+0+2+1+1+5+1+1"));
    QVERIFY(roundstyle::isBold(w.label("label_playername2")));
    QVERIFY(!roundstyle::isBold(w.label("label_playername5")));
}

void tst_gamearea_results::scoresTotalNotANumber()
{
    FakeMainWindow w;
    w.area->postscores(received<cmd::toClient::Scores>("f+0+0+1+3+0+2+lots+0+3+9+0"));
    QCOMPARE(w.text("label_score2"), QStringLiteral("lots"));
    // Slot 2's total takes no part: 3 cannot pass it, and 2 stays on line 2.
    QCOMPARE(boardTopToBottom(w), QStringLiteral("1,2,3,4,5,6,7,8,9,10,11,12"));
    QVERIFY(roundstyle::isBold(w.label("label_score3")));
}

void tst_gamearea_results::scoresMalformedSlot()
{
    FakeMainWindow w;
    QVERIFY_THROWS_EXCEPTION(cmd::ParseError,
                             w.area->postscores(received<cmd::toClient::Scores>("f+0+0+x+3+0")));
    // A slot the board does not have is passed over.
    w.area->postscores(received<cmd::toClient::Scores>("f+0+0+1+3+0+2+9+0+14+100+0"));
    QCOMPARE(boardTopToBottom(w), QStringLiteral("2,1,3,4,5,6,7,8,9,10,11,12"));
}

void tst_gamearea_results::bonusRound_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("headline");
    QTest::addColumn<bool>("answers");
    QTest::newRow("named, this client in") << 5 << QByteArray("2,5") << "Good Luck!: Bob, Ann"
                                           << "Good Luck!: Bob, Ann" << true;
    QTest::newRow("named, this client out") << 3 << QByteArray("2,5") << "Good Luck!: Bob, Ann"
                                            << "Good Luck!: Bob, Ann" << false;
    QTest::newRow("team without a bonus player") << 2 << QByteArray("0,2") << "Good Luck!: Bob"
                                                 << "Good Luck!: Bob" << true;
    QTest::newRow("too many to name")
        << 3 << QByteArray("0") << "Good Luck all those in the Bonus Round!"
        << "Get Ready!" << true;
}

void tst_gamearea_results::bonusRound()
{
    QFETCH(int, slot);
    QFETCH(QByteArray, list);
    QFETCH(QString, line);
    QFETCH(QString, headline);
    QFETCH(bool, answers);
    FakeMainWindow w;
    w.setBoardName(3, "Cid");
    w.login(slot, slot == 5 ? "Ann" : slot == 2 ? "Bob" : "Cid");
    w.setBoardName(2, "Bob");
    w.setBoardName(5, "Ann");
    w.area->getnextplayer(received<cmd::toClient::NextPlayer>("2+f+"));
    w.area->postacros(received<cmd::toClient::Answers>("2+Last Round"));
    w.area->inbonus(received<cmd::toClient::InBonus>(list));
    QCOMPARE(w.visiblePanel(), QStringLiteral("panel_inbonus"));
    QCOMPARE(w.text("label_catagory"), QStringLiteral("Bonus Round!"));
    QCOMPARE(w.text("label_acro2"), QString());
    QCOMPARE(w.text("label_playersnames"), line);
    QCOMPARE(w.text("label_playersnames2"), line);
    QCOMPARE(w.text("label_inbonus1"), headline);
    QCOMPARE(w.text("label_inbonus2"), headline);
    w.area->catchoosen(received<cmd::toClient::Category>("General"));
    QCOMPARE(w.text("label_catagory"), QStringLiteral("Category: General"));
    w.area->posttheletters(received<cmd::toClient::Letters>("10+BRDBRDBRDB"));
    QVERIFY(w.shown("label_bonus"));
    QCOMPARE(w.shown("edit_answer"), answers);
    // The bonus caption goes with the scores.
    w.area->postscores(received<cmd::toClient::Scores>("f+0+0+2+40+10"));
    QVERIFY(!w.shown("label_bonus"));
}

void tst_gamearea_results::winner_data()
{
    QTest::addColumn<bool>("host");
    QTest::newRow("joined") << false;
    QTest::newRow("hosting") << true;
}

void tst_gamearea_results::winner()
{
    QFETCH(bool, host);
    FakeMainWindow w;
    w.login(host ? 1 : 3);
    w.st.isHost = host;
    w.area->catchoosen(received<cmd::toClient::Category>("Food"));
    w.area->winner(received<cmd::toClient::Winner>("Ann and Bob"));
    QCOMPARE(w.visiblePanel(), QStringLiteral("panel_over"));
    QCOMPARE(w.sounds, QStringList{"gameover"});
    QCOMPARE(w.chatLines.last().first, QStringLiteral("Ann and Bob has Won the Game!"));
    QCOMPARE(w.chatLines.last().second, TColor(0x00FFFF));
    QCOMPARE(w.text("label_winner1"), QStringLiteral("Ann and Bob!"));
    QCOMPARE(w.text("label_winner2"), QStringLiteral("Ann and Bob!"));
    QCOMPARE(w.text("label_status"), QStringLiteral("Ann and Bob has won the game!"));
    QCOMPARE(w.shown("button_start"), host);
    QCOMPARE(w.startItem->isEnabled(), host);
    QCOMPARE(w.text("label_catagory"), host ? QString() : QStringLiteral("Category: Food"));
}

QTEST_MAIN(tst_gamearea_results)
#include "tst_gamearea_results.moc"
