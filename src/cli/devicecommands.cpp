#include "cli/devicecommands.h"

#include "settings/editorsettings.h"
#include "cli/cliio.h"
#include "cli/commands.h"
#include "cli/consoleprogress.h"
#include "cli/programfolder.h"
#include "common/cp1251.h"
#include "device/announcerprogrammer.h"
#include "device/progrthread.h"
#include "device/routenumber.h"
#include "project/boardimage.h"
#include "project/projectreader.h"


#include <memory>
#include <optional>

namespace tirvela::cli {

namespace {

// What every device command takes besides its own argument: the settings of editor.ini in the
// program folder (--program-dir) and an optional --port NAME that replaces the configured port.
struct DeviceOptions
{
    QString programFolder;
    EditorSettings settings;
    std::optional<QString> port;
    QString argument;
};

std::optional<DeviceOptions> takeDeviceOptions(QStringList arguments, const char *usage)
{
    const ProgramFolderOption folder = takeProgramFolder(arguments);
    DeviceOptions options;
    const qsizetype at = arguments.indexOf(QStringLiteral("--port"));
    const bool portGiven = at >= 0 && at + 1 < arguments.size();
    if (portGiven) {
        options.port = arguments[at + 1];
        arguments.remove(at, 2);
    }
    if (!folder.ok || (at >= 0 && !portGiven) || arguments.size() != 1) {
        if (!folder.ok)
            err() << folder.error << Qt::endl;
        err() << "usage: tirvela-cli " << usage << Qt::endl;
        return std::nullopt;
    }
    options.programFolder = folder.folder;
    options.settings = readEditorSettings(folder.folder);
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

// Carries out the worker's reports and hands a Ctrl+C on to it.
class BlinkerConsole : public ConsoleProgress
{
public:
    void setWorker(ProgrThread *worker) { mWorker = worker; }
    void setPosition(int position) override
    {
        ConsoleProgress::setPosition(position);
        if (mWorker && cancelRequested()) {
            mWorker->setDialogVisible(false);
            mWorker->requestTermination();
        }
    }

private:
    ProgrThread *mWorker = nullptr;
};

} // namespace

int runProgramAnnouncer(const QStringList &arguments)
{
    const std::optional<DeviceOptions> options = takeDeviceOptions(arguments, "program FILE.bin [--port NAME]");
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

int runBlinkerRoute(const QStringList &arguments)
{
    const std::optional<DeviceOptions> options = takeDeviceOptions(arguments, "blinker-route TEXT [--port NAME]");
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

int runBlinkerProgram(const QStringList &arguments)
{
    const std::optional<DeviceOptions> options = takeDeviceOptions(arguments, "blinker-program PROJECT.stm [--port NAME]");
    if (!options)
        return UsageError;
    auto project = std::make_unique<Project>();
    const ProjectReadResult read = readProjectFile(*project, options->argument);
    if (!read.ok()) {
        err() << read.message << Qt::endl;
        return Failure;
    }
    for (const QString &note : read.notes)
        err() << note << Qt::endl;
    const BoardImagesBuild images = buildBoardImages(*project);
    if (!images.fits()) {
        for (const QString &problem : images.problems())
            err() << problem << Qt::endl;
        return Failure;
    }
    const PortLocation port = options->port ? locatePort(*options->port, options->programFolder)
                                            : blinkerPort(options->settings, options->programFolder);
    BlinkerConsole progress;
    ProgrThread worker(images.images, port, progress);
    progress.setWorker(&worker);
    worker.start();
    worker.setDialogVisible(true);
    worker.waitUntilEnded();
    return reportOutcome(worker.result(), true);
}

} // namespace tirvela::cli
