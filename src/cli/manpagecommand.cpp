#include "cli/manpagecommand.h"

#include "cli/cliio.h"
#include "cli/commandhelp.h"
#include "cli/commandparser.h"
#include "cli/commandmodule.h"

namespace tirvela::cli {

namespace {

// Text as roff prints it: a backslash is written \e, a hyphen \- (so that options can be searched
// and copied), and a line that would start with a request character is protected.
QString roff(const QString &text)
{
    QString escaped = text;
    escaped.replace(u'\\', QStringLiteral("\\e")).replace(u'-', QStringLiteral("\\-"));
    if (escaped.startsWith(u'.') || escaped.startsWith(u'\''))
        escaped.prepend(QStringLiteral("\\&"));
    return escaped;
}

QString paragraphs(const QString &text)
{
    QString result;
    for (const QString &paragraph : text.split(u'\n'))
        result += QStringLiteral(".PP\n") + roff(paragraph) + u'\n';
    return result;
}

QString term(const QString &name, const QString &description)
{
    return QStringLiteral(".TP\n.B ") + roff(name) + u'\n' + roff(description) + u'\n';
}

QString commandSection(const Command &command)
{
    QString section = QStringLiteral(".SS ") + roff(command.name) + QStringLiteral("\n.B tirvela\\-cli ")
                      + roff(usageLine(command)) + u'\n' + paragraphs(command.description);
    for (const CommandArgument &argument : command.arguments)
        section += term(argumentSpelling(argument), argument.description);
    for (const CommandOption &option : command.options)
        section += term(optionSpelling(option), option.description);
    return section;
}

QString manPage()
{
    QString page = QStringLiteral(".TH TIRVELA\\-CLI 1 \"\" \"tirvela\\-cli " TIRVELA_VERSION "\" \"Tirvela\"\n"
                                  ".SH ИМЯ\ntirvela\\-cli \\- командная строка редактора маршрутов\n"
                                  ".SH СИНТАКСИС\n"
                                  ".B tirvela\\-cli\n.I COMMAND\n[\\fIARGS\\fR] [\\fB\\-\\-program\\-dir\\fR \\fIDIR\\fR]\n"
                                  ".br\n.B tirvela\\-cli help\n[\\fICOMMAND\\fR]\n"
                                  ".br\n.B tirvela\\-cli\n\\-\\-help | \\-\\-version\n"
                                  ".SH ОПИСАНИЕ\n")
                   + paragraphs(toolDescription()) + QStringLiteral(".SH КОМАНДЫ\n");
    for (const Command &command : allCommands())
        page += commandSection(command);
    page += QStringLiteral(".SH ОБЩИЕ ПАРАМЕТРЫ\n");
    for (const CommandOption &option : commonOptions(Command{.usesProgramFolder = true}))
        page += term(optionSpelling(option), option.description);
    return page + QStringLiteral(".SH КОДЫ ЗАВЕРШЕНИЯ\n") + paragraphs(exitCodesText());
}

int printManPage(const CommandCall &)
{
    out() << manPage();
    return Success;
}

} // namespace

Command manPageCommand()
{
    return {
        .name = QStringLiteral("man-page"),
        .summary = QStringLiteral("напечатать страницу руководства (man)"),
        .description = QStringLiteral("Печатает страницу руководства tirvela-cli в формате roff из тех же "
                                      "описаний, что показывает справка; сборка устанавливает её как "
                                      "tirvela-cli.1."),
        .run = printManPage,
    };
}

} // namespace tirvela::cli
