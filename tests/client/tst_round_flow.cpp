// Whole rounds with a real host and real main windows in one process: the
// clients talk to the host over TCP on 127.0.0.1, the players' actions are typed
// and clicked into the round screens, and the host's stage clock runs fast. The
// clock stops by itself whenever the host opens a stage in which the test acts,
// and runs on when the test has acted.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "client/chatdisplay.h"
#include "client/program.h"
#include "client/soundplayer.h"
#include "client/tchat.h"
#include "host/tserver.h"
#include "plaintextcheck.h"
#include "tests/host/tserverprobe.h"
#include "tst_round_fixture.h"
#include "windows/tacrolog.h"
#include "windows/tcategorylist.h"
#include "windows/tspylist.h"

namespace {

const int FastTick = 4;         // ms per host stage tick while nobody acts
const int Paused = 3600 * 1000; // a tick that never comes during the test
const int Wait = 10000;

// A step of a story: a helper whose check failed ends the test there.
#define STEP(call)                                                                                 \
    do {                                                                                           \
        call;                                                                                      \
        if (QTest::currentTestFailed()) return;                                                    \
    } while (false)

class NoSounds : public SoundPlayer
{
public:
    void play(const QString &) override {}
};

} // namespace

class tst_round_flow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void teamGameUpToTheAnswers();
    void plainGameWithBonusRound();
    void teamGameToWinner();
    void outsideTextIsOnlyText();

private:
    Tchat *join(const QString &name);
    // Ann hosts; Bob and Cid join (slots 1, 2 and 3).
    void joinThree();
    // Ann starts a game with the options `set` chooses.
    void startGame(const std::function<void(Tgamestart *)> &set);
    // Every player sees the stage panel.
    void allSee(const char *panel);
    // The players answer in turn, each with a valid answer of their own.
    void allAnswer(const QList<Tchat *> &players);
    // Every player sees the game-over screen naming the winner.
    void allSeeWinner(const QString &winner);
    // The host's clock stops when it sends a message with one of these words.
    void pauseOn(const QList<QByteArray> &words);
    bool waitPaused(const QByteArray &word);
    void resume();
    QString acroFor(Tchat *chat) const;
    void answer(Tchat *chat, const QString &text);
    // Clicks the answer of `slot`; unless it is the player's own, waits for the
    // host to hold the vote.
    void vote(Tchat *chat, int slot);

    static QLabel *label(Tchat *chat, const QString &name)
    {
        return chat->findChild<QLabel *>(name);
    }
    static QString text(Tchat *chat, const QString &name)
    {
        QLabel *l = label(chat, name);
        return l ? l->text() : QString();
    }
    static bool shown(Tchat *chat, const QString &name)
    {
        QWidget *w = chat->findChild<QWidget *>(name);
        return w && w->isVisible();
    }
    static QStringList chatLines(Tchat *chat);
    // The chooser types a category; the others watch.
    void chooseCategory(Tchat *chooser, const QList<Tchat *> &watchers, const QString &category);
    // The board totals of the given slots added up, as every player sees them.
    static int boardTotal(Tchat *chat, const QList<int> &members);

    std::unique_ptr<testsupport::TempProgramFolder> folder;
    QList<Tchat *> clients; // the hosting client first
    Tchat *ann = nullptr, *bob = nullptr, *cid = nullptr;
    QList<Tchat *> all;
    TServer *server = nullptr;
    quint16 port = 0;
    QList<QByteArray> pauseWords;
    QByteArray pausedAt;
    qint64 now = 0;
};

void tst_round_flow::init()
{
    res::init();
    folder = std::make_unique<testsupport::TempProgramFolder>();
    port = testsupport::freePort();
    pausedAt.clear();
    pauseWords.clear();
    ann = bob = cid = nullptr;
    all.clear();
}

void tst_round_flow::cleanup()
{
    // Joined clients first, so no departure reaches a window already gone.
    while (!clients.isEmpty())
        delete clients.takeLast();
    server = nullptr;
    folder.reset();
}

