// Whether a room this program hosts also serves browsers, and on which port:
// the player's two choices, kept in the settings file's section of our own.
#pragma once

#include <QString>
#include <QtGlobal>

namespace webchoice {

inline constexpr char Section[] = "QuibbletonWeb";
inline constexpr char KeyServe[] = "ServeBrowsers";
inline constexpr char KeyPort[] = "WebPort";
// The stored port when none was chosen: the room's game port + 1.
inline constexpr int NextToGamePort = -1;

struct Choice
{
    bool serve = true;
    int port = NextToGamePort; // 0 picks a free port
};

Choice read(const QString &file);
bool write(const QString &file, const Choice &choice);
// The port to listen on for a room on `gamePort`.
quint16 portFor(const Choice &choice, quint16 gamePort);

} // namespace webchoice
