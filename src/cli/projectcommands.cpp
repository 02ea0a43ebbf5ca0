#include "cli/projectcommands.h"

#include "cli/clilog.h"
#include "cli/projectinput.h"
#include "common/outputfile.h"
#include "project/projectbuilder.h"
#include "project/projectdump.h"
#include "project/project.h"
#include "project/rebuildrule.h"
#include "sound/soundlibrary.h"
#include "sound/wavecheck.h"

#include <QFileInfo>
#include <QJsonDocument>

#include <future>
#include <memory>

namespace tirvela::cli {

namespace {

// False, with the reason on standard error, when the output must not be written.
bool outputAllowed(const QString &output, const QString &input)
{
    const Status allowed = checkOutputFile(output, {input});
    if (allowed.ok())
        return true;
    err() << allowed.message << '\n';
    return false;
}

// A field of the tab-separated output of `sounds`: a TAB, a line break or a backslash in it is
// written as \t, \n, \r or \\, so that every file keeps one line of two or three fields.
QString escapedField(const QString &text)
{
    QString escaped;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\t': escaped += QStringLiteral("\\t"); break;
        case u'\n': escaped += QStringLiteral("\\n"); break;
        case u'\r': escaped += QStringLiteral("\\r"); break;
        case u'\\': escaped += QStringLiteral("\\\\"); break;
        default: escaped += c;
        }
    }
    return escaped;
}

int reportBuild(const Status &result)
{
    if (!result.message.isEmpty())
        err() << result.message << '\n';
    return result.ok() ? Success : Failure;
}

int runBuild(const CommandCall &call)
{
    const QString project = call.arguments().constFirst();
    const std::optional<QString> givenOutput = call.value(QStringLiteral("o"));
    if (givenOutput == u"")
        return UsageError;
    const QString output = givenOutput.value_or(flashImageNameOf(project));
    if (!outputAllowed(output, project))
        return Failure;
    // The sounds folder is listed while the project is read, neither needing the other; what the
    // listing has to say comes after the project is read, as if it had been listed then.
    struct Listing
    {
        SoundTable sounds;
        HeldLog log;
    };
    // Either policy: when no thread can be started the listing runs here, at get().
    std::future<Listing> listing = std::async(std::launch::async | std::launch::deferred, [folder = call.programFolder()] {
        Listing listed;
        listSounds(listed.sounds, folder, listed.log);
        return listed;
    });
    const std::unique_ptr<Project> read = readProject(project);
    const Listing listed = listing.get();
    if (!read) {
        // As after a failed build: no older image is left to pass for this project's.
        reportBuild(emptyFlashImage(output));
        return Failure;
    }
    CliLog log;
    listed.log.tellInto(log);
    const Status result = buildProjectFile(*read, listed.sounds, output, log, BuildMode::FlashImage);
    log.logMessage(result.ok() ? QStringLiteral("Сохранение двоичного файла успешно завершено")
                             : QStringLiteral("Двоичный файл не сохранен!!!"));
    return reportBuild(result);
}

int runSave(const CommandCall &call)
{
    const QStringList arguments = call.arguments();
    if (arguments[1].isEmpty())
        return UsageError;
    if (!outputAllowed(arguments[1], arguments[0]))
        return Failure;
    const std::unique_ptr<Project> project = readProject(arguments[0]);
    if (!project)
        return Failure;
    CliLog log;
    return reportBuild(buildProjectFile(*project, SoundTable{}, arguments[1], log, BuildMode::ProjectFile));
}

int runDump(const CommandCall &call)
{
    const std::unique_ptr<Project> project = readProject(call.arguments().constFirst());
    if (!project)
        return Failure;
    out() << QString::fromUtf8(QJsonDocument(projectToJson(*project)).toJson(QJsonDocument::Indented));
    return Success;
}

int runSounds(const CommandCall &call)
{
    CliLog log;
    SoundTable sounds;
    if (!listSounds(sounds, call.programFolder(), log))
        return Failure;
    bool allFit = true;
    for (int i = 0; i < sounds.count(); ++i) {
        const SoundEntry &entry = sounds.at(i);
        const Status check = checkWaveFile(entry.path()).status();
        allFit = allFit && check.ok();
        out() << escapedField(entry.fileName);
        if (!check.ok())
            out() << '\t' << escapedField(check.message);
        if (!check.reason.isEmpty())
            out() << '\t' << escapedField(check.reason);
        out() << '\n';
    }
    return allFit ? Success : Failure;
}

} // namespace

Command buildCommand()
{
    return {
        .name = QStringLiteral("build"),
        .summary = QStringLiteral("собрать двоичный файл (для прошивки) из проекта"),
        .description = QStringLiteral(
            "Собирает двоичный файл для прошивки автоинформатора из проекта и звуковых файлов папки sounds/ "
            "папки программы. Журнал сообщений идёт на стандартный вывод и кончается строкой «Сохранение "
            "двоичного файла успешно завершено» или «Двоичный файл не сохранен!!!».\n"
            "Код 1, если сборка не удалась или проект не прочитан (тогда остаётся пустой двоичный файл, чтобы "
            "старый не выдал себя за этот), а также если выходной файл — сам проект или не обычный файл "
            "(тогда ничего не пишется)."),
        .arguments = {{QStringLiteral("PROJECT.stm"), QStringLiteral("файл проекта (или двоичный файл)")}},
        .options = {{{QStringLiteral("o")}, QStringLiteral("OUT.bin"),
                     QStringLiteral("куда записать двоичный файл; без параметра — рядом с проектом, под тем же "
                                    "именем с расширением .bin")}},
        .usesProgramFolder = true,
        .run = runBuild,
    };
}

Command saveCommand()
{
    return {
        .name = QStringLiteral("save"),
        .summary = QStringLiteral("сохранить проект или двоичный файл как файл проекта"),
        .description = QStringLiteral(
            "Читает файл проекта или двоичный файл и сохраняет его как файл проекта (.stm). Прежний файл "
            "заменяется только целиком: при ошибке записи он остаётся как был. Код 1, если файл не прочитан "
            "или не записан."),
        .arguments = {{QStringLiteral("IN"), QStringLiteral("файл проекта (.stm) или двоичный файл (.bin)")},
                      {QStringLiteral("OUT.stm"), QStringLiteral("файл проекта, который будет записан")}},
        .run = runSave,
    };
}

Command dumpCommand()
{
    return {
        .name = QStringLiteral("dump"),
        .summary = QStringLiteral("напечатать проект в виде JSON"),
        .description = QStringLiteral(
            "Печатает всё, что хранит проект, в виде JSON на стандартный вывод — для сценариев и сравнения "
            "версий; замечания при чтении идут на стандартный вывод ошибок. Код 1, если файл не прочитан."),
        .arguments = {{QStringLiteral("FILE"), QStringLiteral("файл проекта или двоичный файл")}},
        .run = runDump,
    };
}

Command soundsCommand()
{
    return {
        .name = QStringLiteral("sounds"),
        .summary = QStringLiteral("проверить звуковые файлы папки sounds/"),
        .description = QStringLiteral(
            "Печатает по строке на каждый звуковой файл папки sounds/ папки программы: имя, затем через TAB "
            "ошибку его проверки и причину от системы, если файл не открылся. TAB, перевод строки и обратная "
            "косая черта внутри поля пишутся как \\t, \\n, \\r и \\\\. Папка не создаётся.\n"
            "Код 1, если хотя бы один файл не прошёл проверку или папки нет."),
        .usesProgramFolder = true,
        .run = runSounds,
    };
}

} // namespace tirvela::cli
