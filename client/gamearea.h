// The game area: the top bar and the six stage panels of a round, with the
// routines the dispatcher hands round messages to. Each routine takes the
// message as read (net/messages.h); a number field it needs that does not
// convert throws cmd::ParseError, which the dispatcher reports.
#pragma once

#include <QRandomGenerator>
#include <QWidget>

#include "client/clientcontext.h"
#include "client/playerboard.h"
#include "client/roundpicture.h"
#include "client/roundstyle.h"
#include "net/messages.h"

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QTimer;

class Tgamearea : public QWidget
{
    Q_OBJECT
public:
    explicit Tgamearea(ClientContext *context, QWidget *parent = nullptr);

    // Game start and teams.
    void startthegame(const cmd::toClient::Game &message);
    void teamgame(const cmd::toClient::TeamGame &message);
    void stats(const cmd::toClient::Stats &message);
    void histeam(const cmd::toClient::Teams &message);
    void selectteam(int team);
    void image_team1Click(QObject *sender);
    // The start button and the menu item File, "Start Game".
    void button_startClick();
    void setpanels(QWidget *panel);
    void clearall();
    void clearacros();

    // Category choice.
    void getnextplayer(const cmd::toClient::NextPlayer &message);
    void postcats(const cmd::toClient::Cats &message);
    void catchoosen(const cmd::toClient::Category &message);
    void combo_catChange(QComboBox *sender);
    void combo_catDropDown(QComboBox *sender);
    // True when the key was swallowed.
    bool combo_catKeyPress(QComboBox *sender, int key);
    void button_saveClick();
    void Label2Click();

    // Acro entry.
    void posttheletters(const cmd::toClient::Letters &message);
    // True when the key was swallowed or replaced.
    bool edit_answerKeyPress(QKeyEvent *event);
    void checkacro(const QString &text);
    void Timer2Timer();
    // Sets the time left and lets the countdown run; every stage uses it.
    void startCountdown(int seconds);

    // Voting.
    void postacros(const cmd::toClient::Answers &message);
    void moveacro(int i);
    void dovote();
    void label_acro1Click(QObject *sender);

    // Results, scores and game end.
    void postvotes(const cmd::toClient::Votes &message);
    void noanswer();
    void postscores(const cmd::toClient::Scores &message);
    void novotes();
    void inbonus(const cmd::toClient::InBonus &message);
    void winner(const cmd::toClient::Winner &message);
    void button_log1Click(QObject *sender);

    // The shuffle of the voting lines and the letters sound draw from this.
    void seedRandom(quint32 seed) { random.seed(seed); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    struct Row
    {
        QLabel *acro = nullptr;
        QLabel *votes = nullptr;
        QLabel *name = nullptr;
        RoundPictureButton *log = nullptr;
    };

    void buildTopBar();
    void buildCategoryPanel();
    void buildCreatingPanel();
    void buildVotingPanel();
    void buildTeamPanel();
    void buildAnnouncementPanels();

    template <class Announcement> void announceGame(const Announcement &game, bool teamGame);
    void setCreationTime(const QByteArray &field);
    void sendCategory(QComboBox *box);
    void focusChat();
    // The countdown caption and bar for the time left.
    void showTime();
    void placeLogButtons();
    // The answer label's width follows its text.
    void fitAcro(QLabel *acro);
    void showNothingSubmitted(const QString &text, bool withLogButtons);
    void loadCategoryFile();
    bool saveCategoryFile(const QStringList &list);

    // The caption on the board's row of a slot.
    QString boardName(int slot) const;
    void setStatus(const QString &text) { context->setStatus(text); }
    int creationTime() const;
    void setVotingOpen(bool open);
    bool votingOpen() const;

    ClientContext *context;
    QRandomGenerator random;
    bool categoryDropped = false;

    QWidget *panel_top = nullptr;
    QLabel *label_catagory = nullptr;
    QLabel *label_timer = nullptr;
    RoundPicture *image_timer = nullptr;
    RoundPictureButton *button_start = nullptr;
    QLabel *Label2 = nullptr;
    QTimer *Timer2 = nullptr;
    QLabel *label_wait = nullptr;

    QWidget *panel_catagory = nullptr;
    QLabel *label_choosecat = nullptr;
    QLabel *label_choosecat2 = nullptr;
    QLabel *label_choosecat3 = nullptr;
    QComboBox *combo_cat = nullptr;
    QComboBox *combo_cat1 = nullptr;
    RoundPictureButton *button_save = nullptr;
    QLabel *label_playtoscore = nullptr;
    QLabel *label_creationtime = nullptr;
    QLabel *label_playersnames2 = nullptr;

    QWidget *panel_creating = nullptr;
    QLabel *label_catagory1 = nullptr;
    QLabel *label_letters = nullptr;
    QLabel *label_warning = nullptr;
    QLabel *label_filter = nullptr;
    QLineEdit *edit_answer = nullptr;
    QLabel *label_accepted = nullptr;
    QLabel *label_bonus = nullptr;
    QLabel *label_playersnames = nullptr;
    QLabel *label_playtoscore1 = nullptr;
    QLabel *label_creationtime1 = nullptr;

    QWidget *panel_voting = nullptr;
    // The twelve answer lines, indexed 1 to Lines.
    static constexpr int Lines = roworder::Rows;
    Row rows[Lines + 1];
    RoundPicture *image_hand = nullptr;
    RoundPicture *image_speed = nullptr;
    RoundPicture *image_winner = nullptr;
    QLabel *label_wonround = nullptr;
    QWidget *panel_noanswers = nullptr;
    QLabel *label_nosomething = nullptr;

    QWidget *panel_team = nullptr;
    RoundPictureButton *image_team1 = nullptr;
    RoundPictureButton *image_team2 = nullptr;

    QWidget *panel_inbonus = nullptr;
    QLabel *label_inbonus1 = nullptr;
    QLabel *label_inbonus2 = nullptr;

    QWidget *panel_over = nullptr;
    QLabel *label_winner1 = nullptr;
    QLabel *label_winner2 = nullptr;
};
