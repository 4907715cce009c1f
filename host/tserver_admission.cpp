// Admission and roster: accepting connections into slots, login, departures,
// kicks and the relays of chat, actions and sounds.
#include "host/tserver.h"

#include "net/commands.h"

bool TServer::fromSender(cmd::FieldReader &reader, int slot)
{
    int claimed = 0;
    return reader.number(claimed) && claimed == slot;
}

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
    computerSlots[slot] = sock && sock->RemoteAddress() == QLatin1String("127.0.0.1") &&
                          computerPorts.contains(sock->RemotePort());
    if (hostslot == 0 && !computerSlots[slot]) hostslot = slot;
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

void TServer::receivedlogininfo(int slot, const QByteArray &remainder)
{
    cmd::FieldReader reader(remainder);
    if (!fromSender(reader, slot)) return;
    if (!loggedIn[slot]) {
        loggedIn[slot] = true;
        armLoginTimer();
    }
    const QByteArray version = reader.field();
    const QByteArray name = cutText(reader.rest(), MaxNameBytes);
    players[slot].name = name;

    sendall(cmd::host::newplayerinfo(slot, name));
    if (occupied(slot)) {
        for (int i = 1; i <= numslots; ++i)
            if (i != slot && occupied(i))
                sendto(slot, cmd::host::existingplayers(i, players[i].name));
    }
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

void TServer::kickhim(int slot, const QByteArray &remainder)
{
    cmd::FieldReader reader(remainder);
    if (!fromSender(reader, slot) || slot != hostslot) return;
    int target = 0;
    if (!reader.number(target)) return;
    if (target >= 1 && target <= LastSlot) disconnectsock(target);
}

void TServer::disconnectsock(int slot)
{
    if (!occupied(slot)) return;
    TSock *sock = players[slot].sock;
    closeQuietly(sock);
    // Closing reports "Socket Closed", which frees the slot; a slot without a
    // socket, or a close that reported nothing, is freed here.
    if (occupied(slot) && players[slot].sock == sock) departure(slot);
}

void TServer::tempsockDisconnect(TSock *sender)
{
    const qint64 tag = sender->Tag();
    if (tag < 1 || tag > LastSlot || players[tag].sock != sender) return;
    disconnectsock(int(tag));
}

void TServer::tempsockInfo(TSock *sender, TSocketInfo socketInfo, const QString &msg)
{
    const qint64 tag = sender->Tag();
    // Reports of a socket that no longer holds its slot (its second "Socket
    // Closed", or one from a connection already gone) change nothing.
    if (tag < 1 || tag > LastSlot || players[tag].sock != sender) return;
    if (msg == TSock::InfoSocketClosed) {
        departure(int(tag));
        return;
    }
    // A reset or any other failure of an established connection is a
    // departure like an orderly close.
    if (socketInfo == TSocketInfo::Error) disconnectsock(int(tag));
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
    if (slot == hostslot) hostslot = 0;
    computerSlots[slot] = false;
    TSock *sock = p.sock;
    p.connected = false;
    p.name.clear();
    p.sock = nullptr;
    p.queued = 0;
    loggedIn[slot] = false;
    armLoginTimer();
    p.framer.clear();
    receivedlist->removeConnection(p.connection);
    sendall(cmd::host::playerdisconnected(slot, name));
    // The socket may be in the middle of reporting its own close.
    if (sock) sock->deleteLater();
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

void TServer::chat(int slot, const QByteArray &remainder)
{
    cmd::FieldReader reader(remainder);
    if (!fromSender(reader, slot)) return;
    sendall(cmd::host::chat(players[slot].name, cutText(reader.rest(), MaxTextBytes)));
}

void TServer::action(int slot, const QByteArray &remainder)
{
    cmd::FieldReader reader(remainder);
    if (!fromSender(reader, slot)) return;
    sendall(cmd::host::action(players[slot].name, cutText(reader.rest(), MaxTextBytes)));
}

void TServer::playasound(int slot, const QByteArray &remainder)
{
    cmd::FieldReader reader(remainder);
    if (!fromSender(reader, slot)) return;
    sendall(cmd::host::playasound(slot, cutText(reader.rest(), MaxTextBytes)));
}
