// Rooms: the "Play with Others" window, hosting and joining from inside the
// program, and leaving a room without ending the program. A new room is
// joined through a JoinAttempt first, so a failed try leaves the player in
// the room they were in.
#include "client/tchat.h"

#include <QAction>
#include <QHostAddress>
#include <QLabel>
#include <QNetworkInterface>

#include "client/colortext.h"
#include "client/gamearea.h"
#include "client/joinattempt.h"
#include "host/roomfacts.h"
#include "host/tserver.h"
#include "net/discoveryresponder.h"
#include "shell/launchargs.h"
#include "windows/tplaywithothers.h"
#include "windows/tspylist.h"

namespace {
const char WelcomeText[] = "Welcome to Quibbleton!";
const char LeftRoom[] = "You left the room.";
const char JoiningRoom[] = "Joining %1 ...";

// An address of this machine, where our own host would answer.
bool isThisMachine(const QString &host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) return true;
    const QHostAddress address(host);
    if (address.isNull()) return false;
    if (address.isLoopback() || address == QHostAddress(QHostAddress::AnyIPv4)) return true;
    return QNetworkInterface::allAddresses().contains(address);
}
} // namespace

void Tchat::PlayWithOthers1Click()
{
    Tplaywithothers *window = roomWindow();
    window->show();
    window->raise();
    window->activateWindow();
}

Tplaywithothers *Tchat::roomWindow()
{
    if (!playwithothers) {
        playwithothers = new Tplaywithothers(this);
        // The solo name is the program's, not the player's.
        if (st.ownName != QLatin1String(SoloName)) playwithothers->setSuggestedName(st.ownName);
        connect(playwithothers, &Tplaywithothers::hostRequested, this, &Tchat::hostroom);
        connect(playwithothers, &Tplaywithothers::joinRequested, this, &Tchat::joinroom);
    }
    return playwithothers;
}

void Tchat::watchConnection(TSock *connection)
{
    connection->setObjectName("sock");
    connection->OnInfo = [this](TSock *sender, TSocketInfo kind, const QString &text) {
        sockInfo(sender, kind, text);
    };
    connection->OnRead = [this](TSock *sender, int) { sockRead(sender); };
}

void Tchat::startDiscovery()
{
    delete responder;
    responder = nullptr;
    if (!st.isHost || !windows.server) return;
    TServer *server = windows.server;
    // Owned by the host: it answers for that host and goes with it.
    responder = new DiscoveryResponder([this, server] { return roomFacts(*server, st.roomRating); },
                                       server);
    // A taken UDP port only means the room cannot be found; it still plays.
    if (!responder->start(server->listeningPort(), discovery::DefaultPort)) {
        delete responder;
        responder = nullptr;
    }
}

void Tchat::leaveroom()
{
    if (settingsRead) saveinifile();

    // The computer players this program started play on its own host and
    // must go before it does.
    stopComputerPlayers();
    if (stopOwnComputerPlayers) stopOwnComputerPlayers();

    // Our connection closes quietly: its close report would end the program.
    TSock *old = sock;
    old->OnInfo = nullptr;
    old->OnRead = nullptr;
    try {
        old->Close();
    } catch (const ESockException &) {
    }
    old->setObjectName(QString());
    old->deleteLater();
    sock = new TSock(this);
    watchConnection(sock);

    delete responder;
    responder = nullptr;
    stopWebServer();
    if (windows.server) windows.server->closeAll();

    // Nothing of the old room stays: not its messages, nor its board.
    receivedlist->removeConnection(0);
    framer.clear();
    const ClientState fresh;
    st.loggedIn = false;
    st.isHost = false;
    st.ownSlot = 0;
    st.chooserSlot = 0;
    st.letterCount = 0;
    st.secondsLeft = 0;
    st.filterOn = false;
    st.boardOrder = fresh.boardOrder;
    st.answerOrder = fresh.answerOrder;
    hostPort = 0;
    for (int n = 1; n <= BoardSlots; ++n) {
        FlatPanel2->clearPlayer(n);
        FlatPanel2->setScore(n, QStringLiteral("0"));
    }
    FlatPanel2->placeRows(st.boardOrder);
    for (int n = BoardSlots + 1; n <= LastSlot; ++n) {
        if (spyPresent[n] && windows.spylist) windows.spylist->removeSpy(n, spyNames[n]);
        spyPresent[n] = false;
        spyNames[n].clear();
    }
    panel_back->setpanels(nullptr);
    panel_back->clearall();
    label_team1->clear();
    label_team2->clear();
    label_status->setText(QString::fromLatin1(WelcomeText));
    if (QWidget *start = control("button_start")) start->hide();
    if (QWidget *inviteButton = control("button_invite")) inviteButton->hide();
    StartGame1->setEnabled(false);
    if (windows.spylist) windows.spylist->setKickEnabled(false);
    addlinetochat(QString::fromLatin1(LeftRoom), colortext::clYellow);
}

void Tchat::hostroom(const QString &name, const QString &rating)
{
    delete joining;
    leaveroom();
    st.ownName = name;
    st.hostAddress = QString::fromLatin1(LocalAddress);
    st.roomRating = rating;
    hostpress();
    Tplaywithothers *window = roomWindow();
    if (!st.isHost) {
        window->showFailure(Tplaywithothers::CannotHost,
                            windows.server ? windows.server->lastListenError() : QString());
        return;
    }
    startDiscovery();
    startWebServer();
    window->tryFinished(true);
}

void Tchat::joinroom(const QString &name, const QString &host, quint16 port, const QString &rating)
{
    delete joining;
    Tplaywithothers *window = roomWindow();
    // Our own room: the player is there already.
    if (st.isHost && windows.server && port == windows.server->listeningPort() &&
        isThisMachine(host)) {
        window->tryFinished(true);
        return;
    }
    auto *attempt = new JoinAttempt(host, port, this);
    joining = attempt;
    connect(attempt, &JoinAttempt::finished, this,
            [this, attempt, name, rating](JoinAttempt::Outcome outcome) {
                joinFinished(attempt, outcome, name, rating);
            });
    attempt->start();
}

void Tchat::joinFinished(JoinAttempt *attempt, int outcome, const QString &name,
                         const QString &rating)
{
    attempt->deleteLater();
    if (joining == attempt) joining = nullptr;
    Tplaywithothers *window = roomWindow();
    const QString host = attempt->host();
    const QString shown =
        (host.contains(u':') ? "[" + host + "]" : host) + ":" + QString::number(attempt->port());
    switch (outcome) {
    case JoinAttempt::Joined: {
        TSock *connection = attempt->takeSocket();
        const QByteArray firstBytes = attempt->received();
        leaveroom();
        st.ownName = name;
        st.hostAddress = attempt->host();
        st.roomRating = rating;
        hostPort = attempt->port();
        login = name;
        sock->deleteLater();
        sock = connection;
        sock->setParent(this);
        watchConnection(sock);
        addlinetochat(QString::fromLatin1(JoiningRoom).arg(shown), colortext::clMaroon);
        // The login reply is already here; the pump takes it like any other.
        framer.feed(firstBytes, *receivedlist);
        window->tryFinished(true);
        return;
    }
    case JoinAttempt::Full:
        window->showFailure(Tplaywithothers::Full);
        return;
    case JoinAttempt::Refused:
        window->showFailure(Tplaywithothers::Refused, shown);
        return;
    default:
        window->showFailure(Tplaywithothers::NobodyThere, shown);
        return;
    }
}

JoinAttempt *Tchat::pendingJoin() const
{
    return joining;
}
