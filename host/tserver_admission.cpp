// Admission and roster: accepting connections into slots, login, departures,
// kicks and the relays of chat, actions and sounds.
#include "host/tserver.h"

#include "net/commands.h"

int TServer::chooseslot()
{
    if (numslots == 0) return 1;
    int i = numslots;
    for (int s = 1; s <= numslots; ++s) {
        if (!players[s].connected) {
            i = s;
            break;
        }
    }
    if (!players[i].connected && i < LastRecord) return i;
    if (i + 1 > LastSlot) return LastRecord;
    return numslots + 1;
}

void TServer::takeslot(int slot, TSock *sock)
{
    // A newcomer starts clean, whatever the slot's previous holder left.
    players[slot] = TPlayer();
    TPlayer &p = players[slot];
    p.connected = true;
    p.sock = sock;
    p.connection = ++lastConnection;
    admittedAt[slot] = clock();
    loggedIn[slot] = false;
    if (slot > numslots) numslots = slot;
    newslot = slot;
    const bool loopback = sock && sock->RemoteAddress() == QLatin1String("127.0.0.1");
    computerSlots[slot] = loopback && computerPorts.contains(sock->RemotePort());
    peers[slot] = Peer();
    if (loopback && webPorts.contains(sock->RemotePort()))
        peers[slot] = webPorts.value(sock->RemotePort());
    else if (sock)
        peers[slot].address = sock->RemoteAddress();
    if (hostslot == 0 && !computerSlots[slot]) hostslot = slot;
    away[slot] = false;
    rejoinEcho[slot] = false;
    logins[slot] = 0;
    chatSeen[slot] = false;
    chatNoticed[slot] = false;
    if (sock) {
        sock->setTag(slot);
        sock->OnDisconnect = tempsock->OnDisconnect;
        sock->OnInfo = tempsock->OnInfo;
        sock->OnRead = Sock1->OnRead;
    }
    sendto(slot, cmd::host::sendlogininfo(slot));
    armLoginTimer();
}

void TServer::logintimerTimer()
{
    // A connection that holds a slot without logging in keeps a player out; it
    // has LoginTimeoutMs to say who it is.
    const qint64 now = clock();
    for (int s = 1; s <= LastSlot; ++s)
        if (occupied(s) && !loggedIn[s] && now - admittedAt[s] >= LoginTimeoutMs) disconnectsock(s);
    armLoginTimer();
}

void TServer::armLoginTimer()
{
    // The timer runs only while some connection has yet to log in.
    qint64 due = -1;
    for (int s = 1; s <= LastSlot; ++s)
        if (occupied(s) && !loggedIn[s] && (due < 0 || admittedAt[s] < due)) due = admittedAt[s];
    if (due < 0) {
        logintimer->stop();
        return;
    }
    logintimer->start(int(qBound<qint64>(0, due + LoginTimeoutMs - clock(), LoginTimeoutMs)));
}

void TServer::Sock1Accept(TSock *)
{
    const int slot = chooseslot();
    newslot = slot;
    TSock *sock = nullptr;
    bool accepted = false;
    try {
        accepted = Sock1->Accept(sock);
    } catch (const ESockException &) {
        accepted = false;
    }
    if (!accepted || !sock) return;

    if (slot == LastRecord) {
        players[LastRecord].sock = sock;
        sendto(LastRecord, cmd::host::full());
        players[LastRecord].sock = nullptr;
        closeQuietly(sock);
        delete sock;
        return;
    }
    takeslot(slot, sock);
}

void TServer::on(int slot, const cmd::toHost::Login &login)
{
    if (!login.slot.is(slot)) return;
    const QByteArray &version = login.version;
    QByteArray wanted = cutText(login.name, MaxNameBytes);
    // The board's mark for a player who is away is never part of a name.
    while (wanted.endsWith(AwaySuffix))
        wanted.chop(qsizetype(qstrlen(AwaySuffix)));
    // A returning client answers the slot it was moved to with a login of
    // its own; everything was announced when it came back.
    if (rejoinEcho[slot]) {
        rejoinEcho[slot] = false;
        return;
    }
    // A connection renames itself a bounded number of times.
    if (logins[slot] >= MaxLogins) return;
    if (!loggedIn[slot]) {
        if (const int kept = keptSlotFor(slot, wanted)) {
            rejoin(slot, kept, version);
            return;
        }
        if (isRemoved(slot)) {
            // Refused as a full room is: every client knows that answer.
            sendto(slot, cmd::host::full());
            disconnectsock(slot);
            return;
        }
        loggedIn[slot] = true;
        armLoginTimer();
    }
    ++logins[slot];
    // Names are unique in a room: nobody can chat as somebody else.
    const QByteArray name = uniqueName(slot, wanted);
    players[slot].name = name;

    sendall(cmd::host::newplayerinfo(slot, name));
    if (occupied(slot)) {
        for (int i = 1; i <= numslots; ++i)
            if (i != slot && occupied(i) && loggedIn[i])
                sendto(slot, cmd::host::existingplayers(i, shownName(i)));
    }
    if (name != wanted)
        notice(slot, "The name " + wanted + " is taken in this room, so you play as " + name + ".");
    // A different version is reported, never enforced.
    if (version != cmd::GameVersion) {
        if (occupied(hostslot)) sendto(hostslot, cmd::host::havewrongversion(name));
        if (occupied(slot)) sendto(slot, cmd::host::wrongversion());
    }
    if (gamerunning && occupied(slot)) {
        QList<cmd::SlotTeam> teams;
        for (int i = 1; i <= LastPlayer; ++i)
            if (occupied(i) && players[i].team != 0) teams.append({i, players[i].team});
        sendto(slot, cmd::host::stats(slot, playto, createtime, isteamgame, teams));
    }
}

