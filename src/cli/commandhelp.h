#pragma once

#include "cli/command.h"

#include <QList>
#include <QString>

namespace tirvela::cli {

// What the tool is for, in one sentence, and its exit codes.
QString toolDescription();
QString exitCodesText();

// Spellings of a command's parts as the help and the manual page write them.
QString optionSpelling(const CommandOption &option);    // "-h, --help", "--port NAME"
QString argumentSpelling(const CommandArgument &argument); // "PROJECT.stm", "FILE..."
// "build PROJECT.stm [-o OUT.bin] [--program-dir DIR]"
QString usageLine(const Command &command);

// What `tirvela-cli help build` prints: usage, description, arguments and options.
QString commandHelp(const Command &command);
// What `tirvela-cli --help` prints: the usage of the tool and every command with its summary.
QString toolHelp(const QList<Command> &commands);
// What a usage error without a command prints: the usage line of every command.
QString toolUsage(const QList<Command> &commands);

} // namespace tirvela::cli
