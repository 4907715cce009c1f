// Game start, team choice and the game option captions.
#include "client/gamearea.h"

#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include "client/colortext.h"
#include "net/commands.h"
#include "resources/resourcenames.h"
#include "windows/plaintext.h"
#include "windows/tgamestart.h"

namespace {

const QString PlayToCaption = QStringLiteral("Play to Score: ");
const QString CreationCaption = QStringLiteral("Time to Create Acro: ");
const QString BonusRoundCaption = QStringLiteral(" Letter Bonus Round");
const QString YellowTotal = QStringLiteral("Yellow: ");
const QString WhiteTotal = QStringLiteral("White: ");
const QString NotConnected = QStringLiteral("You are not connected");
const QString OnYellow = QStringLiteral("You are on the YELLOW team!");
const QString OnWhite = QStringLiteral("You are on the WHITE team!");

enum TeamPicture
{
    YellowNotChosen = 0,
    YellowChosen = 1,
    WhiteNotChosen = 2,
    WhiteChosen = 3
};

// The summary that follows "has started a game" in the chat line.
QString gameSummary(const QByteArray &bonus, const QByteArray &bonusLetters,
                    const QByteArray &winnerByBonus, const QByteArray &speed)
{
    QString summary;
    if (speed != "f") summary = QStringLiteral(" with speed bonus");
    if (bonus != "f")
        summary += QStringLiteral(" with ") + QString::fromUtf8(bonusLetters) +
                   QStringLiteral(" Letter Bonus Round.");
    else
        summary += QStringLiteral(".");
    if (winnerByBonus == "t")
        summary += QStringLiteral(" Winner determined by winner of the bonus round.");
    else
        summary += QStringLiteral(" Winner determined by Final Total Score.");
    return summary;
}

QLabel *caption(QWidget *parent, const QString &text, const QRect &geometry, const QColor &colour,
                int points)
{
    auto *label = new PlainLabel(text, parent);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignCenter);
    roundstyle::setTextColour(label, colour);
    roundstyle::setBold(label, true);
    roundstyle::setPointSize(label, points);
    return label;
}

} // namespace

void Tgamearea::buildTeamPanel()
{
    panel_team = new QWidget(this);
    panel_team->setObjectName("panel_team");
    caption(panel_team, QStringLiteral("Choose Your Team"), QRect(0, 10, 782, 30), palette::Red,
            18);
    caption(panel_team, QStringLiteral("Team Yellow"), QRect(176, 50, 200, 24), palette::Yellow,
            13);
    caption(panel_team, QStringLiteral("Team White"), QRect(406, 50, 200, 24), palette::White, 13);

    image_team1 = new RoundPictureButton(panel_team);
    image_team1->setObjectName("image_team1");
    image_team1->setGeometry(221, 80, 110, 102);
    image_team2 = new RoundPictureButton(panel_team);
    image_team2->setObjectName("image_team2");
    image_team2->setGeometry(451, 80, 110, 102);
    image_team1->setPicture(res::teamPicture(YellowNotChosen));
    roundstyle::setTag(image_team1, YellowNotChosen);
    image_team2->setPicture(res::teamPicture(WhiteNotChosen));
    roundstyle::setTag(image_team2, WhiteNotChosen);
    connect(image_team1, &QAbstractButton::clicked, this,
            [this] { image_team1Click(image_team1); });
    connect(image_team2, &QAbstractButton::clicked, this,
            [this] { image_team1Click(image_team2); });
}

int Tgamearea::creationTime() const
{
    return roundstyle::tag(label_creationtime);
}

void Tgamearea::setCreationTime(const QByteArray &field)
{
    int seconds = 0;
    if (cmd::toNumber(field, seconds)) roundstyle::setTag(label_creationtime, seconds);
}

// The part startthegame and teamgame share: the option captions, the reset and
// the chat line; the caller does what differs before and after.
template <class Announcement> void Tgamearea::announceGame(const Announcement &game, bool teamGame)
{
    for (int n = 1; n <= facts::PlayerSlots; ++n)
        context->board().setRowColour(n, palette::Yellow);
    label_playersnames->clear();
    label_playersnames2->clear();
    label_bonus->hide();
    button_start->hide();
    clearall();

    const QByteArray &starter = game.starter;
    const QString playTo = PlayToCaption + QString::fromUtf8(game.playTo.text);
    label_playtoscore->setText(playTo);
    label_playtoscore1->setText(playTo);
    setCreationTime(game.creationSeconds.text);
    const QByteArray &bonus = game.bonus;
    const QByteArray &bonusLetters = game.bonusLetters.text;
    const QByteArray &winnerByBonus = game.winningBonus;
    const QByteArray &speed = game.speed;
    label_bonus->setText(QString::fromUtf8(bonusLetters) + BonusRoundCaption);
    const QString summary = gameSummary(bonus, bonusLetters, winnerByBonus, speed);

    const QString creation = CreationCaption + QString::number(creationTime());
    label_creationtime->setText(creation);
    label_creationtime1->setText(creation);
    if (teamGame) clearall();

    const QString started =
        teamGame ? QStringLiteral("started a TEAM game") : QStringLiteral("started a game");
    const QString starterName = QString::fromUtf8(starter);
    if (starterName == context->state().ownName)
        context->addlinetochat(QStringLiteral("You have ") + started + summary,
                               colortext::clYellow);
    else
        context->addlinetochat(starterName + QStringLiteral(" has ") + started + summary,
                               colortext::clYellow);
}

