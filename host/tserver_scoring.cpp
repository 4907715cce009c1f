// Answers, voting and scoring.
#include "host/tserver.h"

#include "net/commands.h"

namespace {
using facts::NoAnswerVotingTicks;
using facts::NoVotesBreakTicks;
using facts::ResultBreakTicks;
} // namespace

bool TServer::hasAnswer(int slot) const
{
    return slot >= 1 && slot <= LastPlayer && !players[slot].acro.isEmpty();
}

int TServer::answers() const
{
    int count = 0;
    for (int s = 1; s <= LastPlayer; ++s)
        if (hasAnswer(s)) ++count;
    return count;
}

bool TServer::earlier(int a, int b) const
{
    // Answers taken within one tick of the clock are told apart by arrival.
    const TPlayer &x = players[a];
    const TPlayer &y = players[b];
    return x.acrotime < y.acrotime || (x.acrotime == y.acrotime && x.acroseq < y.acroseq);
}

void TServer::on(int slot, const cmd::toHost::Answer &answer)
{
    if (gamestate != Stage::Creating || !answer.slot.is(slot)) return;
    // Spies watch; their answers would never be looked at.
    if (slot > LastPlayer) return;
    if (inbonusround && !players[slot].bonusmark) return;
    players[slot].acro = cutText(answer.acro, MaxTextBytes);
    players[slot].acrotime = clock();
    players[slot].acroseq = ++lastAcroSeq;
    sendall(cmd::host::entered(slot));
}

void TServer::sortacros()
{
    if (answers() == 0) {
        sendall(cmd::host::noanswer());
        startstage(Stage::Voting, NoAnswerVotingTicks);
        return;
    }
    QList<cmd::SlotAcro> list;
    for (int s = 1; s <= LastPlayer; ++s)
        if (hasAnswer(s)) list.append({s, players[s].acro});
    sendall(cmd::host::anacro(list));

    int voters = 0;
    for (int s = 1; s <= LastPlayer; ++s) {
        if (!occupied(s)) continue;
        sendto(s, cmd::host::dovote(s));
        ++voters;
    }
    int ticks = 35;
    if (numletters > 5 && voters > 6)
        ticks = 40;
    else if (numletters < 5 && voters < 5)
        ticks = 20;
    else if (voters < 4)
        ticks = 20;
    startstage(Stage::Voting, ticks);
    sendall(cmd::host::updatetime(countdown - 2));
}

void TServer::on(int slot, const cmd::toHost::Vote &vote)
{
    if (!vote.slot.is(slot) || !vote.voted.ok) return;
    const int target = vote.voted.value;
    if (gamestate != Stage::Voting || slot == target || slot > LastPlayer) return;
    // Only a listed answer can be voted for; anything else leaves the vote.
    if (!hasAnswer(target)) return;
    players[slot].vote = target;
}

void TServer::addToTeam(int slot, int points)
{
    if (!isteamgame || points == 0) return;
    if (players[slot].team == 0) getteam(slot);
    const int team = players[slot].team;
    if (team == 1 || team == 2) teamscore[team] += points;
}

void TServer::tallyvotes()
{
    for (int s = 1; s <= LastPlayer; ++s)
        players[s].votes = 0;
    // A vote counts for an answer still in the round; one whose slot a
    // newcomer has taken since is gone.
    for (int s = 1; s <= LastPlayer; ++s) {
        const int v = players[s].vote;
        if (occupied(s) && v != s && hasAnswer(v)) ++players[v].votes;
    }
    int most = 0;
    int top = 0;
    for (int s = 1; s <= LastPlayer; ++s) {
        if (players[s].votes > most) {
            most = players[s].votes;
            top = s;
        }
    }
    const int answered = answers();
    if (top == 0 && answered != 1) {
        sendall(cmd::host::novotes());
        startstage(Stage::Break, NoVotesBreakTicks);
        return;
    }
    if (top == 0) {
        for (int s = 1; s <= LastPlayer; ++s)
            if (hasAnswer(s)) top = s;
        sendall(cmd::host::novotes());
    }
    if (answered >= 2) {
        // Among tied answers the earliest wins.
        for (int s = 1; s <= LastPlayer; ++s) {
            if (players[s].votes == most && hasAnswer(s) && players[s].vote != 0 && s != top &&
                earlier(s, top))
                top = s;
        }
    }

    if (speedbonus) {
        if (answered == 1) {
            speedplayer = top;
        } else {
            speedplayer = 0;
            for (int s = 1; s <= LastPlayer; ++s) {
                if (!hasAnswer(s) || players[s].vote == 0 || players[s].votes < 1) continue;
                if (speedplayer == 0 || earlier(s, speedplayer)) speedplayer = s;
            }
        }
        if (speedplayer != 0 && hasAnswer(speedplayer)) {
            ++players[speedplayer].score;
            ++players[speedplayer].roundscore;
            addToTeam(speedplayer, 1);
        }
    }

    QList<cmd::VoteRecord> results;
    for (int s = 1; s <= LastPlayer; ++s) {
        if (!occupied(s)) continue;
        TPlayer &p = players[s];
        const bool counts = p.vote != 0 || answered == 1 || (inbonusround && hasAnswer(s));
        int points = 0;
        if (counts) points += p.votes;
        if (p.vote == top) points += 1;
        if (s == top && counts) points += numletters + 2;
        p.score += points;
        p.roundscore += points;
        addToTeam(s, points);
        if (hasAnswer(s)) {
            cmd::VoteRecord r;
            r.won = s == top;
            r.votesCounted = counts;
            r.speedBonus = speedbonus && s == speedplayer;
            r.slot = s;
            r.name = p.name;
            r.votesReceived = p.votes;
            results.append(r);
        }
    }
    if (!results.isEmpty()) sendall(cmd::host::thevotes(results));
    lastwinner = top;
    nextplayer = top;
    startstage(Stage::Break, ResultBreakTicks);
}
