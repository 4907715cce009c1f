// The client's connection to the host, the login and the message pump that
// hands each host message to its routine.
#include "client/tchat.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include "client/colortext.h"
#include "client/gamearea.h"
#include "host/tserver.h"
#include "net/commands.h"
#include "shell/launchargs.h"
#include "windows/tabout.h"
#include "windows/tgamestart.h"
#include "windows/tspylist.h"

namespace {
const char GameFull[] = "Game is full";
const char HasWrongVersion[] = " has a different version of the game than you.";
const char WrongVersion[] = "You have a different version of the game than the host.";
const char Reconnecting[] = "Reconnecting\u2026";
const char ReconnectStopped[] = "Reconnecting stopped.";
const char ReconnectFailed[] = "The connection to the room is lost.";

} // namespace

void Tchat::hostpress()
{
    // A new host and a new options dialog replace the ones made at start-up;
    // the old host never listened, so nothing hangs on it.
    TServer *oldServer = windows.server;
    windows.server = new TServer(this);
    windows.server->setObjectName("Server");
    delete oldServer;
    Tgamestart *oldDialog = windows.gamestart;
    windows.gamestart = new Tgamestart(this);
    connectGameOptions(windows.gamestart);
    if (oldDialog) oldDialog->deleteLater();
    windows.gamestart->setStarterName(st.ownName);
    windows.server->setRejoinSeconds(windows.gamestart->rejoinSeconds());

    if (!windows.server->startListening(QString::number(gamePort))) {
        reportError(windows.server->lastListenError());
        return;
    }
    login = st.ownName;
    st.isHost = true;
    // The hosting player joins its own host like everybody else.
    openConnection(QString::fromLatin1(LocalAddress), gamePort);

    if (QWidget *start = control("button_start")) start->show();
    if (QWidget *inviteButton = control("button_invite")) inviteButton->show();
    StartGame1->setEnabled(true);
    ClearRemoved1->setEnabled(true);
    if (windows.spylist) windows.spylist->setKickEnabled(true);
}

void Tchat::joinpress()
{
    login = st.ownName;
    openConnection(st.hostAddress, hostPort ? hostPort : gamePort);
}

void Tchat::openConnection(const QString &host, quint16 port)
{
    sock->setHostName(host);
    sock->setPortName(QString::number(port));
    try {
        sock->Open();
    } catch (const ESockException &error) {
        reportError(error.text);
    }
}

void Tchat::on(const cmd::toClient::SendLogin &message)
{
    const int slot = message.slot.get();
    if (slot < 1 || slot > LastSlot) return; // no host gives such a slot
    st.ownSlot = slot;
    st.loggedIn = true;
    const QString version =
        windows.about ? windows.about->version() : QString::fromLatin1(cmd::GameVersion);
    sendToHost(cmd::client::logininfo(slot, version.toUtf8(), login.toUtf8()));
}

void Tchat::sendToHost(const QByteArray &message)
{
    if (!st.loggedIn) return;
    try {
        sock->Send(message);
    } catch (const ESockException &) {
        // The connection is gone; its close report ends the game.
    }
}

void Tchat::sockRead(TSock *sender)
{
    QByteArray bytes;
    try {
        bytes = sender->Receive();
    } catch (const ESockException &) {
        return;
    }
    framer.feed(bytes, *receivedlist);
    // A host that sends faster than any game needs is broken or hostile: the
    // queue would grow without end, so the connection goes.
    if (receivedlist->backlog(0) > receivedlist->backlogLimit()) sender->Close();
}

void Tchat::sockInfo(TSock *sender, TSocketInfo kind, const QString &text)
{
    const bool closedByHost = text == TSock::InfoSocketClosed;
    if (rejoinActive) {
        // A try that failed, or that the host turned away, waits for the next.
        if (sender == sock && (kind == TSocketInfo::Error || closedByHost)) nextReconnect();
        return;
    }
    // Once the host said the game is full, its close waits for the player to
    // read that.
    if (closedByHost && !fullNoticeOpen) {
        close();
        return;
    }
    // A reset, a time-out or a network error is a drop, not the end of the
    // room: the client comes back by itself.
    if (kind == TSocketInfo::Error && st.loggedIn && !closing) startReconnect();
}

void Tchat::setReconnectWaits(int firstMs, int longestMs)
{
    firstWaitMs = qMax(1, firstMs);
    longestWaitMs = qMax(firstWaitMs, longestMs);
}

int Tchat::rejoinWindowMs() const
{
    // The host keeps a dropped player this long; our own option says it for
    // a room of ours, the host's default for any other.
    const int seconds =
        windows.gamestart ? windows.gamestart->rejoinSeconds() : TServer::DefaultRejoinSeconds;
    return seconds * 1000;
}

void Tchat::freshSock()
{
    // The old connection goes quietly: its reports would end the program.
    TSock *old = sock;
    old->OnInfo = nullptr;
    old->OnRead = nullptr;
    closeQuietly(old);
    old->setObjectName(QString());
    old->deleteLater();
    sock = new TSock(this);
    watchConnection(sock);
    reconnectSock = sock;
}

void Tchat::startReconnect()
{
    if (rejoinWindowMs() <= 0) return;
    rejoinActive = true;
    reconnectTries = 0;
    reconnectClock.start();
    st.loggedIn = false;
    // Half a message of the old connection is no start for the new one.
    framer.clear();
    freshSock();
    StopReconnecting1->setEnabled(true);
    addlinetochat(QString::fromUtf8(Reconnecting), colortext::clYellow);
    nextReconnect();
}

