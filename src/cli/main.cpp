#include "cli/commands.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

using namespace tirvela;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // Qt's own texts (the option parser's complaints) in the language of the tool's other messages.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTexts);
    return cli::runCommandLine(app.arguments());
}
