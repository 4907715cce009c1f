// Driving the host's stage clock by hand, for tests that link the host.
#pragma once

#include "host/tserver.h"

namespace testsupport {

// Ticks the stage clock until the stage changes or the clock stops;
// returns the ticks it took.
inline int runStage(TServer &server)
{
    const auto stage = server.stage();
    int ticks = 0;
    while (server.stage() == stage && server.stageClockRunning() && ticks < 10000) {
        server.Timer1Timer();
        ++ticks;
    }
    return ticks;
}

} // namespace testsupport
