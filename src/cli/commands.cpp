#include "cli/commands.h"

#include "cli/cliio.h"
#include "cli/devicecommands.h"
#include "cli/fontsheetcommand.h"
#include "cli/projectcommands.h"
#include "cli/soundimportcommand.h"
#include "common/outofmemory.h"

#include <QTextStream>

namespace tirvela::cli {

namespace {

struct Command
{
    const char *name;
    const char *usage;
    int (*run)(const QStringList &arguments); // the arguments after the command name
};

const Command kCommands[] = {
    {"version", "version", [](const QStringList &arguments) {
         if (!arguments.isEmpty()) {
             err() << "usage: tirvela-cli version\n";
             return int(UsageError);
         }
         out() << "tirvela-cli 2.21\n";
         return int(Success);
     }},
    {"font-sheet", "font-sheet OUT.png", runFontSheet},
    {"program", "program FILE.bin [--port NAME] [--program-dir DIR]", runProgramAnnouncer},
    {"blinker-route", "blinker-route TEXT [--port NAME] [--program-dir DIR]", runBlinkerRoute},
    {"blinker-program", "blinker-program PROJECT.stm [--port NAME] [--program-dir DIR]", runBlinkerProgram},
    {"build", "build PROJECT.stm [-o OUT.bin] [--program-dir DIR]", runBuild},
    {"save", "save IN OUT.stm", runSave},
    {"dump", "dump FILE", runDump},
    {"sounds", "sounds [--program-dir DIR]", runSounds},
    {"sound-import", "sound-import FILE... [--name NAME] [--level DB | --keep-level] [--trim] [--force] [--program-dir DIR]",
     runSoundImport},
};

int usage()
{
    QTextStream &stream = err();
    stream << "usage: tirvela-cli COMMAND [ARGS]\n";
    for (const Command &command : kCommands)
        stream << "  tirvela-cli " << command.usage << '\n';
    return UsageError;
}

} // namespace

int runCommandLine(const QStringList &arguments)
{
    if (arguments.size() < 2)
        return usage();
    for (const Command &command : kCommands) {
        if (arguments[1] != QLatin1StringView(command.name))
            continue;
        if (const std::optional<int> exitCode = runUnlessOutOfMemory([&] { return command.run(arguments.mid(2)); }))
            return *exitCode;
        out().flush();
        err() << outOfMemoryMessage() << Qt::endl;
        return Failure;
    }
    return usage();
}

} // namespace tirvela::cli
