// What the round screens need from the main window. Tchat implements it; the
// round screens (Tgamearea) never include the main window's header.
#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include "resources/palette.h"

class PlayerBoard;
class Tgamestart;
class Tcategorylist;
class Tacrolog;

// Client state owned by the main window.
struct ClientState
{
    QString ownName;
    QString hostAddress;
    QString roomRating; // at most one character
    bool isHost = false;
    bool loggedIn = false;
    int ownSlot = 0;
    int chooserSlot = 0;
    int letterCount = 0;
    int secondsLeft = 0;
    bool filterOn = false;
    // Row k (0-based here) of the board shows slot boardOrder[k]; row k of the
    // voting screen shows the answer in position answerOrder[k].
    QVector<int> boardOrder = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    QVector<int> answerOrder = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
};

class ClientContext
{
public:
    virtual ~ClientContext() = default;

    virtual ClientState &state() = 0;
    // Sends a message built by the command table; nothing while not logged in.
    virtual void sendToHost(const QByteArray &message) = 0;
    virtual void addlinetochat(const QString &text, TColor colour) = 0;
    virtual void playsounds(const QString &name) = 0;

    // The main window's parts the round screens change.
    virtual PlayerBoard &board() = 0;
    virtual void setStatus(const QString &text) = 0;
    // The team totals under the game area; empty texts clear them.
    virtual void setTeamLines(const QString &yellow, const QString &white) = 0;
    // The menu item File, "Start Game".
    virtual void setStartGameEnabled(bool enabled) = 0;
    virtual void focusChatEntry() = 0;

    virtual Tgamestart *gameOptions() = 0;
    virtual Tcategorylist *categoryList() = 0;
    virtual Tacrolog *acroLog() = 0;
};
