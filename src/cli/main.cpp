#include "cli/commands.h"
#include "common/toolkittranslations.h"

#include <QCoreApplication>

using namespace tirvela;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    installToolkitTranslations(app);
    return cli::runCommandLine(app.arguments());
}
