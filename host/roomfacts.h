// The discovery answer of a TServer's room: its public facts only.
#pragma once

#include "net/discovery.h"

class TServer;

// `rating` is the room's rating ("a", "e" or not rated); the host itself
// does not know it, the hosting program does.
discovery::RoomFacts roomFacts(const TServer &server, const QString &rating);