void TServer::on(int slot, const cmd::toHost::Kick &kick)
{
    if (!kick.slot.is(slot) || slot != hostslot || !kick.target.ok) return;
    const int target = kick.target.value;
    if (target < 1 || target > LastSlot) return;
    // A removed player stays out, from its address and, playing from a
    // browser, from that browser too. The room's own computer players and the
    // hosting player itself are never barred, nor this machine's own address,
    // which every player on it shares with the hosting player.
    if (occupied(target) && !computerSlots[target] && target != hostslot) {
        const Peer &who = peers[target];
        if (!who.address.isEmpty() && who.address != QLatin1String("127.0.0.1"))
            removedAddresses.insert(who.address);
        if (who.web && !who.browserId.isEmpty()) removedBrowsers.insert(who.browserId);
    }
    disconnectsock(target);
}

void TServer::on(int slot, const cmd::toHost::ClearRemoved &clear)
{
    if (!clear.slot.is(slot) || slot != hostslot) return;
    removedAddresses.clear();
    removedBrowsers.clear();
    notice(slot, "The list of removed players is cleared; they may join again.");
}

void TServer::on(int slot, const cmd::toHost::Leaving &leaving)
{
    if (!leaving.slot.is(slot)) return;
    // Leaving on purpose: the slot goes at once, nothing is kept.
    disconnectsock(slot);
}

void TServer::disconnectsock(int slot)
{
    // The host's own close (a removal, a leave, a breach of the protocol, the
    // end of the room) is a departure, never kept for a return.
    if (!occupied(slot)) return;
    departure(slot);
}

void TServer::tempsockDisconnect(TSock *sender)
{
    const qint64 tag = sender->Tag();
    if (tag < 1 || tag > LastSlot || players[tag].sock != sender) return;
    closed(int(tag));
}

void TServer::tempsockInfo(TSock *sender, TSocketInfo socketInfo, const QString &msg)
{
    const qint64 tag = sender->Tag();
    // Reports of a socket that no longer holds its slot (its second "Socket
    // Closed", or one from a connection already gone) change nothing.
    if (tag < 1 || tag > LastSlot || players[tag].sock != sender) return;
    if (msg == TSock::InfoSocketClosed) {
        closed(int(tag));
        return;
    }
    // A reset, a time-out or any other failure of an established connection
    // is a drop: the player did not leave.
    if (socketInfo == TSocketInfo::Error) dropped(int(tag));
}

void TServer::closed(int slot)
{
    // A desktop client closes its connection in order only when its player
    // leaves. A browser player's connection is the web layer's, which closes
    // it however the page went: only the page's leave message means leaving.
    if (peers[slot].web)
        dropped(slot);
    else
        departure(slot);
}

void TServer::detach(int slot)
{
    // The slot lets go of its connection without a word to anybody.
    TPlayer &p = players[slot];
    TSock *sock = p.sock;
    p.sock = nullptr;
    receivedlist->removeConnection(p.connection);
    p.connection = 0;
    p.queued = 0;
    p.framer.clear();
    if (!sock) return;
    sock->OnRead = nullptr;
    sock->OnInfo = nullptr;
    sock->OnDisconnect = nullptr;
    closeQuietly(sock);
    // The socket may be in the middle of reporting its own close.
    sock->deleteLater();
}

void TServer::departure(int slot)
{
    if (slot < 1 || slot > LastSlot) return;
    TPlayer &p = players[slot];
    if (!occupied(slot)) {
        p.connected = false;
        p.name.clear();
        return;
    }
    // Score, answer, vote and team stay: the round may still count the answer.
    const QByteArray name = p.name;
    detach(slot);
    if (slot == hostslot) hostslot = 0;
    computerSlots[slot] = false;
    p.connected = false;
    p.name.clear();
    loggedIn[slot] = false;
    away[slot] = false;
    rejoinEcho[slot] = false;
    logins[slot] = 0;
    armLoginTimer();
    armRejoinTimer();
    sendall(cmd::host::playerdisconnected(slot, name));
}

void TServer::markComputerPort(quint16 port, bool computer)
{
    if (computer)
        computerPorts.insert(port);
    else
        computerPorts.remove(port);
}

bool TServer::isComputerSlot(int slot) const
{
    return slot >= 1 && slot <= LastSlot && occupied(slot) && computerSlots[slot];
}

void TServer::markWebPort(quint16 port, const Peer &peer)
{
    Peer marked = peer;
    marked.web = true;
    webPorts.insert(port, marked);
}

void TServer::unmarkWebPort(quint16 port)
{
    webPorts.remove(port);
}

TServer::Peer TServer::peer(int slot) const
{
    if (slot < 1 || slot > LastSlot || !occupied(slot)) return Peer();
    return peers[slot];
}

void TServer::on(int slot, const cmd::toHost::Chat &chat)
{
    if (!chat.slot.is(slot)) return;
    const QByteArray text = cutText(chat.text, MaxTextBytes);
    if (!chatAllowed(slot, text.size())) return;
    sendall(cmd::host::chat(players[slot].name, text));
}

void TServer::on(int slot, const cmd::toHost::Action &action)
{
    if (!action.slot.is(slot)) return;
    const QByteArray text = cutText(action.text, MaxTextBytes);
    if (!chatAllowed(slot, text.size())) return;
    sendall(cmd::host::action(players[slot].name, text));
}

void TServer::on(int slot, const cmd::toHost::Sound &sound)
{
    if (!sound.slot.is(slot)) return;
    const QByteArray text = cutText(sound.sound, MaxTextBytes);
    if (!chatAllowed(slot, text.size())) return;
    sendall(cmd::host::playasound(slot, text));
}
