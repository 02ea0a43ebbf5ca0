#pragma once

#include "cli/command.h"

#include <QList>
#include <QStringList>

namespace tirvela::cli {

// tirvela-cli runs the commands whose speed counts (the flash build, the GTFS import) itself,
// linked with QtCore alone. The others are in a module it loads when one of them is asked for,
// linked with the sound, device and PNG libraries they need: loading those took more time than
// anything else at the start of a build. The module has every command, for the help and the
// manual page.

// Every command of tirvela-cli in the order the help lists them.
QList<Command> allCommands();

// The module's entry: runs a command line as runCommandLine does, with every command.
inline constexpr char CommandModuleEntry[] = "tirvelaRunCommandLine";
using CommandModuleRun = int (*)(const QStringList &arguments);

// Loads the module and runs the command line there.
int runInCommandModule(const QStringList &arguments);

} // namespace tirvela::cli
