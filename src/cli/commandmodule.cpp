#include "cli/commandmodule.h"

#include "cli/cliio.h"
#include "cli/commands.h"
#include "cli/devicecommands.h"
#include "cli/fontsheetcommand.h"
#include "cli/gtfscommand.h"
#include "cli/manpagecommand.h"
#include "cli/projectcommands.h"
#include "cli/soundimportcommand.h"
#include "cli/speakcommand.h"

#include <type_traits>

namespace tirvela::cli {

QList<Command> allCommands()
{
    return {
        buildCommand(),
        saveCommand(),
        dumpCommand(),
        soundsCommand(),
        soundImportCommand(),
        speakCommand(),
        speakMissingCommand(),
        gtfsCommand(),
        programCommand(),
        blinkerRouteCommand(),
        blinkerProgramCommand(),
        fontSheetCommand(),
        versionCommand(),
        manPageCommand(),
    };
}

} // namespace tirvela::cli

extern "C" Q_DECL_EXPORT int tirvelaRunCommandLine(const QStringList &arguments)
{
    using namespace tirvela::cli;
    static_assert(std::is_same_v<decltype(&tirvelaRunCommandLine), CommandModuleRun>);
    const int exitCode = runCommandLine(arguments, allCommands());
    // The module has output streams of its own: what they hold goes out before the executable goes on.
    out().flush();
    err().flush();
    return exitCode;
}
