#include "cli/commands.h"

#include "cli/cliio.h"
#include "cli/devicecommands.h"
#include "cli/fontsheetcommand.h"
#include "cli/programfolder.h"
#include "cli/projectcommands.h"
#include "cli/soundimportcommand.h"
#include "cli/speakcommand.h"
#include "common/outofmemory.h"

#include <QTextStream>

namespace tirvela::cli {

namespace {

struct Command
{
    const char *name;
    const char *usage;
    // The arguments after the command name, without "--program-dir DIR", and the program folder.
    int (*run)(const QStringList &arguments, const QString &programFolder);
};

// A command that has no use for the program folder.
template<int (*Run)(const QStringList &)>
int withoutProgramFolder(const QStringList &arguments, const QString &)
{
    return Run(arguments);
}

int printVersion(const QStringList &arguments)
{
    if (!arguments.isEmpty())
        return usageError("version");
    out() << "tirvela-cli " TIRVELA_VERSION "\n";
    return Success;
}

const Command kCommands[] = {
    {"version", "version", withoutProgramFolder<printVersion>},
    {"font-sheet", "font-sheet OUT.png", withoutProgramFolder<runFontSheet>},
    {"program", "program FILE.bin [--port NAME]", runProgramAnnouncer},
    {"blinker-route", "blinker-route TEXT [--port NAME]", runBlinkerRoute},
    {"blinker-program", "blinker-program PROJECT.stm [--port NAME]", runBlinkerProgram},
    {"build", "build PROJECT.stm [-o OUT.bin]", runBuild},
    {"save", "save IN OUT.stm", withoutProgramFolder<runSave>},
    {"dump", "dump FILE", withoutProgramFolder<runDump>},
    {"sounds", "sounds", runSounds},
    {"sound-import", "sound-import FILE... [--name NAME] [--level DB | --keep-level] [--trim] [--force]", runSoundImport},
    {"speak", "speak TEXT [--name NAME.wav] [--force]", runSpeak},
    {"speak-missing", "speak-missing PROJECT.stm", runSpeakMissing},
};

int usage()
{
    QTextStream &stream = err();
    stream << "usage: tirvela-cli COMMAND [ARGS] [--program-dir DIR]\n";
    for (const Command &command : kCommands)
        stream << "  tirvela-cli " << command.usage << '\n';
    return UsageError;
}

} // namespace

int usageError(const char *usage)
{
    err() << "usage: tirvela-cli " << usage << " [--program-dir DIR]\n";
    return UsageError;
}

bool takeOptionValue(QStringList &arguments, const QString &option, std::optional<QString> &value)
{
    const qsizetype at = arguments.indexOf(option);
    if (at < 0)
        return true;
    if (at + 1 >= arguments.size())
        return false;
    value = arguments[at + 1];
    arguments.remove(at, 2);
    return true;
}

int runCommandLine(const QStringList &arguments)
{
    if (arguments.size() < 2)
        return usage();
    for (const Command &command : kCommands) {
        if (arguments[1] != QLatin1StringView(command.name))
            continue;
        QStringList rest = arguments.mid(2);
        const ProgramFolderOption folder = takeProgramFolder(rest);
        if (!folder.ok) {
            err() << folder.error << '\n';
            return usageError(command.usage);
        }
        if (const std::optional<int> exitCode = runUnlessOutOfMemory([&] { return command.run(rest, folder.folder); }))
            return *exitCode;
        out().flush();
        err() << outOfMemoryMessage() << Qt::endl;
        return Failure;
    }
    return usage();
}

} // namespace tirvela::cli
