// Game start and teams: the start messages, late joiners, team choice, the start
// button and the stage panel switch.
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "tst_round_fixture.h"

class tst_gamearea_teams : public QObject
{
    Q_OBJECT
private slots:
    void startLine_data();
    void startLine();
    void startSetsCaptionsAndResetsBoard();
    void creationTimeNotANumberKeepsPrevious();
    void teamGameOpensTeamPanel();
    void teamClicks();
    void teamClicksWithoutLogin();
    void statsForAnotherSlotIsIgnored();
    void statsWithoutTeamsShowsWaitOverStage();
    void statsForTeamGame_data();
    void statsForTeamGame();
    void histeam();
    void histeamMalformedIsAbandoned();
    void startButton();
    void startButtonWithoutLogin();
    void setpanelsShowsOne();
};

void tst_gamearea_teams::startLine_data()
{
    QTest::addColumn<bool>("team");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("line");
    QTest::newRow("no options, bonus decides")
        << false << QByteArray("Ann+30+60+f+10+t+f+")
        << "Ann has started a game. Winner determined by winner of the bonus round.";
    QTest::newRow("speed bonus only")
        << false << QByteArray("Ann+30+60+f+10+f+t+")
        << "Ann has started a game with speed bonus. Winner determined by Final Total Score.";
    QTest::newRow("everything on")
        << false << QByteArray("Ann+30+60+t+10+t+t+")
        << "Ann has started a game with speed bonus with 10 Letter Bonus Round. Winner determined "
           "by winner of the bonus round.";
    QTest::newRow("own start") << false << QByteArray("Bob+30+60+t+8+x+f+")
                               << "You have started a game with 8 Letter Bonus Round. Winner "
                                  "determined by Final Total Score.";
    QTest::newRow("team game") << true << QByteArray("Ann+30+60+f+10+t+f+")
                               << "Ann has started a TEAM game. Winner determined by winner of "
                                  "the bonus round.";
    QTest::newRow("own team game") << true << QByteArray("Bob+30+60+f+10+f+f+")
                                   << "You have started a TEAM game. Winner determined by Final "
                                      "Total Score.";
}

void tst_gamearea_teams::startLine()
{
    QFETCH(bool, team);
    QFETCH(QByteArray, data);
    QFETCH(QString, line);
    FakeMainWindow w;
    w.login(2, "Bob");
    if (team)
        w.area->teamgame(received<cmd::toClient::TeamGame>(data));
    else
        w.area->startthegame(received<cmd::toClient::Game>(data));
    QCOMPARE(w.chatLines.size(), 1);
    QCOMPARE(w.chatLines.first().first, line);
    QCOMPARE(w.chatLines.first().second, TColor(0x00FFFF));
    QCOMPARE(w.sounds, QStringList{"letsplay"});
}

void tst_gamearea_teams::startSetsCaptionsAndResetsBoard()
{
    FakeMainWindow w;
    w.login(2);
    w.area->posttheletters(received<cmd::toClient::Letters>("3+ABC"));
    w.label("label_score3")->setText("17");
    w.label("label_bonus3")->setText("+5");
    roundstyle::setTextColour(w.label("label_playername3"), palette::White);
    w.control("entered_3")->show();
    w.label("label_team1")->setText("Yellow: 9");
    w.area->startthegame(received<cmd::toClient::Game>("Ann+25+45+t+9+t+t+"));

    QCOMPARE(w.text("label_playtoscore"), QStringLiteral("Play to Score: 25"));
    QCOMPARE(w.text("label_playtoscore1"), QStringLiteral("Play to Score: 25"));
    QCOMPARE(w.text("label_creationtime"), QStringLiteral("Time to Create Acro: 45"));
    QCOMPARE(w.text("label_creationtime1"), QStringLiteral("Time to Create Acro: 45"));
    QCOMPARE(w.text("label_bonus"), QStringLiteral("9 Letter Bonus Round"));
    QVERIFY(!w.shown("label_bonus"));
    QVERIFY(!w.shown("button_start"));
    QCOMPARE(w.text("label_score3"), QStringLiteral("0"));
    QCOMPARE(w.text("label_bonus3"), QString());
    QVERIFY(!w.shown("entered_3"));
    QCOMPARE(roundstyle::textColour(w.label("label_playername3")), palette::Yellow);
    QCOMPARE(w.text("label_team1"), QString());
    QVERIFY(!w.control<QTimer>("Timer2")->isActive());
    // The stage panel does not change with the start message.
    QCOMPARE(w.visiblePanel(), QStringLiteral("panel_creating"));
    // The next answer countdown starts from the new creation time.
    w.area->posttheletters(received<cmd::toClient::Letters>("3+ABC"));
    QCOMPARE(w.st.secondsLeft, 45);
}

