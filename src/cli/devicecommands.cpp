#include "cli/devicecommands.h"

#include "settings/editorsettings.h"
#include "cli/cliio.h"
#include "cli/commands.h"
#include "cli/consoleprogress.h"
#include "common/cp1251.h"
#include "device/announcerprogrammer.h"
#include "device/progrthread.h"
#include "device/routenumber.h"
#include "project/boardimage.h"
#include "project/projectreader.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include <memory>
#include <optional>

namespace tirvela::cli {

namespace {

constexpr int kInterruptWatchMs = 20;

// What every device command takes besides its own argument: the settings of editor.ini in the
// program folder and an optional --port NAME that replaces the configured port.
struct DeviceOptions
{
    QString programFolder;
    EditorSettings settings;
    std::optional<QString> port;
    QString argument;
};

std::optional<DeviceOptions> takeDeviceOptions(QStringList arguments, const QString &programFolder, const char *usage)
{
    DeviceOptions options;
    const qsizetype at = arguments.indexOf(QStringLiteral("--port"));
    const bool portGiven = at >= 0 && at + 1 < arguments.size();
    if (portGiven) {
        options.port = arguments[at + 1];
        arguments.remove(at, 2);
    }
    if ((at >= 0 && !portGiven) || arguments.size() != 1) {
        usageError(usage);
        return std::nullopt;
    }
    options.programFolder = programFolder;
    QString settingsProblem;
    options.settings = readEditorSettings(programFolder, &settingsProblem);
    if (!settingsProblem.isEmpty())
        err() << settingsProblem << Qt::endl;
    options.argument = arguments[0];
    return options;
}

int reportOutcome(const TransferResult &result, bool messageShown)
{
    switch (result.outcome) {
    case TransferResult::Completed:
        return Success;
    case TransferResult::Cancelled:
        err() << "Прервано" << Qt::endl;
        return Failure;
    case TransferResult::Failed:
        if (!messageShown)
            err() << result.message << Qt::endl;
        return Failure;
    }
    return Failure;
}

// The board images as the project file would hold them: built from the board content and finalised.
std::optional<ProgrThread::BoardImages> boardImagesOf(Project &project)
{
    ProgrThread::BoardImages images;
    for (int row = 0; row < BoardTypeCount; ++row) {
        const BoardImageBuildResult built = buildBoardImage(project, row);
        if (!built.fits) {
            err() << "Содержимое табло " << QString::fromUtf8(kBoardTypes[size_t(row)].caption)
                  << " не помещается в образ: лишних " << built.bytesOver << " байт" << Qt::endl;
            return std::nullopt;
        }
        BoardImage &image = project.boards[size_t(row)].image;
        finaliseBoardImage(image);
        images[size_t(row)] = image;
    }
    return images;
}

} // namespace

int runProgramAnnouncer(const QStringList &arguments, const QString &programFolder)
{
    const std::optional<DeviceOptions> options = takeDeviceOptions(arguments, programFolder, "program FILE.bin [--port NAME]");
    if (!options)
        return UsageError;
    AnnouncerLink link = announcerLink(options->settings, options->programFolder);
    if (options->port)
        link.port = locatePort(*options->port, options->programFolder);
    ConsoleProgress progress;
    const TransferResult result = programAnnouncer(options->argument, link, progress);
    if (result.outcome == TransferResult::Completed)
        out() << progress.sizeText() << Qt::endl;
    return reportOutcome(result, true);
}

int runBlinkerRoute(const QStringList &arguments, const QString &programFolder)
{
    const std::optional<DeviceOptions> options = takeDeviceOptions(arguments, programFolder, "blinker-route TEXT [--port NAME]");
    if (!options)
        return UsageError;
    bool encodable = true;
    const QByteArray text = toCp1251(options->argument, &encodable);
    if (!encodable) {
        err() << "В тексте есть символы, которых нет в кодировке Windows-1251" << Qt::endl;
        return UsageError;
    }
    const PortLocation port = options->port ? locatePort(*options->port, options->programFolder)
                                            : blinkerPort(options->settings, options->programFolder);
    return reportOutcome(sendRouteNumber(text, port), false);
}

int runBlinkerProgram(const QStringList &arguments, const QString &programFolder)
{
    const std::optional<DeviceOptions> options = takeDeviceOptions(arguments, programFolder, "blinker-program PROJECT.stm [--port NAME]");
    if (!options)
        return UsageError;
    auto project = std::make_unique<Project>();
    const ProjectReadResult read = readProjectFile(*project, options->argument, QFileInfo(options->argument).absolutePath());
    for (const QString &note : read.notes)
        err() << note << Qt::endl;
    if (!read.ok()) {
        err() << read.message << Qt::endl;
        return Failure;
    }
    const std::optional<ProgrThread::BoardImages> images = boardImagesOf(*project);
    if (!images)
        return Failure;
    const PortLocation port = options->port ? locatePort(*options->port, options->programFolder)
                                            : blinkerPort(options->settings, options->programFolder);
    ConsoleProgress progress;
    BlinkerProgrammingRun run(*images, port, progress);
    QEventLoop loop;
    QObject::connect(&run, &BlinkerProgrammingRun::finished, &loop, &QEventLoop::quit);
    // A Ctrl+C is handed on as soon as it comes, also in the pause after the last frame, when the
    // worker reports nothing more.
    QTimer interruptWatch;
    QObject::connect(&interruptWatch, &QTimer::timeout, &run, [&] {
        if (progress.cancelRequested())
            run.stop();
    });
    interruptWatch.start(kInterruptWatchMs);
    run.start();
    loop.exec();
    return reportOutcome(run.result(), true);
}

} // namespace tirvela::cli
