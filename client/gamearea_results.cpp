// Results of a round, the scores on the board, the bonus round announcement and
// the end of the game.
#include "client/gamearea.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>

#include "client/colortext.h"
#include "net/commands.h"
#include "windows/plaintext.h"
#include "windows/tacrolog.h"

namespace {

const QString WonTheRound = QStringLiteral(" Won The Round!");
const QString WonNoVote = QStringLiteral(" won, but did not vote.");
const QString TallyingStatus = QStringLiteral("Tallying Scores..");
const QString NoVotes = QStringLiteral("No Votes Submitted");
const QString NoAcros = QStringLiteral("No Acros Submitted");
const QString PostingStatus = QStringLiteral("Posting Scores, One Moment Please..");
const QString YellowTotal = QStringLiteral("Yellow: ");
const QString WhiteTotal = QStringLiteral("White: ");
const QString BonusRoundCaption = QStringLiteral("Bonus Round!");
const QString GoodLuck = QStringLiteral("Good Luck!: ");
const QString GoodLuckAll = QStringLiteral("Good Luck all those in the Bonus Round!");
const QString GetReady = QStringLiteral("Get Ready!");
const QString BonusHeadline = QStringLiteral("Time for the Bonus Round!");
const QString WinnerHeadline = QStringLiteral("Congratulations to the Winner!");
const QString HasWonChat = QStringLiteral(" has Won the Game!");
const QString HasWonStatus = QStringLiteral(" has won the game!");
const int TakesPart = 0;
const int LeftOut = 2;

// A caption drawn twice, white over a silver copy two pixels down and right.
QLabel *shadowedCaption(QWidget *parent, const char *name, const char *shadowName,
                        const QString &text, const QRect &geometry, int points,
                        QLabel **shadowOut = nullptr)
{
    auto *shadow = new PlainLabel(text, parent);
    if (shadowName) shadow->setObjectName(shadowName);
    shadow->setGeometry(geometry.translated(2, 2));
    auto *label = new PlainLabel(text, parent);
    if (name) label->setObjectName(name);
    label->setGeometry(geometry);
    for (QLabel *l : {shadow, label}) {
        l->setAlignment(Qt::AlignCenter);
        roundstyle::setBold(l, true);
        roundstyle::setPointSize(l, points);
    }
    roundstyle::setTextColour(shadow, palette::Silver);
    roundstyle::setTextColour(label, palette::White);
    if (shadowOut) *shadowOut = shadow;
    return label;
}

} // namespace

void Tgamearea::buildAnnouncementPanels()
{
    panel_inbonus = new QWidget(this);
    panel_inbonus->setObjectName("panel_inbonus");
    shadowedCaption(panel_inbonus, nullptr, nullptr, BonusHeadline, QRect(0, 48, 782, 50), 26);
    label_inbonus1 = shadowedCaption(panel_inbonus, "label_inbonus1", "label_inbonus2", GetReady,
                                     QRect(0, 118, 782, 40), 18, &label_inbonus2);

    panel_over = new QWidget(this);
    panel_over->setObjectName("panel_over");
    shadowedCaption(panel_over, nullptr, nullptr, WinnerHeadline, QRect(0, 48, 782, 50), 26);
    label_winner1 = shadowedCaption(panel_over, "label_winner1", "label_winner2", QString(),
                                    QRect(0, 118, 782, 44), 22, &label_winner2);
}

void Tgamearea::placeLogButtons()
{
    const int rightmost = window()->width() - 65;
    for (int n = 1; n <= Lines; ++n) {
        Row &row = rows[n];
        if (row.acro->text().isEmpty()) continue;
        const int left = std::min(row.acro->x() + row.acro->width() + 5, rightmost);
        row.log->move(left, row.log->y());
        row.log->show();
        row.log->raise();
    }
}

void Tgamearea::postvotes(const cmd::toClient::Votes &message)
{
    setVotingOpen(false);
    label_playersnames2->clear();
    image_hand->hide();
    image_speed->hide();

    for (const cmd::VoteItem &record : message.votes) {
        const QByteArray &won = record.won;
        const QByteArray &counted = record.counted;
        const QByteArray &speed = record.speed;
        const int slot = record.slot.get();
        const QString name = QString::fromUtf8(record.name);
        const QString votes = QString::fromUtf8(record.votes.text);
        if (slot < 1 || slot > Lines) continue;
        Row &row = rows[slot];
        row.name->setText(name);
        row.votes->setText(votes);
        if (speed == "y") {
            image_speed->move(image_speed->x(), row.acro->y() + 3);
            image_speed->show();
            image_speed->raise();
        }
        const bool winner = won == "y";
        for (QLabel *label : {row.acro, row.name, row.votes}) {
            roundstyle::setTextColour(label, winner ? palette::White : palette::Yellow);
            roundstyle::setBold(label, winner);
        }
        if (winner) {
            image_winner->move(image_winner->x(), row.acro->y());
            image_winner->show();
            image_winner->raise();
            label_wonround->setText(name + (counted == "y" ? WonTheRound : WonNoVote));
            context->playsounds(QStringLiteral("winner"));
        }
        if (counted == "n") {
            for (QLabel *label : {row.acro, row.name, row.votes})
                roundstyle::setTextColour(label, palette::Gray);
        }
        fitAcro(row.acro);
    }
    placeLogButtons();
    setStatus(TallyingStatus);
}

