#include "cli/commands.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

using namespace tirvela;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    return cli::runCommandLine(app.arguments());
}
