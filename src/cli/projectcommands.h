#pragma once

#include "cli/command.h"

namespace tirvela::cli {

// The project file commands: build, save, dump, sounds.
Command buildCommand();
Command saveCommand();
Command dumpCommand();
Command soundsCommand();

} // namespace tirvela::cli
