#pragma once

#include "cli/command.h"

#include <QCommandLineParser>

#include <memory>

namespace tirvela::cli {

// The options every command takes besides its own: --program-dir DIR and -h, --help.
QList<CommandOption> commonOptions(const Command &command);

// Reads the arguments of one command: its options, the common ones and its positional arguments.
class CommandParser
{
public:
    explicit CommandParser(const Command &command);

    // The arguments after the command name. False when an option is unknown or lacks its value
    // (errorText() names it) or the positional arguments do not fit the command (errorText() empty).
    bool parse(const QStringList &arguments);
    QString errorText() const { return mError; }

    bool helpRequested() const;
    // What the command runs with; valid while the parser lives.
    CommandCall call() const;

private:
    bool argumentsFit() const;

    const Command &mCommand;
    QCommandLineParser mParser;
    QString mError;
};

} // namespace tirvela::cli
