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

void TServer::startgame(const QByteArray &text)
{
    startmsg = text;
    gamerunning = true;
    Timer1->stop();
    gamestate.clear();
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

    cmd::FieldReader reader(text);
    int n = 0;
    const QByteArray starter = cutText(reader.field(), MaxNameBytes);
    if (reader.number(n)) playto = std::clamp(n, 1, MaxPlayTo);
    if (reader.number(n)) createtime = std::clamp(n, 0, MaxCreateTime);
    const QByteArray bonusField = cutText(reader.field(), MaxNameBytes);
    bonusenabled = bonusField != "f";
    if (reader.number(n)) bonusletters = std::clamp(n, 1, MaxLetters);
    isteamgame = reader.field() == "team";
    const QByteArray winField = cutText(reader.field(), MaxNameBytes);
    winbybonus = winField == "t";
    const QByteArray speedField = cutText(reader.field(), MaxNameBytes);
    speedbonus = speedField == "t";
    if (reader.number(n)) maxletters = std::min(n, MaxLetters);
    autorestart = reader.field() == "t";
    nocouch = cutText(reader.field(), MaxNameBytes);
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
    startstage("team", TeamStageTicks);
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
    const QByteArray stage = gamestate;
    gamestate.clear();
    if (stage == "team") {
        placeonteam();
    } else if (stage == "selecting") {
        if (category.isEmpty()) category = "General";
        sendall(cmd::host::catchoosen(category));
        getletters();
    } else if (stage == "creating") {
        sortacros();
    } else if (stage == "voting") {
        tallyvotes();
    } else if (stage == "break") {
        sendscores();
    } else if (stage == "break1") {
        if (!checkforwin()) findplayer();
    } else if (stage == "restart") {
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
    startstage("break1", ScoreStageTicks);
}

void TServer::endgame(const QByteArray &text)
{
    gamerunning = false;
    Timer1->stop();
    gamestate.clear();
    countdown = -1;
    sendall(cmd::host::winner(text));
    if (autorestart) startstage("restart", RestartStageTicks);
}