Tchat *tst_round_flow::join(const QString &name)
{
    Tchat *chat = createWindows();
    chat->endProgram = [] {};
    chat->showMessage = [](const QString &) {};
    chat->showError = [](const QString &text) { QFAIL(qPrintable(text)); };
    chat->setSoundPlayer(std::make_unique<NoSounds>());
    chat->setGamePort(port);
    chat->state().ownName = name;
    chat->state().hostAddress = QStringLiteral("127.0.0.1");
    clients << chat;
    chat->show();
    if (clients.size() == 1) {
        chat->hostpress();
        server = chat->server();
        server->setStageInterval(FastTick);
        server->setClock([this] { return ++now; });
        TServerProbe(*server).sendHook() = [this](int, const QByteArray &message) {
            for (const QByteArray &word : std::as_const(pauseWords)) {
                if (message.startsWith(word + '+')) {
                    server->setStageInterval(Paused);
                    pausedAt = word;
                }
            }
        };
    } else {
        chat->joinpress();
    }
    const int slot = clients.size();
    if (!QTest::qWaitFor([&] { return chat->state().ownSlot == slot; }, Wait)) return nullptr;
    for (Tchat *other : std::as_const(clients)) {
        if (!QTest::qWaitFor(
                [&] { return text(other, "label_playername" + QString::number(slot)) == name; },
                Wait))
            return nullptr;
    }
    return chat;
}

void tst_round_flow::joinThree()
{
    ann = join("Ann");
    QVERIFY(ann);
    bob = join("Bob");
    QVERIFY(bob);
    cid = join("Cid");
    QVERIFY(cid);
    all = {ann, bob, cid};
}

void tst_round_flow::startGame(const std::function<void(Tgamestart *)> &set)
{
    QTest::mouseClick(ann->gameArea()->findChild<QWidget *>("button_start"), Qt::LeftButton);
    Tgamestart *options = ann->gameOptions();
    QTRY_VERIFY_WITH_TIMEOUT(options->isVisible(), Wait);
    set(options);
    QTest::mouseClick(options->findChild<QPushButton *>("button_start"), Qt::LeftButton);
}

void tst_round_flow::allSee(const char *panel)
{
    for (Tchat *chat : std::as_const(all))
        QTRY_VERIFY_WITH_TIMEOUT(shown(chat, panel), Wait);
}

void tst_round_flow::allAnswer(const QList<Tchat *> &players)
{
    for (Tchat *chat : players) {
        QTRY_VERIFY_WITH_TIMEOUT(shown(chat, "panel_creating"), Wait);
        answer(chat, acroFor(chat));
        QTRY_VERIFY_WITH_TIMEOUT(!server->player(chat->state().ownSlot).acro.isEmpty(), Wait);
    }
}

void tst_round_flow::allSeeWinner(const QString &winner)
{
    for (Tchat *chat : std::as_const(all)) {
        QTRY_VERIFY_WITH_TIMEOUT(shown(chat, "panel_over"), Wait);
        QCOMPARE(text(chat, "label_winner1"), winner + "!");
        QCOMPARE(text(chat, "label_winner2"), winner + "!");
        bool headline = false;
        for (QLabel *l : chat->findChild<QWidget *>("panel_over")->findChildren<QLabel *>())
            headline =
                headline || (l->text() == "Congratulations to the Winner!" && l->isVisible());
        QVERIFY(headline);
        QCOMPARE(text(chat, "label_status"), winner + " has won the game!");
        QVERIFY(chatLines(chat).contains(winner + " has Won the Game!"));
    }
}

void tst_round_flow::pauseOn(const QList<QByteArray> &words)
{
    pauseWords = words;
}

bool tst_round_flow::waitPaused(const QByteArray &word)
{
    const bool reached = QTest::qWaitFor([&] { return pausedAt == word; }, Wait);
    // Let every client handle what the host has sent so far.
    QTest::qWait(50);
    return reached;
}

void tst_round_flow::resume()
{
    pausedAt.clear();
    server->setStageInterval(FastTick);
}

QStringList tst_round_flow::chatLines(Tchat *chat)
{
    return chat->chatDisplay()->toPlainText().split(u'\n', Qt::SkipEmptyParts);
}

