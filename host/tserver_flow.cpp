// Game flow: starting a game, the stage clock and the score broadcast
// between rounds.
#include "host/tserver.h"

#include <QTimer>
#include <algorithm>

#include "net/commands.h"

namespace {
using facts::DefaultBonusLetters;
using facts::DefaultMaxLetters;
using facts::DefaultPlayTo;
using facts::MaxLetters;
using facts::MaxPlayTo;
const int DefaultCreateTime = facts::DefaultCreationSeconds;
const int MaxCreateTime = facts::MaxCreationSeconds;

using facts::RestartStageTicks;
using facts::ScoreStageTicks;
using facts::TeamStageTicks;
} // namespace

void TServer::startgame(const cmd::toHost::StartGame &start)
{
    startmsg = start;
    gamerunning = true;
    Timer1->stop();
    gamestate = Stage::None;
    countdown = -1;
    for (int s = 1; s <= LastPlayer; ++s) {
        players[s].score = 0;
        players[s].roundscore = 0;
        players[s].vote = 0;
    }
    teamscore = {0, 0, 0};
    numletters = 2;
    playto = DefaultPlayTo;
    createtime = DefaultCreateTime;
    bonusletters = DefaultBonusLetters;
    maxletters = DefaultMaxLetters;
    inbonusround = false;

    // A number that does not convert leaves its default.
    const QByteArray starter = cutText(start.starter, MaxNameBytes);
    if (start.playTo.ok) playto = std::clamp(start.playTo.value, 1, MaxPlayTo);
    if (start.creationSeconds.ok)
        createtime = std::clamp(start.creationSeconds.value, 0, MaxCreateTime);
    const QByteArray bonusField = cutText(start.bonus, MaxNameBytes);
    bonusenabled = bonusField != "f";
    if (start.bonusLetters.ok) bonusletters = std::clamp(start.bonusLetters.value, 1, MaxLetters);
    isteamgame = start.teams == "team";
    const QByteArray winField = cutText(start.winningBonus, MaxNameBytes);
    winbybonus = winField == "t";
    const QByteArray speedField = cutText(start.speed, MaxNameBytes);
    speedbonus = speedField == "t";
    if (start.maxLetters.ok) maxletters = std::min(start.maxLetters.value, MaxLetters);
    autorestart = start.autoRestart == "t";
    nocouch = cutText(start.noCouch, MaxNameBytes);
    bonuspending = false;

    cmd::GameAnnouncement game;
    game.starterName = starter;
    game.playTo = QByteArray::number(playto);
    game.creationSeconds = QByteArray::number(createtime);
    game.bonusField = bonusField;
    game.bonusLetters = QByteArray::number(bonusletters);
    game.winningBonusField = winField;
    game.speedField = speedField;

    if (!isteamgame) {
        sendall(cmd::host::startgame(game));
        nextplayer = 1;
        findplayer();
        return;
    }
    for (int s = 1; s <= LastPlayer; ++s)
        players[s].team = 0;
    sendall(cmd::host::teamgame(game));
    startstage(Stage::Team, TeamStageTicks);
}

void TServer::Timer1Timer()
{
    --countdown;
    if (countdown >= 0) {
        if (countdown % 10 == 0) sendall(cmd::host::updatetime(countdown - 2));
        return;
    }
    Timer1->stop();
    countdown = -1;
    const Stage stage = gamestate;
    gamestate = Stage::None;
    if (stage == Stage::Team) {
        placeonteam();
    } else if (stage == Stage::Selecting) {
        if (category.isEmpty()) category = "General";
        sendall(cmd::host::catchoosen(category));
        getletters();
    } else if (stage == Stage::Creating) {
        sortacros();
    } else if (stage == Stage::Voting) {
        tallyvotes();
    } else if (stage == Stage::Break) {
        sendscores();
    } else if (stage == Stage::Break1) {
        if (!checkforwin()) findplayer();
    } else if (stage == Stage::Restart) {
        startgame(startmsg);
    }
}

void TServer::sendscores()
{
    if (isteamgame) {
        for (int s = 1; s <= LastPlayer; ++s)
            if (players[s].team == 0) getteam(s);
    }
    QList<cmd::ScoreRecord> scores;
    for (int s = 1; s <= LastPlayer; ++s)
        if (occupied(s)) scores.append({s, players[s].score, players[s].roundscore});
    sendall(cmd::host::postscores(isteamgame, teamscore[1], teamscore[2], scores));
    if (inbonusround) {
        checkforwin();
        return;
    }
    startstage(Stage::Break1, ScoreStageTicks);
}

void TServer::endgame(const QByteArray &text)
{
    gamerunning = false;
    Timer1->stop();
    gamestate = Stage::None;
    countdown = -1;
    sendall(cmd::host::winner(text));
    if (autorestart) startstage(Stage::Restart, RestartStageTicks);
}
