// Command line of the headless computer players:
//   quibbleton-bot --host ADDRESS [--port N] [--count K] [--seed S]
//                  [--name-prefix P] [--level easy|normal|hard] [--quiet]
//                  [--help] [--version]
#pragma once

#include <QStringList>

#include "bots/botroom.h"
#include "net/commandline.h"

struct BotOptions
{
    BotRoomConfig room;
    int count = 1;
    bool seedGiven = false;
};

using BotOptionsResult = CommandLine::Result;

// Reads the arguments (the program name first). On Error, `error` holds a
// one-line reason.
BotOptionsResult parseBotOptions(const QStringList &arguments, BotOptions &options, QString &error);

QString botUsage();