void tst_round_flow::chooseCategory(Tchat *chooser, const QList<Tchat *> &watchers,
                                    const QString &category)
{
    QTRY_VERIFY_WITH_TIMEOUT(shown(chooser, "panel_catagory"), Wait);
    QVERIFY(shown(chooser, "combo_cat"));
    const QString choosing = chooser->state().ownName + " is choosing a category.";
    for (Tchat *watcher : watchers) {
        QTRY_VERIFY_WITH_TIMEOUT(shown(watcher, "panel_catagory"), Wait);
        QVERIFY(!shown(watcher, "combo_cat"));
        QCOMPARE(text(watcher, "label_choosecat"), choosing);
    }
    QLineEdit *typed = chooser->findChild<QComboBox *>("combo_cat")->lineEdit();
    typed->clear();
    QTest::keyClicks(typed, category);
    QTest::keyClick(typed, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(server->currentCategory(), category.toUtf8(), Wait);
}

int tst_round_flow::boardTotal(Tchat *chat, const QList<int> &members)
{
    int total = 0;
    for (const int slot : members)
        total += text(chat, "label_score" + QString::number(slot)).toInt();
    return total;
}

// A valid answer of the player's own: one word per letter on the screen.
QString tst_round_flow::acroFor(Tchat *chat) const
{
    return QString::fromUtf8(
        testsupport::acroFor(text(chat, "label_letters").toUtf8(), chat->state().ownName.toUtf8()));
}

void tst_round_flow::answer(Tchat *chat, const QString &typed)
{
    auto *edit = chat->findChild<QLineEdit *>("edit_answer");
    QVERIFY(edit && edit->isVisible());
    edit->clear();
    QTest::keyClicks(edit, typed);
    QTest::keyClick(edit, Qt::Key_Return);
}

void tst_round_flow::vote(Tchat *chat, int slot)
{
    QLabel *acro = label(chat, "label_acro" + QString::number(slot));
    QVERIFY(acro && acro->isVisible());
    QTest::mouseClick(acro, Qt::LeftButton, {}, QPoint(30, 8));
    if (slot != chat->state().ownSlot)
        QTRY_COMPARE_WITH_TIMEOUT(server->player(chat->state().ownSlot).vote, slot, Wait);
}

void tst_round_flow::teamGameUpToTheAnswers()
{
    STEP(joinThree());
    pauseOn({cmd::CMD_teamgame, cmd::CMD_cats, cmd::CMD_theletters});

    // The hosting player starts a team game from the options dialog.
    STEP(startGame(
        [](Tgamestart *o) { o->findChild<QCheckBox *>("checkbox_team")->setChecked(true); }));
    QVERIFY(waitPaused(cmd::CMD_teamgame));
    STEP(allSee("panel_team"));
    for (Tchat *chat : std::as_const(all))
        QCOMPARE(text(chat, "label_team1"), QStringLiteral("Yellow: 0"));
    QVERIFY(chatLines(bob).contains("Ann has started a TEAM game with 10 Letter Bonus Round. "
                                    "Winner determined by winner of the bonus round."));

    // Bob picks White, changes his mind, picks White again; Cid picks Yellow.
    QTest::mouseClick(bob->findChild<QWidget *>("image_team2"), Qt::LeftButton);
    QTest::mouseClick(bob->findChild<QWidget *>("image_team1"), Qt::LeftButton);
    QTest::mouseClick(bob->findChild<QWidget *>("image_team2"), Qt::LeftButton);
    QTest::mouseClick(cid->findChild<QWidget *>("image_team1"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(server->player(3).team, 1, Wait);
    QTRY_COMPARE_WITH_TIMEOUT(server->player(2).team, 2, Wait);
    resume();

    // The team stage ends: everybody learns the teams, Ann is balanced to Yellow.
    QVERIFY(waitPaused(cmd::CMD_cats));
    QTRY_VERIFY_WITH_TIMEOUT(chatLines(bob).contains("You are on the WHITE team!"), Wait);
    QVERIFY(chatLines(cid).contains("You are on the YELLOW team!"));
    QVERIFY(chatLines(ann).contains("You are on the YELLOW team!"));
    QCOMPARE(roundstyle::textColour(label(ann, "label_playername2")), palette::White);
    QCOMPARE(roundstyle::textColour(label(ann, "label_playername3")), palette::Yellow);

    // Ann chooses the category; the others watch.
    QTRY_VERIFY_WITH_TIMEOUT(shown(ann, "panel_catagory"), Wait);
    QVERIFY(shown(ann, "combo_cat"));
    QVERIFY(!shown(bob, "combo_cat") && !shown(bob, "combo_cat1"));
    QCOMPARE(text(bob, "label_choosecat"), QStringLiteral("Ann is choosing a category."));
    QCOMPARE(text(cid, "label_catagory"), QStringLiteral("3 Letter Round"));
    QLineEdit *typed = ann->findChild<QComboBox *>("combo_cat")->lineEdit();
    typed->clear();
    QTest::keyClicks(typed, "Sea Life");
    QTest::keyClick(typed, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(server->currentCategory(), QByteArray("Sea Life"), Wait);
    resume();

    // The letters: Bob's answer fits them, Cid's does not and never leaves.
    QVERIFY(waitPaused(cmd::CMD_theletters));
    QTRY_VERIFY_WITH_TIMEOUT(shown(bob, "panel_creating"), Wait);
    QCOMPARE(text(bob, "label_catagory"), QStringLiteral("Category: Sea Life"));
    QCOMPARE(text(cid, "label_catagory1"), QStringLiteral("Sea Life"));
    QCOMPARE(text(bob, "label_letters").size(), 3);
    answer(bob, acroFor(bob));
    answer(cid, QStringLiteral("not the letters at all"));
    QTRY_COMPARE_WITH_TIMEOUT(server->player(2).acro, acroFor(bob).toUtf8(), Wait);
    QVERIFY(shown(bob, "label_accepted"));
    QVERIFY(shown(cid, "label_warning"));
    QVERIFY(!shown(cid, "label_accepted"));
    // The answered mark reaches every board; Cid's answer was never sent.
    QTRY_VERIFY_WITH_TIMEOUT(shown(cid, "entered_2"), Wait);
    QVERIFY(server->player(3).acro.isEmpty());
    QVERIFY(!shown(ann, "entered_3"));
}

void tst_round_flow::plainGameWithBonusRound()
{
    STEP(joinThree());
    pauseOn({cmd::CMD_theletters, cmd::CMD_anacro, cmd::CMD_thevotes, cmd::CMD_postscores,
             cmd::CMD_inbonus});

    STEP(startGame([](Tgamestart *o) {
        o->findChild<QSpinBox *>("UpDown1")->setValue(3);  // play to 3
        o->findChild<QSpinBox *>("UpDown2")->setValue(45); // creation time
        o->findChild<QSpinBox *>("UpDown3")->setValue(7);  // bonus letters
        o->findChild<QCheckBox *>("checkbox_speed")->setChecked(true);
        o->findChild<QRadioButton *>("checkbox_bonus")->setChecked(true);
    }));

    // Round one: answers in the order Bob, Ann, Cid.
    QVERIFY(waitPaused(cmd::CMD_theletters));
    QTRY_VERIFY_WITH_TIMEOUT(shown(cid, "panel_creating"), Wait);
    QVERIFY(chatLines(ann).contains("You have started a game with speed bonus with 7 Letter Bonus "
                                    "Round. Winner determined by winner of the bonus round."));
    QCOMPARE(text(ann, "label_catagory"), QStringLiteral("Category: General"));
    STEP(allAnswer({bob, ann, cid}));
    resume();

    // Voting: Ann and Cid vote for Bob, Bob for Ann.
    QVERIFY(waitPaused(cmd::CMD_anacro));
    STEP(allSee("panel_voting"));
    QCOMPARE(roundstyle::textColour(label(bob, "label_acro2")), palette::Red);
    vote(ann, 2);
    vote(cid, 2);
    vote(bob, 2); // his own answer: nothing is sent
    QCOMPARE(server->player(2).vote, 0);
    vote(bob, 1);
    QVERIFY(shown(bob, "image_hand"));
    resume();

    // The results: Bob won with the speed bonus; Ann keeps his answer in her log.
    QVERIFY(waitPaused(cmd::CMD_thevotes));
    QTRY_COMPARE_WITH_TIMEOUT(text(ann, "label_wonround"), QStringLiteral("Bob Won The Round!"),
                              Wait);
    QCOMPARE(text(ann, "label_name2"), QStringLiteral("Bob"));
    QCOMPARE(text(ann, "label_votes2"), QStringLiteral("2"));
    QVERIFY(shown(ann, "image_winner") && shown(ann, "image_speed"));
    QCOMPARE(ann->findChild<QWidget *>("image_speed")->y(), label(ann, "label_acro2")->y() + 3);
    QVERIFY(shown(ann, "button_log2"));
    QTest::mouseClick(ann->findChild<QWidget *>("button_log2"), Qt::LeftButton);
    QVERIFY(!shown(ann, "button_log2"));
    QVERIFY(shown(ann, "button_log1"));
    resume();

    // Scores: Bob 2 votes + 5 for the round + 1 speed; Ann 1 + 1; Cid 1. Bob is
    // at the top of every board; then the bonus round for Bob and Ann.
    QVERIFY(waitPaused(cmd::CMD_postscores));
    for (Tchat *chat : std::as_const(all)) {
        QTRY_COMPARE_WITH_TIMEOUT(text(chat, "label_score2"), QStringLiteral("8"), Wait);
        QCOMPARE(label(chat, "label_score2")->y(), 4);
        QCOMPARE(label(chat, "label_score3")->y(), 40);
        QCOMPARE(text(chat, "label_bonus2"), QStringLiteral("+8"));
        QCOMPARE(text(chat, "label_bonus1"), QStringLiteral("+2"));
        QVERIFY(roundstyle::isBold(label(chat, "label_playername2")));
        QVERIFY(!roundstyle::isBold(label(chat, "label_playername1")));
    }
    resume();
    QVERIFY(waitPaused(cmd::CMD_inbonus));
    STEP(allSee("panel_inbonus"));
    for (Tchat *chat : std::as_const(all)) {
        QCOMPARE(text(chat, "label_inbonus1"), QStringLiteral("Good Luck!: Bob, Ann"));
        QCOMPARE(text(chat, "label_catagory"), QStringLiteral("Bonus Round!"));
    }
    pauseOn({cmd::CMD_theletters, cmd::CMD_anacro, cmd::CMD_winner});
    resume();

    QVERIFY(waitPaused(cmd::CMD_theletters));
    QTRY_VERIFY_WITH_TIMEOUT(shown(cid, "panel_creating"), Wait);
    QCOMPARE(text(cid, "label_catagory"), QStringLiteral("Category: General"));
    QCOMPARE(text(cid, "label_letters").size(), 7);
    QVERIFY(shown(cid, "label_bonus"));
    QVERIFY(!shown(cid, "edit_answer"));
    answer(bob, acroFor(bob));
    answer(ann, acroFor(ann));
    QTRY_VERIFY_WITH_TIMEOUT(!server->player(1).acro.isEmpty(), Wait);
    QVERIFY(!server->player(2).acro.isEmpty());
    resume();

    QVERIFY(waitPaused(cmd::CMD_anacro));
    QTRY_VERIFY_WITH_TIMEOUT(shown(cid, "panel_voting"), Wait);
    vote(cid, 2);
    vote(ann, 2);
    vote(bob, 1);
    pauseOn({});
    resume();

    // Bob wins the bonus round and with it the game.
    STEP(allSeeWinner("Bob"));
    QVERIFY(ann->gameArea()->findChild<QWidget *>("button_start")->isVisible());
    QVERIFY(!bob->gameArea()->findChild<QWidget *>("button_start")->isVisible());

    // The logged acro is in the acro log file.
    QFile log(folder->file("acrolog.txt"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray logged = log.readAll();
    QVERIFY(logged.contains("\r\nBob\r\n"));
    QVERIFY(logged.contains("\r\nCategory: General\r\n"));
    QCOMPARE(ann->acroLog()->entryCount(), 1);
}

void tst_round_flow::teamGameToWinner()
{
    STEP(joinThree());
    const QList<int> yellow = {1, 3};
    const QList<int> white = {2};
    pauseOn({cmd::CMD_teamgame, cmd::CMD_cats, cmd::CMD_theletters, cmd::CMD_anacro,
             cmd::CMD_postscores, cmd::CMD_winner});

    // A team game to 10 without a bonus round, so the first leader at 10 wins.
    STEP(startGame([](Tgamestart *o) {
        o->findChild<QSpinBox *>("UpDown1")->setValue(10);
        o->findChild<QCheckBox *>("checkbox_team")->setChecked(true);
        o->findChild<QCheckBox *>("checkbox_playbonus")->setChecked(false);
        o->findChild<QCheckBox *>("checkbox_speed")->setChecked(false);
    }));
    QVERIFY(waitPaused(cmd::CMD_teamgame));
    STEP(allSee("panel_team"));
    for (Tchat *chat : std::as_const(all)) {
        QCOMPARE(text(chat, "label_playtoscore"), QStringLiteral("Play to Score: 10"));
        QCOMPARE(text(chat, "label_team1"), QStringLiteral("Yellow: 0"));
        QCOMPARE(text(chat, "label_team2"), QStringLiteral("White: 0"));
    }

    // Ann and Cid play for Yellow, Bob for White.
    QTest::mouseClick(ann->findChild<QWidget *>("image_team1"), Qt::LeftButton);
    QTest::mouseClick(bob->findChild<QWidget *>("image_team2"), Qt::LeftButton);
    QTest::mouseClick(cid->findChild<QWidget *>("image_team1"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(server->player(1).team, 1, Wait);
    QTRY_COMPARE_WITH_TIMEOUT(server->player(2).team, 2, Wait);
    QTRY_COMPARE_WITH_TIMEOUT(server->player(3).team, 1, Wait);
    resume();

    // Round one: Ann chooses; Bob's answer takes two votes.
    QVERIFY(waitPaused(cmd::CMD_cats));
    QTRY_VERIFY_WITH_TIMEOUT(chatLines(bob).contains("You are on the WHITE team!"), Wait);
    QVERIFY(chatLines(ann).contains("You are on the YELLOW team!"));
    QVERIFY(chatLines(cid).contains("You are on the YELLOW team!"));
    for (Tchat *chat : std::as_const(all)) {
        QCOMPARE(roundstyle::textColour(label(chat, "label_playername2")), palette::White);
        QCOMPARE(roundstyle::textColour(label(chat, "label_playername3")), palette::Yellow);
    }
    chooseCategory(ann, {bob, cid}, QStringLiteral("Sea Life"));
    resume();

    QVERIFY(waitPaused(cmd::CMD_theletters));
    STEP(allAnswer(all));
    resume();

    QVERIFY(waitPaused(cmd::CMD_anacro));
    STEP(allSee("panel_voting"));
    vote(ann, 2);
    vote(cid, 2);
    vote(bob, 1);
    resume();

    // Bob: 2 votes + 5 for the round; Ann: 1 vote + 1 for backing him; Cid: 1.
    QVERIFY(waitPaused(cmd::CMD_postscores));
    for (Tchat *chat : std::as_const(all)) {
        QTRY_COMPARE_WITH_TIMEOUT(text(chat, "label_score2"), QStringLiteral("7"), Wait);
        QCOMPARE(text(chat, "label_score1"), QStringLiteral("2"));
        QCOMPARE(text(chat, "label_score3"), QStringLiteral("1"));
        QCOMPARE(text(chat, "label_team1"), "Yellow: " + QString::number(boardTotal(chat, yellow)));
        QCOMPARE(text(chat, "label_team2"), "White: " + QString::number(boardTotal(chat, white)));
        QCOMPARE(text(chat, "label_team1"), QStringLiteral("Yellow: 3"));
        QCOMPARE(text(chat, "label_team2"), QStringLiteral("White: 7"));
    }
    resume();

    // Nobody has 10 yet: round two, chosen by the round's winner Bob.
    QVERIFY(waitPaused(cmd::CMD_cats));
    for (Tchat *chat : std::as_const(all))
        QVERIFY(!shown(chat, "panel_over"));
    chooseCategory(bob, {ann, cid}, QStringLiteral("Night Sky"));
    resume();

    QVERIFY(waitPaused(cmd::CMD_theletters));
    STEP(allSee("panel_creating"));
    for (Tchat *chat : std::as_const(all)) {
        QCOMPARE(text(chat, "label_catagory"), QStringLiteral("Category: Night Sky"));
        QCOMPARE(text(chat, "label_letters").size(), 4);
    }
    STEP(allAnswer(all));
    resume();

    QVERIFY(waitPaused(cmd::CMD_anacro));
    STEP(allSee("panel_voting"));
    vote(bob, 1);
    vote(cid, 1);
    vote(ann, 3);
    resume();

    // Ann: 2 votes + 6 for the round, 10 in all; Bob backed her, 8; Cid 1 vote
    // and 1 for backing her, 3.
    QVERIFY(waitPaused(cmd::CMD_postscores));
    for (Tchat *chat : std::as_const(all)) {
        QTRY_COMPARE_WITH_TIMEOUT(text(chat, "label_score1"), QStringLiteral("10"), Wait);
        QCOMPARE(text(chat, "label_score2"), QStringLiteral("8"));
        QCOMPARE(text(chat, "label_score3"), QStringLiteral("3"));
        QCOMPARE(text(chat, "label_bonus1"), QStringLiteral("+8"));
        QCOMPARE(text(chat, "label_team1"), "Yellow: " + QString::number(boardTotal(chat, yellow)));
        QCOMPARE(text(chat, "label_team2"), "White: " + QString::number(boardTotal(chat, white)));
        QCOMPARE(text(chat, "label_team1"), QStringLiteral("Yellow: 13"));
        QCOMPARE(text(chat, "label_team2"), QStringLiteral("White: 8"));
        QCOMPARE(label(chat, "label_score1")->y(), 4);
        QVERIFY(roundstyle::isBold(label(chat, "label_playername1")));
    }
    resume();

    // Ann reached 10 first and plays for Yellow: her team has won.
    QVERIFY(waitPaused(cmd::CMD_winner));
    STEP(allSeeWinner("The Yellow Team"));
    for (Tchat *chat : std::as_const(all)) {
        for (const char *other :
             {"panel_team", "panel_catagory", "panel_creating", "panel_voting", "panel_inbonus"})
            QVERIFY2(!shown(chat, other), other);
    }
    QVERIFY(!server->gameRunning());
    QVERIFY(ann->gameArea()->findChild<QWidget *>("button_start")->isVisible());
    QVERIFY(ann->findChild<QAction *>("StartGame1")->isEnabled());
    QVERIFY(text(ann, "label_catagory").isEmpty());
    for (Tchat *chat : {bob, cid})
        QVERIFY(!chat->gameArea()->findChild<QWidget *>("button_start")->isVisible());
}

QTEST_MAIN(tst_round_flow)
#include "tst_round_flow.moc"

// Every name, category, answer, chat line, phrase and spy name of a whole game
// is markup that would load a FIFO, follow a file link or turn bold. Every
// window shows all of it as typed, and nothing ever opens the FIFO.
void tst_round_flow::outsideTextIsOnlyText()
{
    // Opening a FIFO to read blocks until a writer comes: that is how markup
    // froze a client. The watcher plays the writer: when it finds a reader, the
    // program opened the FIFO, and the reader is let go at once.
    QTemporaryDir dir;
    const QByteArray fifo = QFile::encodeName(dir.filePath("f"));
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    std::atomic<bool> stop{false}, opened{false};
    std::thread watcher([&] {
        while (!stop) {
            const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                opened = true;
                ::close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    const auto stopWatcher = qScopeGuard([&] {
        stop = true;
        watcher.join();
    });

    const QString path = QString::fromLocal8Bit(fifo);
    const QString img = QStringLiteral("<img src=\"%1\">").arg(path);
    const QString link = QStringLiteral("<a href=\"file://%1\">x</a>").arg(path);
    const QString annName = "<b>Ann</b>" + img;
    const QString bobName = "Bob &amp; " + link;
    const QString cidName = "<i>Cid</i>";
    const QString spyName = img + "&lt;spy";
    const QString category = "<b>Sea</b> &amp; " + img + ' ' + QString(1000, u'c');
    const QString chatLine = "<b>hi</b> &amp; " + img + ' ' + link + ' ' + QString(3000, u'w');
    const QString phrase = img + " &amp; <b>wow</b>";
    const QString spyLine = link + " <u>psst</u>";
    const QStringList own = {QStringLiteral("label_web")};
    auto checkWindows = [&](const QStringList &typed) {
        QCOMPARE(plaincheck::markupShown(own), QStringList());
        const QStringList shown = plaincheck::shownTexts();
        for (const QString &text : typed)
            QVERIFY2(std::any_of(shown.begin(), shown.end(),
                                 [&](const QString &s) { return s.contains(text); }),
                     qPrintable("not shown: " + text.left(80)));
        QVERIFY(!opened);
    };

    // The players' own files hold markup too: a phrase and a category list.
    QFile ini(folder->file("zunolobby.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Quibbleton]\r\nPhrase1=" + phrase.toUtf8() + "\r\n");
    ini.close();
    QFile cats(folder->file("acrocats.txt"));
    QVERIFY(cats.open(QIODevice::WriteOnly));
    cats.write(category.toUtf8() + "\r\nGeneral\r\n");
    cats.close();

    ann = join(annName);
    QVERIFY(ann);
    bob = join(bobName);
    QVERIFY(bob);
    cid = join(cidName);
    QVERIFY(cid);
    all = {ann, bob, cid};

    // A spy takes slot 13 while nine silent connections hold slots 4 to 12.
    QList<QTcpSocket *> fillers;
    const auto dropFillers = qScopeGuard([&] { qDeleteAll(fillers); });
    for (int slot = 4; slot <= 13; ++slot) {
        fillers << new QTcpSocket;
        fillers.last()->connectToHost(QHostAddress::LocalHost, port);
        QTRY_VERIFY_WITH_TIMEOUT(server->player(slot).connected, Wait);
    }
    QTcpSocket *spy = fillers.takeLast();
    spy->write(cmd::client::logininfo(13, cmd::GameVersion, spyName.toUtf8()));
    for (QTcpSocket *filler : std::as_const(fillers))
        filler->abort();
    QTRY_VERIFY_WITH_TIMEOUT(!server->player(12).connected, Wait);
    spy->write(cmd::client::chat(13, spyLine.toUtf8(), "clRed"));

    // Chat: a typed line, a phrase button.
    bob->chatEntry()->setText(chatLine);
    QTest::keyClick(bob->chatEntry(), Qt::Key_Return);
    ann->setPhrasePause(0);
    QTest::mouseClick(ann->findChild<QWidget *>("b_phrase1"), Qt::LeftButton);
    for (Tchat *chat : std::as_const(all)) {
        QTRY_VERIFY_WITH_TIMEOUT(chatLines(chat).contains(bobName + " chats: " + chatLine), Wait);
        QTRY_VERIFY_WITH_TIMEOUT(chatLines(chat).contains(annName + "  says: " + phrase), Wait);
        QTRY_VERIFY_WITH_TIMEOUT(chatLines(chat).contains(spyName + " chats: " + spyLine), Wait);
        QCOMPARE(chat->sideWindows().spylist->spies(), QStringList{"13: " + spyName});
    }
    checkWindows({annName, bobName, cidName, spyName, phrase});
    delete spy;

    // A game to 3 points without a bonus round: one round decides it.
    pauseOn({cmd::CMD_cats, cmd::CMD_theletters, cmd::CMD_anacro, cmd::CMD_thevotes});
    STEP(startGame([](Tgamestart *o) {
        o->findChild<QCheckBox *>("checkbox_playbonus")->setChecked(false);
        o->findChild<QSpinBox *>("UpDown1")->setValue(3);
    }));

    QVERIFY(waitPaused(cmd::CMD_cats));
    Tchat *chooser = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT(shown(ann, "panel_catagory"), Wait);
    for (Tchat *chat : std::as_const(all))
        if (chat->state().chooserSlot == chat->state().ownSlot) chooser = chat;
    QVERIFY(chooser);
    auto *box = chooser->findChild<QComboBox *>("combo_cat");
    QCOMPARE(box->itemText(0), category); // from the player's category file
    box->lineEdit()->setText(category);
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(server->currentCategory(), category.toUtf8(), Wait);
    resume();

    // Answers: one word per letter, with markup glued to the words (tabs, not
    // blanks, inside the tags).
    QVERIFY(waitPaused(cmd::CMD_theletters));
    QMap<Tchat *, QString> answers;
    for (Tchat *chat : std::as_const(all)) {
        QTRY_VERIFY_WITH_TIMEOUT(shown(chat, "panel_creating"), Wait);
        const QString letters = text(chat, "label_letters");
        QStringList words;
        for (int k = 0; k < letters.size(); ++k)
            words << letters[k] + (k == 0   ? "<b>x</b>&amp;" + chat->state().ownName.left(1)
                                   : k == 1 ? QString(img).replace(u' ', u'\t')
                                            : QString(link).replace(u' ', u'\t'));
        answers[chat] = words.join(' ');
        auto *edit = chat->findChild<QLineEdit *>("edit_answer");
        edit->setText(answers[chat]);
        QTest::keyClick(edit, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(server->player(chat->state().ownSlot).acro,
                                  answers[chat].toUtf8(), Wait);
    }
    resume();

    QVERIFY(waitPaused(cmd::CMD_anacro));
    for (Tchat *chat : std::as_const(all)) {
        QTRY_VERIFY_WITH_TIMEOUT(shown(chat, "panel_voting"), Wait);
        for (Tchat *author : all) {
            QLabel *acro = label(chat, "label_acro" + QString::number(author->state().ownSlot));
            QCOMPARE(acro->text(), answers[author]);
            QCOMPARE(plaincheck::rendered(acro->toolTip(), Qt::AutoText), answers[author]);
        }
    }
    vote(ann, 2);
    vote(cid, 2);
    vote(bob, 1);
    checkWindows({category, answers[ann], answers[bob], answers[cid]});
    pauseOn({cmd::CMD_thevotes, cmd::CMD_winner});
    resume();

    QVERIFY(waitPaused(cmd::CMD_thevotes));
    QTRY_COMPARE_WITH_TIMEOUT(text(cid, "label_wonround"), bobName + " Won The Round!", Wait);
    QTest::mouseClick(cid->findChild<QWidget *>("button_log2"), Qt::LeftButton);
    cid->gameArea()->Label2Click();
    QCOMPARE(cid->acroLog()->entryCount(), 1);
    pauseOn({});
    resume();

    for (Tchat *chat : std::as_const(all)) {
        QTRY_VERIFY_WITH_TIMEOUT(shown(chat, "panel_over"), Wait);
        QCOMPARE(text(chat, "label_winner1"), bobName + "!");
    }
    // A host's malformed number is quoted in the real error box.
    Tchat fresh;
    fresh.dispatch(cmd::CMD_updatetime + QByteArray("+") + img.toUtf8());
    checkWindows({bobName + " has Won the Game!", answers[bob], category, "'" + img + "'"});
    QVERIFY(!opened);
}
