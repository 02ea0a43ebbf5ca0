#pragma once

#include <QStringList>

#include <optional>

namespace tirvela::cli {

// Exit codes of the command-line tool.
enum ExitCode { Success = 0, Failure = 1, UsageError = 2 };

// Prints the usage line of one command ("build PROJECT.stm [-o OUT.bin]") and gives UsageError.
int usageError(const char *usage);

// Takes "OPTION VALUE" out of a command's arguments into `value`; false when the option is there
// without a value. An absent option leaves `value` as it was.
bool takeOptionValue(QStringList &arguments, const QString &option, std::optional<QString> &value);

// Runs the command named by arguments[1] (arguments[0] is the program). "--program-dir DIR" is
// taken out of the arguments of every command, so scripts can pass it everywhere.
int runCommandLine(const QStringList &arguments);

} // namespace tirvela::cli
