// The hosting player's computer players: they run in this program, join its
// own host over loopback like any client, and are added and removed from the
// Options menu. Their number is kept in our own section of the settings file,
// and so is whether they keep quiet in the chat ("Quiet Computer Players").
#include "client/tchat.h"

#include <QAction>
#include <QDateTime>
#include <QMenu>

#include "bots/botroom.h"
#include "host/tserver.h"
#include "shell/profile.h"

namespace {
const char AddCaption[] = "Add Computer Player";
const char RemoveCaption[] = "Remove Computer Player";
const char QuietCaption[] = "Quiet Computer Players";
const char QuietName[] = "QuietComputerPlayers1";
const char KeyQuiet[] = "ComputerPlayersQuiet";

bool storedQuiet()
{
    return profile::readInteger(settings::filePath(), QString::fromLatin1(Tchat::ExtrasSection),
                                QString::fromLatin1(KeyQuiet), 0) != 0;
}
} // namespace

void Tchat::buildComputerPlayerMenu(QMenu *options)
{
    options->addSeparator();
    AddComputerPlayer1 = new QAction(QString::fromLatin1(AddCaption), this);
    AddComputerPlayer1->setObjectName("AddComputerPlayer1");
    RemoveComputerPlayer1 = new QAction(QString::fromLatin1(RemoveCaption), this);
    RemoveComputerPlayer1->setObjectName("RemoveComputerPlayer1");
    for (QAction *a : {AddComputerPlayer1, RemoveComputerPlayer1}) {
        a->setEnabled(false); // only the hosting player has computer players
        options->addAction(a);
    }
    // Any player may silence the computer players of the program's own room.
    auto *quiet = new QAction(QString::fromLatin1(QuietCaption), this);
    quiet->setObjectName(QString::fromLatin1(QuietName));
    quiet->setCheckable(true);
    options->addAction(quiet);
    connect(options, &QMenu::aboutToShow, quiet, [quiet] { quiet->setChecked(storedQuiet()); });
    connect(quiet, &QAction::triggered, this, [this](bool on) {
        profile::writeString(settings::filePath(), QString::fromLatin1(ExtrasSection),
                             QString::fromLatin1(KeyQuiet),
                             on ? QStringLiteral("1") : QStringLiteral("0"));
        if (botRoom) botRoom->setQuiet(on);
    });
    connect(AddComputerPlayer1, &QAction::triggered, this, &Tchat::AddComputerPlayer1Click);
    connect(RemoveComputerPlayer1, &QAction::triggered, this, &Tchat::RemoveComputerPlayer1Click);
}

void Tchat::startComputerPlayers()
{
    if (computerPlayersStarted || !windows.server) return;
    computerPlayersStarted = true;
    // A solo game comes with the remembered number of computer players; a
    // room opened for others starts with none and the host adds them.
    const int stored =
        profile::readInteger(settings::filePath(), QString::fromLatin1(ExtrasSection),
                             QString::fromLatin1(KeyComputerPlayers), SoloComputerPlayers);
    const int count = soloGame ? qBound(0, stored, int(BotRoom::MaxBots)) : 0;
    computerPlayersChanged(0);
    if (count > 0 && makeBotRoom()) botRoom->setCount(count);
}

bool Tchat::makeBotRoom()
{
    if (!st.isHost || !windows.server) return false;
    if (!botRoom) {
        BotRoomConfig config;
        config.port = windows.server->listeningPort();
        config.seed = quint32(QDateTime::currentMSecsSinceEpoch());
        config.family = true;
        config.quiet = storedQuiet();
        if (auto *quiet = findChild<QAction *>(QString::fromLatin1(QuietName)))
            quiet->setChecked(config.quiet);
        botRoom = new BotRoom(config, this);
        // The host must know its own computer players: they never get the
        // hosting player's rights. It may be gone first when the program ends.
        QPointer<TServer> server = windows.server;
        botRoom->portHook = [server](quint16 port, bool computer) {
            if (server) server->markComputerPort(port, computer);
        };
        botRoom->knownNames = [this] {
            QList<QByteArray> names;
            for (int slot = 1; slot <= LastSlot; ++slot)
                names.append(playerName(slot).toUtf8());
            return names;
        };
        connect(botRoom, &BotRoom::countChanged, this, &Tchat::computerPlayersChanged);
    }
    return true;
}

void Tchat::AddComputerPlayer1Click()
{
    if (!makeBotRoom()) return;
    botRoom->addBot();
    storeComputerPlayers();
}

void Tchat::RemoveComputerPlayer1Click()
{
    if (!botRoom) return;
    botRoom->removeBot();
    storeComputerPlayers();
}

// Only the player's own changes are remembered, never a room emptied because
// the program or the host ended.
void Tchat::storeComputerPlayers()
{
    profile::writeString(settings::filePath(), QString::fromLatin1(ExtrasSection),
                         QString::fromLatin1(KeyComputerPlayers),
                         QString::number(botRoom ? botRoom->count() : 0));
}

// Leaving a room: its computer players go with it, and the next room this
// program hosts starts its own.
void Tchat::stopComputerPlayers()
{
    if (!botRoom) return;
    botRoom->stopAll();
    botRoom->deleteLater();
    botRoom = nullptr;
    computerPlayersStarted = false;
    soloGame = false;
    computerPlayersChanged(0);
}

void Tchat::computerPlayersChanged(int count)
{
    if (AddComputerPlayer1) AddComputerPlayer1->setEnabled(st.isHost && count < BotRoom::MaxBots);
    if (RemoveComputerPlayer1) RemoveComputerPlayer1->setEnabled(st.isHost && count > 0);
}
