// Staying in the game: a player whose connection drops keeps its slot for the
// rejoin time and takes it back on its return; names unique in a room; the
// players the hosting player removed; the room's chat budget.
#include "host/tserver.h"

#include <QTimer>
#include <algorithm>

#include "net/commands.h"

namespace {
const char Loopback[] = "127.0.0.1";
}

void TServer::setRejoinSeconds(int seconds)
{
    rejoinsecs = std::clamp(seconds, 0, MaxRejoinSeconds);
}

bool TServer::isAway(int slot) const
{
    return slot >= 1 && slot <= LastSlot && occupied(slot) && away[slot];
}

QByteArray TServer::shownName(int slot) const
{
    return away[slot] ? players[slot].name + AwaySuffix : players[slot].name;
}

void TServer::notice(int slot, const QByteArray &text)
{
    if (occupied(slot)) sendto(slot, cmd::host::notice(text));
}

void TServer::noticeAll(const QByteArray &text, int except)
{
    for (int s = 1; s <= numslots && s <= LastSlot; ++s)
        if (s != except && occupied(s)) notice(s, text);
}

void TServer::dropped(int slot)
{
    if (!occupied(slot) || away[slot]) return;
    // Only a player who is in the room and can be known again is kept: a
    // connection that never said who it is, a browser without an id, and the
    // room's own computer players simply go.
    const bool knowable = !peers[slot].web || !peers[slot].browserId.isEmpty();
    if (rejoinsecs > 0 && loggedIn[slot] && !computerSlots[slot] && knowable)
        keep(slot);
    else
        departure(slot);
}

void TServer::keep(int slot)
{
    detach(slot);
    away[slot] = true;
    awayUntil[slot] = clock() + qint64(rejoinsecs) * 1000;
    armRejoinTimer();
    const QByteArray name = players[slot].name;
    noticeAll(name + " lost the connection; the place is kept for " +
                  QByteArray::number(rejoinsecs) + " seconds.",
              slot);
    // Every client knows arrivals: the player arrives again under the name
    // the board shows while it is away.
    for (int s = 1; s <= numslots && s <= LastSlot; ++s)
        if (s != slot && occupied(s)) sendto(s, cmd::host::newplayerinfo(slot, shownName(slot)));
    refreshScores(0);
}

void TServer::armRejoinTimer()
{
    qint64 due = -1;
    for (int s = 1; s <= LastSlot; ++s)
        if (isAway(s) && (due < 0 || awayUntil[s] < due)) due = awayUntil[s];
    if (due < 0) {
        rejointimer->stop();
        return;
    }
    const qint64 wait = std::max<qint64>(0, due - clock());
    rejointimer->start(int(std::min<qint64>(wait, qint64(MaxRejoinSeconds) * 1000)));
}

void TServer::rejointimerTimer()
{
    const qint64 now = clock();
    for (int s = 1; s <= LastSlot; ++s)
        if (isAway(s) && now >= awayUntil[s]) departure(s);
    armRejoinTimer();
}

int TServer::keptSlotFor(int slot, const QByteArray &name) const
{
    const Peer &who = peers[slot];
    for (int s = 1; s <= LastSlot; ++s) {
        if (s == slot || !occupied(s) || !loggedIn[s] || computerSlots[s]) continue;
        const Peer &had = peers[s];
        if (who.web != had.web) continue;
        if (who.web) {
            // The id the page keeps is the browser player, whatever name it types.
            if (!who.browserId.isEmpty() && who.browserId == had.browserId) return s;
            continue;
        }
        // A desktop player is its name and its address. A connection still
        // held is one whose end the host has not seen yet; it is taken over,
        // except on this machine, where several players share the address.
        if (who.address.isEmpty() || had.address != who.address || players[s].name != name)
            continue;
        if (away[s] || who.address != QLatin1String(Loopback)) return s;
    }
    return 0;
}

void TServer::rejoin(int from, int kept, const QByteArray &version)
{
    // A connection still held is let go without a word.
    if (!away[kept]) detach(kept);
    TPlayer &k = players[kept];
    TPlayer &f = players[from];
    k.sock = f.sock;
    k.connection = f.connection;
    k.queued = f.queued;
    std::swap(k.framer, f.framer);
    if (k.sock) k.sock->setTag(kept);
    peers[kept] = peers[from];
    computerSlots[kept] = false;
    admittedAt[kept] = admittedAt[from];
    loggedIn[kept] = true;
    away[kept] = false;
    logins[kept] = 1;
    rejoinEcho[kept] = true;
    if (hostslot == from) hostslot = kept;
    // Nobody was told of the slot the connection came in on: it is free again.
    f.sock = nullptr;
    players[from] = TPlayer();
    peers[from] = Peer();
    loggedIn[from] = false;
    computerSlots[from] = false;
    logins[from] = 0;
    rejoinEcho[from] = false;
    armLoginTimer();
    armRejoinTimer();

    // The client learns its slot, then the room as a newcomer would, then its
    // score and the stage it lands in.
    const QByteArray name = k.name;
    sendto(kept, cmd::host::sendlogininfo(kept));
    sendall(cmd::host::newplayerinfo(kept, name));
    for (int i = 1; i <= numslots && i <= LastSlot; ++i)
        if (i != kept && occupied(i) && loggedIn[i])
            sendto(kept, cmd::host::existingplayers(i, shownName(i)));
    if (version != cmd::GameVersion) {
        if (occupied(hostslot) && hostslot != kept)
            sendto(hostslot, cmd::host::havewrongversion(name));
        sendto(kept, cmd::host::wrongversion());
    }
    if (gamerunning) {
        QList<cmd::SlotTeam> teams;
        for (int i = 1; i <= LastPlayer; ++i)
            if (occupied(i) && players[i].team != 0) teams.append({i, players[i].team});
        sendto(kept, cmd::host::stats(kept, playto, createtime, isteamgame, teams));
    }
    noticeAll(name + " is back.", kept);
    refreshScores(kept);
    catchup(kept);
}

