#include "cli/projectcommands.h"

#include "cli/clilog.h"
#include "cli/commands.h"
#include "cli/projectinput.h"
#include "project/project.h"
#include "common/outputfile.h"
#include "project/projectbuilder.h"
#include "project/projectdump.h"
#include "project/rebuildrule.h"
#include "sound/soundlibrary.h"
#include "sound/wavecheck.h"

#include <QFileInfo>
#include <QJsonDocument>

#include <memory>

namespace tirvela::cli {

namespace {

// False, with the reason on standard error, when the output must not be written.
bool outputAllowed(const QString &output, const QString &input)
{
    const QString problem = outputFileProblem(output, {input});
    if (problem.isEmpty())
        return true;
    err() << problem << '\n';
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

int reportBuild(const BuildResult &result)
{
    if (!result.fileError.isEmpty())
        err() << result.fileError << '\n';
    return result.ok ? Success : Failure;
}

} // namespace

int runBuild(const QStringList &arguments, const QString &programFolder)
{
    constexpr const char *kUsage = "build PROJECT.stm [-o OUT.bin]";
    QStringList rest = arguments;
    std::optional<QString> givenOutput;
    if (!takeOptionValue(rest, QStringLiteral("-o"), givenOutput) || givenOutput == u"" || rest.size() != 1
        || rest[0].startsWith(u'-'))
        return usageError(kUsage);
    QString output = givenOutput.value_or(QString());
    if (output.isEmpty())
        output = flashImageNameOf(rest[0]);
    if (!outputAllowed(output, rest[0]))
        return Failure;

    const std::unique_ptr<Project> project = readProject(rest[0]);
    if (!project) {
        // As after a failed build: no older image is left to pass for this project's.
        const BuildResult emptied = emptyFlashImage(output);
        if (!emptied.fileError.isEmpty())
            err() << emptied.fileError << '\n';
        return Failure;
    }
    CliLog log;
    SoundTable sounds;
    listSounds(sounds, programFolder, log);
    const BuildResult result = buildProjectFile(*project, sounds, output, log, BuildMode::FlashImage);
    log.logMessage(result.ok ? QStringLiteral("Сохранение двоичного файла успешно завершено")
                             : QStringLiteral("Двоичный файл не сохранен!!!"));
    return reportBuild(result);
}

int runSave(const QStringList &arguments)
{
    if (arguments.size() != 2 || arguments[0].startsWith(u'-') || arguments[1].startsWith(u'-')
        || arguments[1].isEmpty())
        return usageError("save IN OUT.stm");
    if (!outputAllowed(arguments[1], arguments[0]))
        return Failure;
    const std::unique_ptr<Project> project = readProject(arguments[0]);
    if (!project)
        return Failure;
    CliLog log;
    return reportBuild(buildProjectFile(*project, SoundTable{}, arguments[1], log, BuildMode::ProjectFile));
}

int runDump(const QStringList &arguments)
{
    if (arguments.size() != 1 || arguments[0].startsWith(u'-'))
        return usageError("dump FILE");
    const std::unique_ptr<Project> project = readProject(arguments[0]);
    if (!project)
        return Failure;
    out() << QString::fromUtf8(QJsonDocument(projectToJson(*project)).toJson(QJsonDocument::Indented));
    return Success;
}

int runSounds(const QStringList &arguments, const QString &programFolder)
{
    if (!arguments.isEmpty())
        return usageError("sounds");

    CliLog log;
    SoundTable sounds;
    if (!listSounds(sounds, programFolder, log))
        return Failure;
    bool allFit = true;
    for (int i = 0; i < sounds.count(); ++i) {
        const SoundEntry &entry = sounds.at(i);
        const WaveCheckResult check = checkWaveFile(entry.path());
        allFit = allFit && check.ok;
        out() << escapedField(entry.fileName);
        if (!check.ok)
            out() << '\t' << escapedField(check.message);
        if (!check.reason.isEmpty())
            out() << '\t' << escapedField(check.reason);
        out() << '\n';
    }
    return allFit ? Success : Failure;
}

} // namespace tirvela::cli
