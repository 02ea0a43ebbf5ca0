#pragma once

#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tirvela::cli {

// Exit codes of the command-line tool.
enum ExitCode { Success = 0, Failure = 1, UsageError = 2 };

// An option of a command: `-o OUT.bin`, `--port NAME`, or a switch such as `--trim`.
struct CommandOption
{
    QStringList names;   // {"o"} is written -o, {"port"} --port; a second name is another spelling
    QString valueName;   // "OUT.bin"; empty for a switch
    QString description; // for the help and the manual page
};

// A positional argument of a command.
struct CommandArgument
{
    enum class Count { One, OneOrMore };

    QString name;        // "PROJECT.stm"
    QString description;
    Count count = Count::One;
};

// What a command is run with: its positional arguments (their count already checked), its options
// and the program folder (where sounds/ and editor.ini live, ending in '/').
class CommandCall
{
public:
    CommandCall(const QCommandLineParser &parser, const QString &programFolder)
        : mParser(parser), mProgramFolder(programFolder)
    {
    }

    QStringList arguments() const { return mParser.positionalArguments(); }
    QString programFolder() const { return mProgramFolder; }
    bool isSet(const QString &option) const { return mParser.isSet(option); }
    // The value of the option's last occurrence, nothing when it is not given.
    std::optional<QString> value(const QString &option) const
    {
        return mParser.isSet(option) ? std::optional(mParser.value(option)) : std::nullopt;
    }
    // The values of every occurrence of an option that may be given more than once.
    QStringList values(const QString &option) const { return mParser.values(option); }

private:
    const QCommandLineParser &mParser;
    const QString mProgramFolder;
};

// One command of tirvela-cli as the help, the manual page and the parser see it. A command that
// gives UsageError gets its usage line printed after whatever it wrote itself.
struct Command
{
    QString name{};
    QString summary{};     // one line for the list of commands
    QString description{}; // what it does, its output and its exit codes
    QList<CommandArgument> arguments{};
    QList<CommandOption> options{};
    bool usesProgramFolder = false;
    int (*run)(const CommandCall &call) = nullptr;
};

} // namespace tirvela::cli