void Tgamearea::startthegame(const cmd::toClient::Game &message)
{
    announceGame(message, false);
    context->setTeamLines(QString(), QString());
    context->playsounds(QStringLiteral("letsplay"));
}

void Tgamearea::teamgame(const cmd::toClient::TeamGame &message)
{
    panel_team->show();
    context->setTeamLines(YellowTotal + QStringLiteral("0"), WhiteTotal + QStringLiteral("0"));
    label_bonus->hide();
    announceGame(message, true);
    image_team1->setPicture(res::teamPicture(YellowNotChosen));
    roundstyle::setTag(image_team1, YellowNotChosen);
    image_team2->setPicture(res::teamPicture(WhiteNotChosen));
    roundstyle::setTag(image_team2, WhiteNotChosen);
    setpanels(panel_team);
    context->playsounds(QStringLiteral("letsplay"));
}

void Tgamearea::stats(const cmd::toClient::Stats &message)
{
    if (message.slot.get() != context->state().ownSlot) return;
    clearall();
    const QString playTo = PlayToCaption + QString::fromUtf8(message.playTo.text);
    label_playtoscore->setText(playTo);
    label_playtoscore1->setText(playTo);
    setCreationTime(message.creationSeconds.text);
    const QString creation = CreationCaption + QString::number(creationTime());
    label_creationtime->setText(creation);
    label_creationtime1->setText(creation);
    context->setTeamLines(QString(), QString());

    if (message.teamGame != "t") {
        label_wait->show();
        label_wait->raise();
        return;
    }
    setpanels(panel_team);
    context->setTeamLines(YellowTotal + QStringLiteral("0"), WhiteTotal + QStringLiteral("0"));
    for (const cmd::TeamItem &pair : message.teams) {
        if (!pair.slot.ok || !pair.team.ok) continue;
        const int slot = pair.slot.value;
        const int team = pair.team.value;
        if (team == 1) context->board().setRowColour(slot, palette::Yellow);
        if (team == 2) context->board().setRowColour(slot, palette::White);
    }
}

void Tgamearea::histeam(const cmd::toClient::Teams &message)
{
    for (const cmd::TeamItem &pair : message.teams) {
        const int slot = pair.slot.get();
        const int team = pair.team.get();
        if (team != 1 && team != 2) continue;
        context->board().setRowColour(slot, team == 1 ? palette::Yellow : palette::White);
        if (slot == context->state().ownSlot) {
            if (team == 1)
                context->addlinetochat(OnYellow, colortext::clYellow);
            else
                context->addlinetochat(OnWhite, colortext::clWhite);
            panel_team->hide();
        }
    }
}

void Tgamearea::image_team1Click(QObject *sender)
{
    switch (roundstyle::tag(sender)) {
    case YellowNotChosen:
        selectteam(1);
        break;
    case WhiteNotChosen:
        selectteam(2);
        break;
    default: // the picture already chosen
        break;
    }
}

void Tgamearea::selectteam(int team)
{
    image_team1->setPicture(res::teamPicture(YellowNotChosen));
    roundstyle::setTag(image_team1, YellowNotChosen);
    image_team2->setPicture(res::teamPicture(WhiteNotChosen));
    roundstyle::setTag(image_team2, WhiteNotChosen);
    if (team == 1) {
        roundstyle::setTag(image_team1, YellowChosen);
        image_team1->setPicture(res::teamPicture(YellowChosen));
    } else if (team == 2) {
        roundstyle::setTag(image_team2, WhiteChosen);
        image_team2->setPicture(res::teamPicture(WhiteChosen));
    }
    const ClientState &state = context->state();
    if (state.loggedIn) context->sendToHost(cmd::client::chooseteam(state.ownSlot, team));
}

void Tgamearea::button_startClick()
{
    if (!context->state().loggedIn) {
        // Not modal: the message pump and the countdown go on while it is open.
        QMessageBox *box = plaintext::messageBox(QMessageBox::Information,
                                                 QStringLiteral("Quibbleton"), NotConnected, this);
        box->setObjectName("box_notconnected");
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
        return;
    }
    if (Tgamestart *options = context->gameOptions()) {
        options->setStarterName(context->state().ownName);
        options->show();
        options->raise();
        options->activateWindow();
    }
    button_start->hide();
}