void Tgamearea::showNothingSubmitted(const QString &text, bool withLogButtons)
{
    setVotingOpen(false);
    label_nosomething->setText(text);
    setStatus(text);
    image_hand->hide();
    setpanels(panel_voting);
    panel_noanswers->show();
    panel_noanswers->raise();
    context->playsounds(QStringLiteral("none"));
    if (withLogButtons) placeLogButtons();
    focusChat();
}

void Tgamearea::novotes()
{
    showNothingSubmitted(NoVotes, true);
}

void Tgamearea::noanswer()
{
    showNothingSubmitted(NoAcros, false);
}

void Tgamearea::postscores(const cmd::toClient::Scores &message)
{
    setVotingOpen(false);
    label_bonus->hide();
    setStatus(PostingStatus);

    const QByteArray &teamGame = message.teamGame;
    const QString yellow = QString::fromUtf8(message.yellow.text);
    const QString white = QString::fromUtf8(message.white.text);
    if (teamGame == "t") context->setTeamLines(YellowTotal + yellow, WhiteTotal + white);

    PlayerBoard &board = context->board();
    int best = 0;
    for (const cmd::ScoreItem &score : message.scores) {
        const int slot = score.slot.get();
        const QByteArray &total = score.total.text;
        const QByteArray &points = score.points.text;
        if (slot < 1 || slot > Lines) continue;
        board.setScore(slot, QString::fromUtf8(total));
        board.setBonusMark(slot, points == "0" ? QString()
                                               : QStringLiteral("+") + QString::fromUtf8(points));
        int value = 0;
        if (cmd::toNumber(total, value) && value > best) {
            for (int n = 1; n <= Lines; ++n)
                board.setRowBold(n, false);
            board.setRowBold(slot, true);
            best = value;
        }
    }
    context->playsounds(QStringLiteral("posting"));

    // Highest shown total first; equal totals keep their order, and a total that
    // is not a number is never swapped.
    QVector<int> &order = context->state().boardOrder;
    roworder::mend(order);
    auto shownTotal = [&board](int slot, int &value) {
        return cmd::toNumber(board.score(slot).toUtf8(), value);
    };
    for (int pass = 0; pass < Lines; ++pass) {
        for (int p = 1; p < Lines; ++p) {
            int upper = 0, lower = 0;
            if (shownTotal(order[p - 1], upper) && shownTotal(order[p], lower) && lower > upper)
                std::swap(order[p - 1], order[p]);
        }
    }
    board.placeRows(order);
}

void Tgamearea::inbonus(const cmd::toClient::InBonus &message)
{
    const ClientState &state = context->state();
    clearacros();
    label_playersnames->clear();
    edit_answer->hide();
    roundstyle::setTag(edit_answer, LeftOut);
    label_catagory->setText(BonusRoundCaption);
    label_bonus->show();

    if (message.players != "0") {
        QStringList names;
        for (const QByteArray &field : message.players.split(',')) {
            int slot = 0;
            if (!cmd::toNumber(field, slot)) throw cmd::ParseError(field);
            if (slot < 1 || slot > Lines) continue; // 0: a team without a bonus player
            names << boardName(slot);
            if (slot == state.ownSlot) {
                edit_answer->show();
                roundstyle::setTag(edit_answer, TakesPart);
            }
        }
        const QString line = GoodLuck + names.join(QStringLiteral(", "));
        for (QLabel *label :
             {label_playersnames, label_playersnames2, label_inbonus1, label_inbonus2})
            label->setText(line);
    } else {
        // The host accepts bonus answers only from the players it marked, and
        // "0" does not say who they are: every player on the board may answer.
        if (state.ownSlot >= 1 && state.ownSlot <= Lines)
            roundstyle::setTag(edit_answer, TakesPart);
        label_playersnames->setText(GoodLuckAll);
        label_playersnames2->setText(GoodLuckAll);
        label_inbonus1->setText(GetReady);
        label_inbonus2->setText(GetReady);
    }
    setpanels(panel_inbonus);
}

void Tgamearea::winner(const cmd::toClient::Winner &message)
{
    const QString text = QString::fromUtf8(message.text);
    context->playsounds(QStringLiteral("gameover"));
    context->addlinetochat(text + HasWonChat, colortext::clYellow);
    label_winner1->setText(text + QStringLiteral("!"));
    label_winner2->setText(text + QStringLiteral("!"));
    setStatus(text + HasWonStatus);
    setpanels(panel_over);
    if (context->state().isHost) {
        button_start->show();
        context->setStartGameEnabled(true);
        label_catagory->clear();
    }
}

void Tgamearea::button_log1Click(QObject *sender)
{
    const int n = roundstyle::tag(sender);
    if (n < 1 || n > Lines) return;
    const Row &row = rows[n];
    if (Tacrolog *log = context->acroLog())
        log->addacro(row.name->text(), label_catagory->text(), row.acro->text(), row.votes->text());
    row.log->hide();
}
