#include "cli/projectcommands.h"

#include "cli/clilog.h"
#include "cli/commands.h"
#include "cli/programfolder.h"
#include "project/boardcontent.h"
#include "project/projectbuilder.h"
#include "project/projectdump.h"
#include "project/projectreader.h"
#include "project/soundlibrary.h"
#include "project/wavecheck.h"

#include <QFileInfo>
#include <QJsonDocument>

#include <memory>

namespace tirvela::cli {

namespace {

int usageError(const char *usage)
{
    err() << "usage: tirvela-cli " << usage << '\n';
    return UsageError;
}

// The project is large; it lives on the heap.
std::unique_ptr<Project> readProject(const QString &fileName)
{
    auto project = std::make_unique<Project>();
    newProject(*project);
    const ProjectReadResult read = readProjectFile(*project, fileName);
    if (!read.ok()) {
        err() << read.message << '\n';
        return nullptr;
    }
    // On standard error: dump writes its JSON to standard output.
    for (const QString &note : read.notes)
        err() << note << '\n';
    return project;
}

QString flashImageNameOf(const QString &projectFile)
{
    const QString suffix = QFileInfo(projectFile).suffix();
    return (suffix.isEmpty() ? projectFile : projectFile.chopped(suffix.size() + 1)) + QStringLiteral(".bin");
}

int reportBuild(const BuildResult &result)
{
    if (!result.fileError.isEmpty())
        err() << result.fileError << '\n';
    return result.ok ? Success : Failure;
}

} // namespace

int runBuild(const QStringList &arguments)
{
    constexpr const char *kUsage = "build PROJECT.stm [-o OUT.bin] [--program-dir DIR]";
    QStringList rest = arguments;
    const ProgramFolderOption programFolder = takeProgramFolder(rest);
    QString output;
    const qsizetype outputAt = rest.indexOf(QStringLiteral("-o"));
    if (outputAt >= 0) {
        if (outputAt + 1 >= rest.size())
            return usageError(kUsage);
        output = rest[outputAt + 1];
        rest.remove(outputAt, 2);
    }
    if (!programFolder.ok || rest.size() != 1 || rest[0].startsWith(u'-'))
        return usageError(kUsage);
    if (output.isEmpty())
        output = flashImageNameOf(rest[0]);

    const std::unique_ptr<Project> project = readProject(rest[0]);
    if (!project)
        return Failure;
    CliLog log;
    SoundTable sounds;
    const SoundListing listing = listSoundsFolder(sounds, programFolder.folder, log);
    if (listing.outcome != SoundListing::Outcome::Listed)
        log.logMessage(listing.message);
    const BuildResult result = buildProjectFile(*project, sounds, output, log, BuildMode::FlashImage);
    log.logMessage(result.ok ? QStringLiteral("Сохранение двоичного файла успешно завершено")
                             : QStringLiteral("Двоичный файл не сохранен!!!"));
    return reportBuild(result);
}

int runSave(const QStringList &arguments)
{
    if (arguments.size() != 2 || arguments[0].startsWith(u'-') || arguments[1].startsWith(u'-'))
        return usageError("save IN OUT.stm");
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

int runSounds(const QStringList &arguments)
{
    QStringList rest = arguments;
    const ProgramFolderOption programFolder = takeProgramFolder(rest);
    if (!programFolder.ok || !rest.isEmpty())
        return usageError("sounds [--program-dir DIR]");

    CliLog log;
    SoundTable sounds;
    const SoundListing listing = listSoundsFolder(sounds, programFolder.folder, log);
    if (listing.outcome != SoundListing::Outcome::Listed) {
        log.logMessage(listing.message);
        return Failure;
    }
    bool allFit = true;
    for (int i = 0; i < sounds.count(); ++i) {
        const SoundEntry &entry = sounds.at(i);
        const WaveCheckResult check = checkWaveFile(entry.path());
        allFit = allFit && check.ok;
        out() << entry.fileName;
        if (!check.ok)
            out() << '\t' << check.message;
        out() << '\n';
    }
    return allFit ? Success : Failure;
}

} // namespace tirvela::cli