void TServer::refreshScores(int rejoiner)
{
    // An arrival shows 0 points on every board; the score message puts the
    // kept ones back. While votes are open it would close them on every
    // client, so then only a returning player gets it; the round's own score
    // message follows soon.
    if (!gamerunning) return;
    QList<cmd::ScoreRecord> scores;
    for (int s = 1; s <= LastPlayer; ++s)
        if (occupied(s)) scores.append({s, players[s].score, players[s].roundscore});
    const QByteArray message =
        cmd::host::postscores(isteamgame, teamscore[1], teamscore[2], scores);
    if (gamestate == Stage::Voting) {
        if (rejoiner) sendto(rejoiner, message);
        return;
    }
    sendall(message);
}

void TServer::catchup(int slot)
{
    // The stage the returning player lands in, with the time left.
    if (!gamerunning) return;
    const QByteArray left = cmd::host::updatetime(countdown - 2);
    const QByteArray round =
        inbonusround ? cmd::host::inbonus(bonuslist) : cmd::host::cats(numletters);
    if (gamestate == Stage::Team) {
        sendto(slot, left);
    } else if (gamestate == Stage::Selecting) {
        sendto(slot, cmd::host::nextplayer(nextplayer, nocouch));
        sendto(slot, round);
        sendto(slot, left);
    } else if (gamestate == Stage::Creating) {
        sendto(slot, round);
        sendto(slot, cmd::host::catchoosen(category));
        sendto(slot, cmd::host::theletters(numletters, letters));
        for (int s = 1; s <= LastPlayer; ++s)
            if (hasAnswer(s)) sendto(slot, cmd::host::entered(s));
        if (hasAnswer(slot)) sendto(slot, cmd::host::youracro(slot, players[slot].acro));
        sendto(slot, left);
    } else if (gamestate == Stage::Voting) {
        if (answers() == 0) {
            sendto(slot, cmd::host::noanswer());
            return;
        }
        QList<cmd::SlotAcro> list;
        for (int s = 1; s <= LastPlayer; ++s)
            if (hasAnswer(s)) list.append({s, players[s].acro});
        sendto(slot, cmd::host::anacro(list));
        if (slot <= LastPlayer) sendto(slot, cmd::host::dovote(slot));
        sendto(slot, left);
    }
}

bool TServer::isRemoved(int slot) const
{
    if (computerSlots[slot]) return false;
    const Peer &who = peers[slot];
    if (who.web && !who.browserId.isEmpty() && removedBrowsers.contains(who.browserId)) return true;
    return !who.address.isEmpty() && removedAddresses.contains(who.address);
}

QByteArray TServer::uniqueName(int slot, const QByteArray &wanted) const
{
    // Letter case aside: "alice" would pass for "Alice" on every board.
    auto taken = [this, slot](const QByteArray &name) {
        const QString text = QString::fromUtf8(name);
        for (int s = 1; s <= LastSlot; ++s)
            if (s != slot && occupied(s) && loggedIn[s] &&
                QString::fromUtf8(players[s].name).compare(text, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    };
    if (!taken(wanted)) return wanted;
    const QByteArray stem = cutText(wanted, MaxNameBytes - 8);
    for (int n = 2;; ++n) {
        const QByteArray candidate = stem + " (" + QByteArray::number(n) + ")";
        if (!taken(candidate)) return candidate;
    }
}

void TServer::setChatBudget(int bytesPerSecond)
{
    chatbudget = std::max(0, bytesPerSecond);
}

bool TServer::chatAllowed(int slot, qsizetype bytes)
{
    if (chatbudget <= 0) return true;
    const qint64 now = clock();
    auto active = [&](int s) { return chatSeen[s] && now - chatLast[s] < ChatActiveMs; };
    int senders = 1;
    for (int s = 1; s <= LastSlot; ++s)
        if (s != slot && occupied(s) && active(s)) ++senders;
    // Each of the room's recent senders has an equal share of the budget.
    const double rate = double(chatbudget) / senders / 1000.0;
    const double burst = double(ChatBurstBytes) * chatbudget / ChatBudgetBytes / senders;
    double &tokens = chatTokens[slot];
    if (!active(slot))
        tokens = burst;
    else
        tokens = std::min(burst, tokens + double(now - chatStamp[slot]) * rate);
    chatStamp[slot] = now;
    chatLast[slot] = now;
    chatSeen[slot] = true;
    // A line longer than a share still goes when the share is whole; its
    // sender waits the longer for the next one.
    if (tokens > 0) {
        tokens -= double(ChatLineCost + bytes);
        return true;
    }
    if (!chatNoticed[slot] || now - chatNoticeAt[slot] >= ChatNoticeMs) {
        chatNoticed[slot] = true;
        chatNoticeAt[slot] = now;
        notice(slot, "The room's chat is busy; your line was not sent.");
    }
    return false;
}
