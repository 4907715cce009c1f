// Teams, the choice of the next chooser and the end of a game.
#include "host/tserver.h"

#include "net/commands.h"

namespace {
const int Yellow = 1;
const int White = 2;
const char YellowTeamText[] = "The Yellow Team";
const char WhiteTeamText[] = "The White Team";
const char WinnerJoin[] = " and ";
} // namespace

void TServer::on(int slot, const cmd::toHost::Team &choice)
{
    if (!choice.slot.is(slot) || !choice.team.ok) return;
    const int team = choice.team.value;
    if (slot > LastPlayer) return;
    // Only the two sides exist; any other number would count for nobody.
    if (team != Yellow && team != White) return;
    if (players[slot].team != 0 && gamestate != Stage::Team) return;
    players[slot].team = team;
    // Choices made while the sides form stay hidden until the stage ends.
    if (gamestate == Stage::Team)
        sendall(cmd::host::histeamBare());
    else
        sendall(cmd::host::histeam(slot, team));
}

int TServer::balancedTeam() const
{
    int yellow = 0;
    int white = 0;
    for (int s = 1; s <= LastPlayer; ++s) {
        if (players[s].team == Yellow) ++yellow;
        if (players[s].team == White) ++white;
    }
    return yellow > white ? White : Yellow;
}

void TServer::getteam(int slot)
{
    if (!isteamgame || slot < 1 || slot > LastPlayer) return;
    if (occupied(slot) && players[slot].team == 0) players[slot].team = balancedTeam();
    sendall(cmd::host::histeam(slot, players[slot].team));
}

void TServer::placeonteam()
{
    for (int s = 1; s <= LastPlayer; ++s)
        if (occupied(s) && players[s].team == 0) players[s].team = balancedTeam();
    QList<cmd::SlotTeam> teams;
    for (int s = 1; s <= LastPlayer; ++s)
        if (occupied(s) && players[s].team != 0) teams.append({s, players[s].team});
    sendall(cmd::host::histeamList(teams));
    nextplayer = 1;
    findplayer();
}

void TServer::findplayer()
{
    if (!occupied(nextplayer)) {
        bool found = false;
        for (int draw = 0; draw < LastPlayer && !found; ++draw) {
            const int s = random(LastPlayer) + 1;
            if (occupied(s)) {
                nextplayer = s;
                found = true;
            }
        }
        // When the draws miss, the first player present chooses rather than
        // an empty slot nobody can choose for.
        if (!found) {
            nextplayer = 1;
            for (int s = LastPlayer; s >= 1; --s)
                if (occupied(s)) nextplayer = s;
        }
    }
    sendall(cmd::host::nextplayer(nextplayer, nocouch));
    getcat();
}

int TServer::leader() const
{
    // Only players present can lead: a departed slot keeps its old score.
    int lead = 0;
    for (int s = 1; s <= LastPlayer; ++s)
        if (occupied(s) && (lead == 0 || players[s].score > players[lead].score)) lead = s;
    return lead;
}

bool TServer::checkforwin()
{
    int winner = 0;
    QByteArray text;
    if (winbybonus && inbonusround && lastwinner != 0 && occupied(lastwinner)) {
        winner = lastwinner;
        text = players[winner].name;
    } else {
        const int lead = leader();
        if (lead == 0) {
            // Nobody is left to play. A game whose bonus round is over ends;
            // otherwise the rounds go on for whoever joins.
            if (!inbonusround) return false;
            gamerunning = false;
            Timer1->stop();
            return true;
        }
        const int best = players[lead].score;
        if (best >= playto && bonusenabled) {
            bonuspending = true;
            return false;
        }
        // After the bonus round the game ends even when everyone who reached
        // the target has left: the best total present wins.
        if (best < playto && !inbonusround) return false;
        winner = lead;
        text = players[lead].name;
        if (!isteamgame) {
            for (int s = 1; s <= LastPlayer; ++s)
                if (s != lead && occupied(s) && players[s].score == best)
                    text += WinnerJoin + players[s].name;
        }
    }
    if (isteamgame) text = players[winner].team == Yellow ? YellowTeamText : WhiteTeamText;
    endgame(text);
    return true;
}
