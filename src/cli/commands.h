#pragma once

#include "cli/command.h"

#include <QList>
#include <QStringList>

namespace tirvela::cli {

// Runs the command of `commands` named by arguments[1] (arguments[0] is the program), or prints
// the help (`--help`, `help [COMMAND]`, `COMMAND --help`) or the version (`--version`).
int runCommandLine(const QStringList &arguments, const QList<Command> &commands);

// The command of that name; nullptr when there is none.
const Command *findCommand(const QList<Command> &commands, const QString &name);

Command versionCommand();

} // namespace tirvela::cli