void tst_gamearea_teams::creationTimeNotANumberKeepsPrevious()
{
    FakeMainWindow w;
    w.area->startthegame(received<cmd::toClient::Game>("Ann+30+90+f+10+t+f+"));
    w.area->startthegame(received<cmd::toClient::Game>("Ann+30+soon+f+10+t+f+"));
    QCOMPARE(w.text("label_creationtime"), QStringLiteral("Time to Create Acro: 90"));
    w.area->posttheletters(received<cmd::toClient::Letters>("3+ABC"));
    QCOMPARE(w.st.secondsLeft, 90);
}

void tst_gamearea_teams::teamGameOpensTeamPanel()
{
    FakeMainWindow w;
    w.login(2);
    w.area->teamgame(received<cmd::toClient::TeamGame>("Ann+30+60+t+10+t+t+"));
    QCOMPARE(w.visiblePanel(), QStringLiteral("panel_team"));
    QCOMPARE(w.text("label_team1"), QStringLiteral("Yellow: 0"));
    QCOMPARE(w.text("label_team2"), QStringLiteral("White: 0"));
    auto *yellow = w.control<RoundPictureButton>("image_team1");
    auto *white = w.control<RoundPictureButton>("image_team2");
    QCOMPARE(roundstyle::tag(yellow), 0);
    QCOMPARE(yellow->picture(), QString(res::team0));
    QCOMPARE(roundstyle::tag(white), 2);
    QCOMPARE(white->picture(), QString(res::team2));
}

void tst_gamearea_teams::teamClicks()
{
    FakeMainWindow w;
    w.login(4);
    w.main.show();
    w.area->teamgame(received<cmd::toClient::TeamGame>("Ann+30+60+t+10+t+t+"));
    auto *yellow = w.control<RoundPictureButton>("image_team1");
    auto *white = w.control<RoundPictureButton>("image_team2");

    QTest::mouseClick(yellow, Qt::LeftButton);
    QCOMPARE(w.takeSent(), wire("CMD_chooseteam+4+1+"));
    QCOMPARE(roundstyle::tag(yellow), 1);
    QCOMPARE(yellow->picture(), QString(res::team1));
    QTest::mouseClick(yellow, Qt::LeftButton); // already chosen
    QVERIFY(w.sent.isEmpty());

    QTest::mouseClick(white, Qt::LeftButton);
    QCOMPARE(w.takeSent(), wire("CMD_chooseteam+4+2+"));
    QCOMPARE(roundstyle::tag(yellow), 0);
    QCOMPARE(yellow->picture(), QString(res::team0));
    QCOMPARE(roundstyle::tag(white), 3);
    QCOMPARE(white->picture(), QString(res::team3));
    QCOMPARE(w.visiblePanel(), QStringLiteral("panel_team"));
}

void tst_gamearea_teams::teamClicksWithoutLogin()
{
    FakeMainWindow w;
    w.area->teamgame(received<cmd::toClient::TeamGame>("Ann+30+60+t+10+t+t+"));
    w.area->image_team1Click(w.control("image_team2"));
    QVERIFY(w.sent.isEmpty());
    QCOMPARE(roundstyle::tag(w.control("image_team2")), 3);
}

void tst_gamearea_teams::statsForAnotherSlotIsIgnored()
{
    FakeMainWindow w;
    w.login(5);
    w.area->postcats(received<cmd::toClient::Cats>("3+"));
    w.area->stats(received<cmd::toClient::Stats>("6+25+45+t+1+1"));
    QCOMPARE(w.visiblePanel(), QStringLiteral("panel_catagory"));
    QCOMPARE(w.text("label_playtoscore"), QStringLiteral("Play to Score: 30"));
    QVERIFY(w.control<QTimer>("Timer2")->isActive());
}

void tst_gamearea_teams::statsWithoutTeamsShowsWaitOverStage()
{
    FakeMainWindow w;
    w.login(5);
    w.area->postacros(received<cmd::toClient::Answers>("2+Big Red Dog"));
    w.label("label_team1")->setText("Yellow: 3");
    w.area->stats(received<cmd::toClient::Stats>("5+25+45+f"));
    QVERIFY(w.shown("label_wait"));
    QCOMPARE(w.text("label_wait"), QStringLiteral("Round in Progress.... Please Wait. "));
    QCOMPARE(w.visiblePanel(), QStringLiteral("panel_voting"));
    QCOMPARE(w.text("label_playtoscore1"), QStringLiteral("Play to Score: 25"));
    QCOMPARE(w.text("label_creationtime1"), QStringLiteral("Time to Create Acro: 45"));
    QCOMPARE(w.text("label_team1"), QString());
    // The next round message takes the caption away.
    w.area->postcats(received<cmd::toClient::Cats>("3+"));
    QVERIFY(!w.shown("label_wait"));
}

void tst_gamearea_teams::statsForTeamGame_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("no pairs") << QByteArray("5+30+60+t");
    QTest::newRow("pairs") << QByteArray("5+30+60+t+1+1+2+2+3+x+4+7");
}