void Tchat::nextReconnect()
{
    if (!rejoinActive || reconnectTimer->isActive()) return;
    st.loggedIn = false;
    if (reconnectClock.elapsed() >= rejoinWindowMs()) {
        endReconnect(ReconnectFailed);
        return;
    }
    const int wait =
        int(qMin<qint64>(longestWaitMs, qint64(firstWaitMs) << qMin(reconnectTries, 20)));
    ++reconnectTries;
    reconnectTimer->start(wait);
}

void Tchat::tryReconnect()
{
    // Leaving the room (or joining another) took the connection: no more tries.
    if (!rejoinActive || !reconnectSock || sock != reconnectSock) {
        rejoinActive = false;
        StopReconnecting1->setEnabled(false);
        return;
    }
    framer.clear();
    freshSock();
    if (st.isHost)
        openConnection(QString::fromLatin1(LocalAddress), gamePort);
    else
        openConnection(st.hostAddress, hostPort ? hostPort : gamePort);
}

void Tchat::endReconnect(const char *line)
{
    reconnectTimer->stop();
    rejoinActive = false;
    StopReconnecting1->setEnabled(false);
    if (line) addlinetochat(QString::fromUtf8(line), colortext::clYellow);
}

void Tchat::StopReconnecting1Click()
{
    if (!rejoinActive) return;
    endReconnect(ReconnectStopped);
    st.loggedIn = false;
    freshSock();
}

void Tchat::ClearRemoved1Click()
{
    if (!st.isHost || !st.loggedIn) return;
    sendToHost(cmd::client::clearremoved(st.ownSlot));
}

void Tchat::on(const cmd::toClient::YourAnswer &message)
{
    // Back in the answer stage: the answer the host kept is this player's.
    if (!message.slot.is(st.ownSlot)) return;
    auto *answer = panel_back->findChild<QLineEdit *>(QStringLiteral("edit_answer"));
    if (!answer) return;
    answer->setText(QString::fromUtf8(cmd::acroFromWire(message.acro)));
    if (auto *accepted = panel_back->findChild<QLabel *>(QStringLiteral("label_accepted")))
        accepted->show();
}

void Tchat::gamefull()
{
    // While coming back, a full room may be full of kept places, ours among
    // them: the next try may find one free.
    if (rejoinActive) {
        freshSock();
        nextReconnect();
        return;
    }
    if (fullNoticeOpen) return;
    if (!showLastMessage) {
        close();
        return;
    }
    fullNoticeOpen = true;
    showLastMessage(QString::fromLatin1(GameFull), [this] {
        fullNoticeOpen = false;
        close();
    });
}

void Tchat::dispatch(const QByteArray &entry)
{
    try {
        cmd::dispatch<cmd::ToClient>(
            entry, [this](const auto &message) -> decltype(on(message)) { on(message); });
    } catch (const std::exception &error) {
        // Only this message is abandoned; the pump goes on with the next.
        reportError(QString::fromUtf8(error.what()));
    }
}

void Tchat::on(const cmd::toClient::Full &)
{
    gamefull();
}

void Tchat::on(const cmd::toClient::HasWrongVersion &message)
{
    addlinetochat(QString::fromUtf8(message.name) + QLatin1String(HasWrongVersion),
                  colortext::clBlue);
}

void Tchat::on(const cmd::toClient::WrongVersion &)
{
    addlinetochat(QString::fromLatin1(WrongVersion), colortext::clBlue);
}

void Tchat::on(const cmd::toClient::UpdateTime &message)
{
    st.secondsLeft = message.seconds.get();
}

// A round's messages go on to the game area.
void Tchat::on(const cmd::toClient::Game &message)
{
    panel_back->startthegame(message);
}
void Tchat::on(const cmd::toClient::TeamGame &message)
{
    panel_back->teamgame(message);
}
void Tchat::on(const cmd::toClient::Stats &message)
{
    panel_back->stats(message);
}
void Tchat::on(const cmd::toClient::Teams &message)
{
    panel_back->histeam(message);
}
void Tchat::on(const cmd::toClient::NextPlayer &message)
{
    panel_back->getnextplayer(message);
}
void Tchat::on(const cmd::toClient::Cats &message)
{
    panel_back->postcats(message);
}
void Tchat::on(const cmd::toClient::InBonus &message)
{
    panel_back->inbonus(message);
}
void Tchat::on(const cmd::toClient::Category &message)
{
    panel_back->catchoosen(message);
}
void Tchat::on(const cmd::toClient::Letters &message)
{
    panel_back->posttheletters(message);
}
void Tchat::on(const cmd::toClient::NoAnswer &)
{
    panel_back->noanswer();
}
void Tchat::on(const cmd::toClient::Answers &message)
{
    panel_back->postacros(message);
}
void Tchat::on(const cmd::toClient::DoVote &)
{
    panel_back->dovote();
}
void Tchat::on(const cmd::toClient::Votes &message)
{
    panel_back->postvotes(message);
}
void Tchat::on(const cmd::toClient::NoVotes &)
{
    panel_back->novotes();
}
void Tchat::on(const cmd::toClient::Scores &message)
{
    panel_back->postscores(message);
}
void Tchat::on(const cmd::toClient::Winner &message)
{
    panel_back->winner(message);
}
