#pragma once

#include "cli/command.h"

#include <QList>
#include <QStringList>

namespace tirvela::cli {

// Every command of tirvela-cli in the order the help lists them.
QList<Command> allCommands();

// Runs the command named by arguments[1] (arguments[0] is the program), or prints the help
// (`--help`, `help [COMMAND]`, `COMMAND --help`) or the version (`--version`).
int runCommandLine(const QStringList &arguments);

} // namespace tirvela::cli
