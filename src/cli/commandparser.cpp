#include "cli/commandparser.h"

#include "settings/programfolder.h"

#include <QCoreApplication>
#include <QDir>

namespace tirvela::cli {

namespace {

const QString kProgramDir = QStringLiteral("program-dir");
const QString kHelp = QStringLiteral("help");

QString withTrailingSlash(const QString &folder)
{
    const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
    return clean.endsWith(u'/') ? clean : clean + u'/';
}

} // namespace

QList<CommandOption> commonOptions(const Command &command)
{
    QString folder = QStringLiteral("папка программы, где лежат sounds/ и editor.ini; без этого параметра — "
                                    "папка исполняемого файла");
    if (!command.usesProgramFolder)
        folder = QStringLiteral("папка программы; этой команде она не нужна, параметр принимается, чтобы "
                                "сценарии могли передавать его всем командам");
    return {{{kProgramDir}, QStringLiteral("DIR"), folder},
            {{QStringLiteral("h"), kHelp}, QString(), QStringLiteral("показать эту справку")}};
}

CommandParser::CommandParser(const Command &command) : mCommand(command)
{
    for (const CommandOption &option : command.options + commonOptions(command))
        mParser.addOption(QCommandLineOption(option.names, option.description, option.valueName));
}

bool CommandParser::parse(const QStringList &arguments)
{
    // The parser takes the first argument for the program's name.
    if (!mParser.parse(QStringList{mCommand.name} + arguments)) {
        mError = mParser.errorText();
        return false;
    }
    mError.clear();
    return helpRequested() || argumentsFit();
}

bool CommandParser::helpRequested() const
{
    return mParser.isSet(kHelp);
}

CommandCall CommandParser::call() const
{
    const QString folder = mParser.isSet(kProgramDir)
                               ? withTrailingSlash(mParser.value(kProgramDir))
                               : programFolderFor(QCoreApplication::applicationFilePath());
    return CommandCall(mParser, folder);
}

bool CommandParser::argumentsFit() const
{
    const qsizetype given = mParser.positionalArguments().size();
    const qsizetype needed = mCommand.arguments.size();
    const bool openEnded =
        !mCommand.arguments.isEmpty() && mCommand.arguments.constLast().count == CommandArgument::Count::OneOrMore;
    return openEnded ? given >= needed : given == needed;
}

} // namespace tirvela::cli
