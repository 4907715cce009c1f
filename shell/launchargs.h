// The launch arguments the lobby starts the game with: the player's name, the
// host's address, "true" to host, and the room's rating. Without arguments the
// game is a solo game.
#pragma once

#include <QString>
#include <QStringList>

#include "net/gamefacts.h"

struct LaunchArgs
{
    enum Mode
    {
        Solo,       // no arguments: host on 127.0.0.1 as "You"
        Incomplete, // one or two arguments: no connection at all
        Host,       // third argument exactly "true"
        Join,       // third argument anything else
    };
    Mode mode = Solo;
    QString ownName;
    // The host part of the second argument, which may be "host", "host:port"
    // or "[v6]:port"; hostPort is 0 (the game's port) unless one was given.
    QString hostAddress;
    quint16 hostPort = 0;
    // The first character of the fourth argument; empty when there is none.
    QString roomRating;
};

// `arguments` excludes the program's own path. Arguments after the fourth are
// ignored; "true" is compared exactly, so "TRUE" joins.
LaunchArgs parseLaunchArgs(const QStringList &arguments);

// Splits "host", "host:port", "[v6]" or "[v6]:port" (a bare IPv6 address
// with several colons is all host). Without a port, `port` becomes
// `defaultPort`. False for an empty host or a port that is not 1 to 65535.
bool splitHostPort(const QString &text, quint16 defaultPort, QString &host, quint16 &port);

inline constexpr quint16 DefaultGamePort = facts::DefaultPort;

// An invite link, "quibbleton://HOST:PORT" (HOST a name, dotted IPv4 or
// [v6]; without a port, 7772; one trailing "/" allowed), as the desktop
// starts the program with it. False for anything else.
bool parseInviteLink(const QString &link, QString &host, quint16 &port);
// The link to a room at `host` (an IPv6 address gets its brackets).
QString inviteLink(const QString &host, quint16 port);
inline constexpr char InviteScheme[] = "quibbleton://";

// The launch arguments as the process got them (the program's path not
// counted), taken before the GUI toolkit sees the command line: a player name
// such as "-reverse" is a name, not an option of the toolkit's.
QStringList launchArguments(int argc, const char *const argv[]);

inline constexpr char SoloName[] = "You";
inline constexpr char LocalAddress[] = "127.0.0.1";
inline constexpr char HostFlag[] = "true";
