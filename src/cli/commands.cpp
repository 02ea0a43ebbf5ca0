#include "cli/commands.h"

#include "cli/cliio.h"
#include "cli/commandhelp.h"
#include "cli/commandparser.h"
#include "common/outofmemory.h"

#include <algorithm>

namespace tirvela::cli {

namespace {

int printVersion()
{
    out() << "tirvela-cli " TIRVELA_VERSION "\n";
    return Success;
}

int usageError(const QString &problem, const QString &usage)
{
    if (!problem.isEmpty())
        err() << problem << '\n';
    err() << usage;
    return UsageError;
}

int commandUsageError(const QString &problem, const Command &command)
{
    return usageError(problem, QStringLiteral("usage: tirvela-cli ") + usageLine(command) + u'\n');
}

int unknownCommand(const QString &name, const QList<Command> &commands)
{
    return usageError(QStringLiteral("Неизвестная команда: ") + name, toolUsage(commands));
}

// `help` alone describes the tool, `help COMMAND` the command.
int printHelp(const QStringList &arguments, const QList<Command> &commands)
{
    if (arguments.isEmpty()) {
        out() << toolHelp(commands);
        return Success;
    }
    const Command *command = arguments.size() == 1 ? findCommand(commands, arguments[0]) : nullptr;
    if (!command)
        return unknownCommand(arguments.join(u' '), commands);
    out() << commandHelp(*command);
    return Success;
}

int runCommand(const Command &command, const QStringList &arguments)
{
    CommandParser parser(command);
    if (!parser.parse(arguments))
        return commandUsageError(parser.errorText(), command);
    if (parser.helpRequested()) {
        out() << commandHelp(command);
        return Success;
    }
    const std::optional<int> exitCode = runUnlessOutOfMemory([&] { return command.run(parser.call()); });
    if (!exitCode) {
        out().flush();
        err() << outOfMemoryMessage() << Qt::endl;
        return Failure;
    }
    return *exitCode == UsageError ? commandUsageError(QString(), command) : *exitCode;
}

} // namespace

Command versionCommand()
{
    return {
        .name = QStringLiteral("version"),
        .summary = QStringLiteral("версия программы"),
        .description = QStringLiteral("Печатает версию программы, как «tirvela-cli --version»."),
        .run = [](const CommandCall &) { return printVersion(); },
    };
}

const Command *findCommand(const QList<Command> &commands, const QString &name)
{
    const auto found = std::find_if(commands.cbegin(), commands.cend(), [&](const Command &c) { return c.name == name; });
    return found == commands.cend() ? nullptr : &*found;
}

int runCommandLine(const QStringList &arguments, const QList<Command> &commands)
{
    if (arguments.size() < 2)
        return usageError(QString(), toolUsage(commands));
    const QString &first = arguments[1];
    const QStringList rest = arguments.mid(2);
    if (first == u"help" || first == u"--help" || first == u"-h")
        return printHelp(rest, commands);
    if (first == u"--version")
        return rest.isEmpty() ? printVersion() : usageError(QString(), toolUsage(commands));
    if (const Command *command = findCommand(commands, first))
        return runCommand(*command, rest);
    return unknownCommand(first, commands);
}

} // namespace tirvela::cli
