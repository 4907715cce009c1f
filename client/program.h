// The program: one instance per user session, the windows in their order,
// and the event loop until the main window closes.
#pragma once

#include "client/tchat.h"

// Makes the ten windows in their order, the main window first and the host
// ninth; the others belong to the main window and go with it.
Tchat *createWindows();

enum class LaunchOption
{
    None,
    Help,
    Version
};
// Exactly "--help" or "--version" as the first argument; anything else is a
// launch argument.
LaunchOption launchOption(int argc, char *argv[]);
// What the option prints: the usage or "quibbleton VERSION", each ending in a newline.
QByteArray launchOptionText(LaunchOption option);

// The program entry: returns the process's exit code.
int quibbletonMain(int argc, char *argv[]);
