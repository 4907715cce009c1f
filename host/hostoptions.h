// Command line of the dedicated host:
//   quibbleton-host [--port N] [--tick-ms MS] [--seed S] [--rating R] [--no-discovery]
//                   [--paced-pump] [--bots K] [--web-port N] [--no-web] [--qr] [--help]
//                   [--rejoin-seconds N] [--map-port] [--map-lease S] [--version]
#pragma once

#include <QString>
#include <QStringList>

#include "net/commandline.h"
#include "net/gamefacts.h"

struct HostOptions
{
    quint16 port = facts::DefaultPort;
    int tickMs = facts::DefaultTickMs;
    bool seedGiven = false;
    quint32 seed = 0;
    // Discovery answers on UDP at the game's port; off for rooms that should
    // not be found.
    bool discovery = true;
    QString rating;         // "a", "e" or empty: what the room list shows
    bool pacedPump = false; // the fixed-period pump of old, a benchmark baseline
    int bots = 0;           // computer players the executable puts into its room
    bool quiet = false;     // they say nothing in the chat
    // How long a dropped player's place is kept for its return (0: not kept).
    int rejoinSeconds = facts::DefaultRejoinSeconds;
    // Browsers: HTTP and WebSocket on one port, by default the game port + 1
    // (webPort -1); 0 picks a free one. --qr draws the first link's QR code.
    bool web = true;
    int webPort = -1;
    bool qr = false;
    // Ask the home router to forward the game and web ports (off unless asked).
    bool mapPort = false;
    int mapLeaseSeconds = 3600;
};

using HostOptionsResult = CommandLine::Result;

// Reads the arguments (the program name first, as QCoreApplication gives
// them). On Error, `error` holds a one-line reason.
HostOptionsResult parseHostOptions(const QStringList &arguments, HostOptions &options,
                                   QString &error);

QString hostUsage();
// "quibbleton-host VERSION" and a newline: the game version clients report.
QString hostVersion();
