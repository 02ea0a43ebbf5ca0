#pragma once

#include <QStringList>

namespace tirvela::cli {

// Exit codes of the command-line tool.
enum ExitCode { Success = 0, Failure = 1, UsageError = 2 };

// Runs the command named by arguments[1]; arguments[0] is the program.
int runCommandLine(const QStringList &arguments);

} // namespace tirvela::cli
