#pragma once

#include "cli/command.h"

namespace tirvela::cli {

// program FILE.bin: writes a flash image into the Announcer.
Command programCommand();
// blinker-route TEXT: shows a route number on the route-number board.
Command blinkerRouteCommand();
// blinker-program PROJECT.stm: programs the route-number board with a project's board content.
Command blinkerProgramCommand();

} // namespace tirvela::cli
