// The client's connection to the host, the login and the message pump that
// hands each host message to its routine.
#include "client/tchat.h"

#include <QAction>

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

// A remainder that is one decimal number and nothing else.
int wholeNumber(const QByteArray &remainder)
{
    int value = 0;
    if (!cmd::toNumber(remainder, value)) throw cmd::ParseError(remainder);
    return value;
}
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

    if (!windows.server->startListening(QString::number(gamePort))) {
        reportError(windows.server->lastListenError());
        return;
    }
    login = st.ownName;
    st.isHost = true;
    // The hosting player joins its own host like everybody else.
    openConnection(QString::fromLatin1(LocalAddress), gamePort);

    if (QWidget *start = control("button_start")) start->show();
    StartGame1->setEnabled(true);
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

void Tchat::sendloginfo(const QByteArray &remainder)
{
    const int slot = wholeNumber(remainder);
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

void Tchat::sockInfo(TSock *, TSocketInfo, const QString &text)
{
    // Once the host said the game is full, its close waits for the player to
    // read that.
    if (text == TSock::InfoSocketClosed && !fullNoticeOpen) close();
}

void Tchat::gamefull()
{
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
    const SplitEntry split = splitEntry(entry);
    if (!split.valid) return;
    const QByteArray &word = split.command;
    const QByteArray &r = split.remainder;
    try {
        // Every row is tested; a word can only match its own.
        if (word == cmd::CMD_sendlogininfo) sendloginfo(r);
        if (word == cmd::CMD_chat) chatrecieved(r);
        if (word == cmd::CMD_action) chatrecieved(r);
        if (word == cmd::CMD_newplayerinfo) newplayerinfo(r);
        if (word == cmd::CMD_existingplayers) newplayerinfo(r);
        if (word == cmd::CMD_playerdisconnected) playerdisconnected(r);
        if (word == cmd::CMD_startgame) panel_back->startthegame(r);
        if (word == cmd::CMD_nextplayer) panel_back->getnextplayer(r);
        if (word == cmd::CMD_winner) panel_back->winner(r);
        if (word == cmd::CMD_full) gamefull();
        if (word == cmd::CMD_cats) panel_back->postcats(r);
        if (word == cmd::CMD_catchoosen) panel_back->catchoosen(r);
        if (word == cmd::CMD_theletters) panel_back->posttheletters(r);
        if (word == cmd::CMD_anacro) panel_back->postacros(r);
        if (word == cmd::CMD_updatetime) st.secondsLeft = wholeNumber(r);
        if (word == cmd::CMD_thevotes) panel_back->postvotes(r);
        if (word == cmd::CMD_noanswer) panel_back->noanswer();
        if (word == cmd::CMD_postscores) panel_back->postscores(r);
        if (word == cmd::CMD_novotes) panel_back->novotes();
        if (word == cmd::CMD_havewrongversion)
            addlinetochat(QString::fromUtf8(r) + QLatin1String(HasWrongVersion), colortext::clBlue);
        if (word == cmd::CMD_wrongversion)
            addlinetochat(QString::fromLatin1(WrongVersion), colortext::clBlue);
        if (word == cmd::CMD_entered) entered(r);
        if (word == cmd::CMD_teamgame) panel_back->teamgame(r);
        if (word == cmd::CMD_inbonus) panel_back->inbonus(r);
        if (word == cmd::CMD_dovote) panel_back->dovote();
        if (word == cmd::CMD_stats) panel_back->stats(r);
        if (word == cmd::CMD_histeam) panel_back->histeam(r);
        if (word == cmd::CMD_playasound) playasound(r);
    } catch (const std::exception &error) {
        // Only this message is abandoned; the pump goes on with the next.
        reportError(QString::fromUtf8(error.what()));
    }
}
