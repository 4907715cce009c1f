// The host's frame: its sockets and clocks, the message pump with its dispatch
// table, the send paths and the seams the tests drive it through.
#include "host/tserver.h"

#include <QElapsedTimer>
#include <QTimer>
#include <chrono>

#include "net/commands.h"

namespace {
const char *const DefaultPort = facts::DefaultPortText;
const int DefaultStageIntervalMs = 1000;
} // namespace

QByteArray cutText(const QByteArray &text, int maxBytes)
{
    return cmd::cutText(text, maxBytes);
}

TServer::TServer(QObject *parent) : QObject(parent)
{
    Sock1 = new TSock(this);
    Sock1->setPortName(QString::fromLatin1(DefaultPort));
    Sock1->OnRead = [this](TSock *sender, int) { Sock1Read(sender); };
    Sock1->OnAccept = [this](TSock *sender) { Sock1Accept(sender); };

    // Never opened: it only carries the handlers every accepted socket gets.
    tempsock = new TSock(this);
    tempsock->OnDisconnect = [this](TSock *sender) { tempsockDisconnect(sender); };
    tempsock->OnInfo = [this](TSock *sender, TSocketInfo kind, const QString &msg) {
        tempsockInfo(sender, kind, msg);
    };

    Timer1 = new QTimer(this);
    Timer1->setInterval(DefaultStageIntervalMs);
    connect(Timer1, &QTimer::timeout, this, &TServer::Timer1Timer);

    QElapsedTimer since;
    since.start();
    clock = [since] { return since.elapsed(); };

    receivedlist = new ReceiveQueue(this);
    receivedlist->setPump(PumpPeriodMs, [this](const ReceivedEntry &entry) { dispatch(entry); });
    receivedlist->setStep([this] { return socktimerTimer(); });
    // Shares are counted on the host's own clock, which tests drive.
    receivedlist->setClock([this] { return clock(); });
    receivedlist->setShare({ShareRate, ShareBurst});
    staging = new ReceiveQueue(this);

    logintimer = new QTimer(this);
    logintimer->setSingleShot(true);
    connect(logintimer, &QTimer::timeout, this, &TServer::logintimerTimer);
    rejointimer = new QTimer(this);
    rejointimer->setSingleShot(true);
    connect(rejointimer, &QTimer::timeout, this, &TServer::rejointimerTimer);

    FormCreate();
}

TServer::~TServer()
{
    Timer1->stop();
    // The sockets close as they are destroyed and report it; nobody is left to
    // listen by then.
    const QList<TSock *> socks = findChildren<TSock *>();
    for (TSock *sock : socks) {
        sock->OnRead = nullptr;
        sock->OnDisconnect = nullptr;
        sock->OnInfo = nullptr;
        sock->OnAccept = nullptr;
    }
    for (TPlayer &p : players)
        p.sock = nullptr;
    delete Sock1;
    Sock1 = nullptr;
}

