#include "cli/commandmodule.h"
#include "cli/commands.h"
#include "cli/gtfscommand.h"
#include "cli/projectcommands.h"
#include "common/toolkittranslations.h"

#include <QCoreApplication>

using namespace tirvela;

namespace {

// The commands the executable runs itself; the module has the others (see commandmodule.h).
QList<cli::Command> ownCommands()
{
    return {cli::buildCommand(), cli::saveCommand(), cli::dumpCommand(), cli::soundsCommand(), cli::gtfsCommand(),
            cli::versionCommand()};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    installToolkitTranslations(app);
    const QStringList arguments = app.arguments();
    const QList<cli::Command> own = ownCommands();
    if (arguments.size() > 1 && (arguments[1] == u"--version" || cli::findCommand(own, arguments[1])))
        return cli::runCommandLine(arguments, own);
    return cli::runInCommandModule(arguments);
}
