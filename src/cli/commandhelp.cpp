#include "cli/commandhelp.h"

#include "cli/commandparser.h"

#include <QStringList>

#include <algorithm>

namespace tirvela::cli {

namespace {

constexpr qsizetype kLineWidth = 79;
constexpr qsizetype kTermIndent = 2;
constexpr qsizetype kWidestTerm = 24; // a longer term gets its description on the next line

// The words of `text` in lines of at most kLineWidth characters, each line starting with `indent` spaces.
QString wrapped(const QString &text, qsizetype indent)
{
    const QString margin(indent, u' ');
    QString result;
    QString line;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && margin.size() + line.size() + 1 + word.size() > kLineWidth) {
            result += margin + line + u'\n';
            line.clear();
        }
        line += line.isEmpty() ? word : u' ' + word;
    }
    if (!line.isEmpty())
        result += margin + line + u'\n';
    return result;
}

// Paragraphs of a description ("\n" between them) wrapped one by one, a blank line between them.
QString paragraphs(const QString &text)
{
    QStringList result;
    for (const QString &paragraph : text.split(u'\n'))
        result += wrapped(paragraph, 0);
    return result.join(u'\n');
}

// "  TERM      description", the description wrapped in its own column.
QString termList(const QList<std::pair<QString, QString>> &terms)
{
    qsizetype column = 0;
    for (const auto &[term, description] : terms) {
        if (term.size() <= kWidestTerm)
            column = std::max(column, term.size());
    }
    const qsizetype indent = kTermIndent + column + 2;
    QString result;
    for (const auto &[term, description] : terms) {
        const QString head = QString(kTermIndent, u' ') + term;
        const QString body = wrapped(description, indent);
        if (term.size() > kWidestTerm)
            result += head + u'\n' + body;
        else
            result += head + body.mid(head.size());
    }
    return result;
}

QString dashed(const QString &name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

} // namespace

QString toolDescription()
{
    return QStringLiteral("Командная строка редактора маршрутов: те же файлы проектов, двоичные файлы (для "
                          "прошивки), звуковые файлы и устройства, что и в редакторе.");
}

QString exitCodesText()
{
    return QStringLiteral("Коды завершения: 0 — успех, 1 — ошибка (сообщение говорит, какая), 2 — ошибка в "
                          "командной строке.");
}

QString optionSpelling(const CommandOption &option)
{
    QStringList names;
    for (const QString &name : option.names)
        names += dashed(name);
    const QString spelled = names.join(QStringLiteral(", "));
    return option.valueName.isEmpty() ? spelled : spelled + u' ' + option.valueName;
}

QString argumentSpelling(const CommandArgument &argument)
{
    return argument.count == CommandArgument::Count::OneOrMore ? argument.name + QStringLiteral("...") : argument.name;
}

QString usageLine(const Command &command)
{
    QStringList parts{command.name};
    for (const CommandArgument &argument : command.arguments)
        parts += argumentSpelling(argument);
    for (const CommandOption &option : command.options) {
        const QString first = dashed(option.names.constFirst());
        parts += u'[' + (option.valueName.isEmpty() ? first : first + u' ' + option.valueName) + u']';
    }
    parts += QStringLiteral("[--program-dir DIR]");
    return parts.join(u' ');
}

QString commandHelp(const Command &command)
{
    QString help = QStringLiteral("usage: tirvela-cli ") + usageLine(command) + QStringLiteral("\n\n")
                   + paragraphs(command.description);
    if (!command.arguments.isEmpty()) {
        QList<std::pair<QString, QString>> terms;
        for (const CommandArgument &argument : command.arguments)
            terms.append({argumentSpelling(argument), argument.description});
        help += QStringLiteral("\nАргументы:\n") + termList(terms);
    }
    QList<std::pair<QString, QString>> terms;
    for (const CommandOption &option : command.options + commonOptions(command))
        terms.append({optionSpelling(option), option.description});
    return help + QStringLiteral("\nПараметры:\n") + termList(terms);
}

QString toolHelp(const QList<Command> &commands)
{
    QList<std::pair<QString, QString>> terms;
    for (const Command &command : commands)
        terms.append({command.name, command.summary});
    return QStringLiteral("usage: tirvela-cli COMMAND [ARGS] [--program-dir DIR]\n"
                          "       tirvela-cli help [COMMAND]\n"
                          "       tirvela-cli --help | --version\n\n")
           + wrapped(toolDescription(), 0) + QStringLiteral("\nКоманды:\n") + termList(terms) + u'\n'
           + wrapped(QStringLiteral("«tirvela-cli help COMMAND» или «tirvela-cli COMMAND --help» описывает "
                                    "команду и её параметры. ")
                         + exitCodesText(),
                     0);
}

QString toolUsage(const QList<Command> &commands)
{
    QString usage = QStringLiteral("usage: tirvela-cli COMMAND [ARGS] [--program-dir DIR]\n");
    for (const Command &command : commands)
        usage += QStringLiteral("  tirvela-cli ") + usageLine(command) + u'\n';
    return usage + QStringLiteral("«tirvela-cli help COMMAND» описывает команду.\n");
}

} // namespace tirvela::cli
