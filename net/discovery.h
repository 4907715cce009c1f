// Finding rooms on the local network: the datagrams a room finder sends and a
// host answers, on UDP beside the game's TCP port. A query is one short text;
// the answer carries only what a player sees on entering anyway (who hosts,
// the rating, how full the room is, whether a game runs, the port and the
// game's version), never chat or answers.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "net/gamefacts.h"

namespace discovery {

// The UDP port where finders ask and every host answers, whatever its game
// port (hosts share it); each host answers on its game port number as well.
inline constexpr quint16 DefaultPort = facts::DefaultPort;
// The exchange's own version; a finder of another version still gets an
// answer, so it can tell the player the room runs something else.
inline constexpr int ProtocolVersion = 1;
inline constexpr char QueryPrefix[] = "QUIBBLETON?";
inline constexpr char AnswerPrefix[] = "QUIBBLETON!";
// Anything longer is not ours and is dropped unread.
inline constexpr int MaxQueryBytes = 32;
inline constexpr int MaxAnswerBytes = 512;
inline constexpr int MaxNameBytes = 128;
inline constexpr int MaxVersionBytes = 32;
inline constexpr int MaxPlayers = facts::PlayerSlots;
inline constexpr int MaxSpies = facts::SpySlots;

struct RoomFacts
{
    QString hostName; // the hosting player (slot 1); empty while nobody holds it
    QString rating;   // "a" adult, "e" family, empty: not rated
    int players = 0;  // 0 to 12
    int spies = 0;    // 0 to 3
    bool gameRunning = false;
    quint16 port = DefaultPort; // the game's TCP port
    QString version;            // the game version the host expects
    bool operator==(const RoomFacts &o) const
    {
        return hostName == o.hostName && rating == o.rating && players == o.players &&
               spies == o.spies && gameRunning == o.gameRunning && port == o.port &&
               version == o.version;
    }
};

QByteArray encodeQuery();
// True for a query of any protocol version; everything else is ignored.
bool isQuery(const QByteArray &datagram);

// Texts are cut at a character boundary and control characters become
// blanks, so one answer always fits one small datagram.
QByteArray encodeAnswer(const RoomFacts &facts);
// Nothing for an oversized, malformed or out-of-range answer.
std::optional<RoomFacts> decodeAnswer(const QByteArray &datagram);

// "a" and "e" are ratings; any other text is "not rated".
QString normalRating(const QString &rating);

} // namespace discovery
