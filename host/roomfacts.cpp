#include "host/roomfacts.h"

#include "host/tserver.h"
#include "net/commands.h"

discovery::RoomFacts roomFacts(const TServer &server, const QString &rating)
{
    discovery::RoomFacts facts;
    facts.hostName = QString::fromUtf8(server.hostingPlayerName());
    facts.rating = discovery::normalRating(rating);
    facts.players = server.playersPresent();
    facts.spies = server.spiesPresent();
    facts.gameRunning = server.gameRunning();
    facts.port = server.listeningPort();
    facts.version = QString::fromLatin1(cmd::GameVersion);
    return facts;
}