void TServer::FormCreate()
{
    rng.seed(
        static_cast<quint32>(std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    for (int s = 1; s <= LastPlayer; ++s)
        players[s].team = 0;
}

bool TServer::startListening(const QString &port)
{
    listenError.clear();
    try {
        Sock1->setPortName(port);
        Sock1->setListen(true);
    } catch (const ESockException &e) {
        listenError = e.text;
        // A failed bind leaves the handle allocated; release it so a later
        // attempt can succeed.
        closeQuietly(Sock1);
        return false;
    }
    return Sock1->Listen();
}

quint16 TServer::listeningPort() const
{
    return Sock1->Listen() ? Sock1->LocalPort() : 0;
}

void TServer::closeAll()
{
    Timer1->stop();
    for (int s = 1; s <= LastSlot; ++s)
        disconnectsock(s);
    if (Sock1->Listen()) closeQuietly(Sock1);
}

void TServer::setStageInterval(int ms)
{
    Timer1->setInterval(ms);
}
bool TServer::stageClockRunning() const
{
    return Timer1->isActive();
}

bool TServer::occupied(int slot) const
{
    return slot >= 1 && slot <= numslots && slot <= LastSlot && players[slot].connected;
}

int TServer::random(int range)
{
    return std::uniform_int_distribution<int>(0, range - 1)(rng);
}

void TServer::sendto(int slot, const QByteArray &message)
{
    if (slot < 0 || slot > LastRecord) return;
    if (sendHook) sendHook(slot, message);
    TSock *sock = players[slot].sock;
    if (!sock) return;
    try {
        sock->Send(message);
    } catch (const ESockException &) {
        // A socket that can no longer send is about to report its end.
        return;
    }
    if (slot <= LastSlot && sock->OutgoingSize() > MaxUnsentBytes) disconnectsock(slot);
}

void TServer::sendall(const QByteArray &message)
{
    for (int s = 1; s <= numslots && s <= LastSlot; ++s)
        if (occupied(s)) sendto(s, message);
}

void TServer::startstage(Stage stage, int count)
{
    gamestate = stage;
    countdown = count;
    Timer1->start();
}

// --- message pump ----------------------------------------------------------

void TServer::Sock1Read(TSock *sender)
{
    const qint64 tag = sender->Tag();
    QByteArray bytes;
    try {
        bytes = sender->Receive();
    } catch (const ESockException &) {
        return;
    }
    if (tag < 1 || tag > LastSlot || players[tag].sock != sender) return;
    feed(int(tag), bytes);
}

void TServer::feed(int slot, const QByteArray &bytes)
{
    TPlayer &p = players[slot];
    const bool withinBound = p.framer.feed(bytes, *staging, p.connection);
    while (!staging->isEmpty()) {
        ReceivedEntry entry = staging->takeFirst();
        if (!withinBound || entry.text.isEmpty() || !splitEntry(entry.text).valid) continue;
        receivedlist->append(entry.text, entry.connection);
        ++p.queued;
    }
    // A connection that will not end its message, or floods the queue, is cut
    // off; everyone else plays on.
    if (!withinBound || p.queued > MaxQueuedPerConnection ||
        receivedlist->backlog(p.connection) > receivedlist->backlogLimit())
        disconnectsock(slot);
}

bool TServer::socktimerTimer()
{
    return receivedlist->tick();
}

void TServer::drainQueue()
{
    while (!receivedlist->isEmpty())
        if (!receivedlist->tick()) receivedlist->tick(false);
}

void TServer::setPumpMode(ReceiveQueue::PumpMode mode)
{
    receivedlist->setPumpMode(mode);
}

int TServer::slotOfConnection(quint64 connection) const
{
    if (connection == 0) return 0;
    for (int s = 1; s <= LastSlot; ++s)
        if (players[s].connected && players[s].connection == connection) return s;
    return 0;
}

void TServer::dispatch(const ReceivedEntry &entry)
{
    // Messages of a connection that has gone act for nobody.
    const int slot = slotOfConnection(entry.connection);
    if (slot == 0) return;
    if (players[slot].queued > 0) --players[slot].queued;

    cmd::dispatch<cmd::ToHost>(
        entry.text,
        [this, slot](const auto &message) -> decltype(on(slot, message)) { on(slot, message); });
}

void TServer::on(int slot, const cmd::toHost::StartGame &start)
{
    // Only the hosting player's connection may start or restart a game.
    if (slot == hostslot) startgame(start);
}

// --- seams for tests ---------------------------------------------------------

int TServer::addTestConnection()
{
    const int slot = chooseslot();
    newslot = slot;
    if (slot == LastRecord) {
        sendto(LastRecord, cmd::host::full());
        return slot;
    }
    takeslot(slot, nullptr);
    return slot;
}

int TServer::addTestPlayer(int slot, const QByteArray &name)
{
    if (slot < 1 || slot > LastSlot) return 0;
    const auto hook = std::move(sendHook);
    sendHook = nullptr;
    takeslot(slot, nullptr);
    sendHook = hook;
    players[slot].name = name;
    loggedIn[slot] = true;
    armLoginTimer();
    return slot;
}

int TServer::addTestConnection(const Peer &from)
{
    const int slot = addTestConnection();
    if (slot >= 1 && slot <= LastSlot) peers[slot] = from;
    return slot;
}

int TServer::addTestPlayer(int slot, const QByteArray &name, const Peer &from)
{
    if (!addTestPlayer(slot, name)) return 0;
    peers[slot] = from;
    return slot;
}

void TServer::endTestConnection(int slot, TestEnd kind)
{
    if (!occupied(slot) || away[slot]) return;
    if (kind == TestEnd::Closed)
        closed(slot);
    else
        dropped(slot);
}

void TServer::injectMessage(int slot, const QByteArray &entry)
{
    if (slot < 0 || slot > LastRecord) return;
    injectFromConnection(players[slot].connection, entry);
}

void TServer::injectFromConnection(quint64 connection, const QByteArray &entry)
{
    if (entry.isEmpty() || !splitEntry(entry).valid) return;
    receivedlist->append(entry, connection);
    if (const int slot = slotOfConnection(connection)) ++players[slot].queued;
}

void TServer::injectBytes(int slot, const QByteArray &bytes)
{
    if (occupied(slot)) feed(slot, bytes);
}
