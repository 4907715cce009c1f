// The room's public facts: what any player sees on entering, and what a
// discovery answer may tell about the room.
#include "host/tserver.h"

int TServer::playersPresent() const
{
    int count = 0;
    for (int slot = 1; slot <= LastPlayer; ++slot)
        if (occupied(slot)) ++count;
    return count;
}

int TServer::spiesPresent() const
{
    int count = 0;
    for (int slot = LastPlayer + 1; slot <= LastSlot; ++slot)
        if (occupied(slot)) ++count;
    return count;
}

// The person holding the hosting player's rights, never a computer player.
QByteArray TServer::hostingPlayerName() const
{
    return hostslot > 0 && occupied(hostslot) ? players[hostslot].name : QByteArray();
}