void tst_gamearea_teams::statsForTeamGame()
{
    QFETCH(QByteArray, data);
    FakeMainWindow w;
    w.login(5);
    for (int n = 1; n <= 4; ++n) {
        roundstyle::setTextColour(w.label("label_playername" + QString::number(n)), palette::Red);
        roundstyle::setTextColour(w.label("label_score" + QString::number(n)), palette::Red);
    }
    // clearall() makes every row yellow before the pairs are read.
    w.area->stats(received<cmd::toClient::Stats>(data));
    QCOMPARE(w.visiblePanel(), QStringLiteral("panel_team"));
    QVERIFY(!w.shown("label_wait"));
    QCOMPARE(w.text("label_team1"), QStringLiteral("Yellow: 0"));
    QCOMPARE(w.text("label_team2"), QStringLiteral("White: 0"));
    const bool pairs = data.contains("+1+1");
    QCOMPARE(roundstyle::textColour(w.label("label_playername2")),
             pairs ? palette::White : palette::Yellow);
    QCOMPARE(roundstyle::textColour(w.label("label_score2")),
             pairs ? palette::White : palette::Yellow);
    QCOMPARE(roundstyle::textColour(w.label("label_playername1")), palette::Yellow);
}

void tst_gamearea_teams::histeam()
{
    FakeMainWindow w;
    w.login(3);
    w.area->teamgame(received<cmd::toClient::TeamGame>("Ann+30+60+t+10+t+t+"));
    w.area->histeam(received<cmd::toClient::Teams>("1+2+2+1+4+3"));
    QCOMPARE(roundstyle::textColour(w.label("label_playername1")), palette::White);
    QCOMPARE(roundstyle::textColour(w.label("label_score1")), palette::White);
    QCOMPARE(roundstyle::textColour(w.label("label_playername2")), palette::Yellow);
    QVERIFY(w.chatLines.size() == 1); // the start line only
    QCOMPARE(w.visiblePanel(), QStringLiteral("panel_team"));

    w.area->histeam(received<cmd::toClient::Teams>("3+2"));
    QCOMPARE(w.chatLines.last().first, QStringLiteral("You are on the WHITE team!"));
    QCOMPARE(w.chatLines.last().second, TColor(0xFFFFFF));
    QCOMPARE(roundstyle::textColour(w.label("label_playername3")), palette::White);
    QCOMPARE(w.visiblePanel(), QString());

    FakeMainWindow yellow;
    yellow.login(3);
    yellow.area->teamgame(received<cmd::toClient::TeamGame>("Ann+30+60+t+10+t+t+"));
    yellow.area->histeam(received<cmd::toClient::Teams>("3+1"));
    QCOMPARE(yellow.chatLines.last().first, QStringLiteral("You are on the YELLOW team!"));
    QCOMPARE(yellow.chatLines.last().second, TColor(0x00FFFF));
}

void tst_gamearea_teams::histeamMalformedIsAbandoned()
{
    FakeMainWindow w;
    w.login(3);
    QVERIFY_THROWS_EXCEPTION(cmd::ParseError,
                             w.area->histeam(received<cmd::toClient::Teams>("x+1")));
    // The bare form is skipped by the pump; an empty remainder changes nothing.
    w.area->histeam(received<cmd::toClient::Teams>(""));
    QVERIFY(w.chatLines.isEmpty());
}

void tst_gamearea_teams::startButton()
{
    FakeMainWindow w;
    w.login(1);
    w.st.isHost = true;
    w.main.show();
    w.area->winner(received<cmd::toClient::Winner>("Ann"));
    QVERIFY(w.shown("button_start"));
    QTest::mouseClick(w.control("button_start"), Qt::LeftButton);
    QVERIFY(w.options->isVisible());
    QCOMPARE(w.options->starterName(), QStringLiteral("Bob"));
    QVERIFY(!w.shown("button_start"));
    w.options->hide();
    // During a game the button is hidden, but the menu item still opens the dialog.
    w.area->startthegame(received<cmd::toClient::Game>("Bob+30+60+t+10+t+t+"));
    QVERIFY(w.startItem->isEnabled());
    w.area->button_startClick();
    QVERIFY(w.options->isVisible());
}

void tst_gamearea_teams::startButtonWithoutLogin()
{
    FakeMainWindow w;
    w.area->button_startClick();
    QMessageBox *box = w.area->findChild<QMessageBox *>("box_notconnected");
    QVERIFY(box);
    QCOMPARE(box->text(), QStringLiteral("You are not connected"));
    QVERIFY(!w.options->isVisible());
    box->close();
}

void tst_gamearea_teams::setpanelsShowsOne()
{
    FakeMainWindow w;
    w.area->stats(received<cmd::toClient::Stats>("0+30+60+f"));
    QVERIFY(w.shown("label_wait"));
    for (const char *name : {"panel_over", "panel_catagory", "panel_inbonus", "panel_team",
                             "panel_creating", "panel_voting"}) {
        w.area->setpanels(w.control(name));
        QCOMPARE(w.visiblePanel(), QString::fromLatin1(name));
        QVERIFY(!w.shown("label_wait"));
        QVERIFY(!w.shown("panel_noanswers"));
    }
}

QTEST_MAIN(tst_gamearea_teams)
#include "tst_gamearea_teams.moc"
