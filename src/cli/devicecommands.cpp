#include "cli/devicecommands.h"

#include "settings/editorsettings.h"
#include "cli/cliio.h"
#include "cli/commands.h"
#include "cli/consoleprogress.h"
#include "common/cp1251.h"
#include "common/outputfile.h"
#include "device/announcerprogrammer.h"
#include "device/devicetrace.h"
#include "device/progrthread.h"
#include "device/routenumber.h"
#include "project/boardimage.h"
#include "project/projectreader.h"

#include <QDir>
#include <QEventLoop>
#include <QTimer>

#include <memory>
#include <optional>

namespace tirvela::cli {

namespace {

constexpr int kInterruptWatchMs = 20;

// What every device command takes besides its own argument: the settings of editor.ini in the
// program folder, an optional --port NAME that replaces the configured port and an optional
// --trace FILE that records the exchange.
struct DeviceOptions
{
    QString programFolder;
    EditorSettings settings;
    std::optional<QString> port;
    std::unique_ptr<DeviceTrace> trace;
    QString argument;
};

// The options, or nothing with `failure` set to the exit code: a usage error, or a failure when
// the trace file cannot be written.
std::optional<DeviceOptions> takeDeviceOptions(QStringList arguments, const QString &programFolder, const char *usage,
                                               int &failure)
{
    DeviceOptions options;
    failure = UsageError;
    std::optional<QString> tracePath;
    if (!takeOptionValue(arguments, QStringLiteral("--port"), options.port)
        || !takeOptionValue(arguments, QStringLiteral("--trace"), tracePath) || arguments.size() != 1 || tracePath == u"") {
        usageError(usage);
        return std::nullopt;
    }
    if (tracePath) {
        options.trace = std::make_unique<DeviceTrace>();
        QString reason = outputFileProblem(*tracePath, {arguments[0]});
        if (!reason.isEmpty() || !options.trace->open(*tracePath, DeviceTrace::Mode::Replace, &reason)) {
            err() << "Файл трассировки " << QDir::toNativeSeparators(*tracePath) << " не открыт: " << reason << Qt::endl;
            failure = Failure;
            return std::nullopt;
        }
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


} // namespace

int runProgramAnnouncer(const QStringList &arguments, const QString &programFolder)
{
    int failure = 0;
    const std::optional<DeviceOptions> options =
        takeDeviceOptions(arguments, programFolder, "program FILE.bin [--port NAME] [--trace FILE]", failure);
    if (!options)
        return failure;
    AnnouncerLink link = announcerLink(options->settings, options->programFolder);
    if (options->port)
        link.port = locatePort(*options->port, options->programFolder);
    ConsoleProgress progress;
    const TransferResult result = programAnnouncer(options->argument, link, progress, options->trace.get());
    if (result.outcome == TransferResult::Completed)
        out() << progress.sizeText() << Qt::endl;
    return reportOutcome(result, true);
}

int runBlinkerRoute(const QStringList &arguments, const QString &programFolder)
{
    int failure = 0;
    const std::optional<DeviceOptions> options =
        takeDeviceOptions(arguments, programFolder, "blinker-route TEXT [--port NAME] [--trace FILE]", failure);
    if (!options)
        return failure;
    bool encodable = true;
    const QByteArray text = toCp1251(options->argument, &encodable);
    if (!encodable) {
        err() << "В тексте есть символы, которых нет в кодировке Windows-1251" << Qt::endl;
        return UsageError;
    }
    const PortLocation port = options->port ? locatePort(*options->port, options->programFolder)
                                            : blinkerPort(options->settings, options->programFolder);
    return reportOutcome(sendRouteNumber(text, port, kBlinkerLineMode, options->trace.get()), false);
}

int runBlinkerProgram(const QStringList &arguments, const QString &programFolder)
{
    int failure = 0;
    const std::optional<DeviceOptions> options =
        takeDeviceOptions(arguments, programFolder, "blinker-program PROJECT.stm [--port NAME] [--trace FILE]", failure);
    if (!options)
        return failure;
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
    ConsoleProgress progress;
    BlinkerProgramming programming;
    programming.trace = options->trace.get();
    BlinkerProgrammingRun run(images.images, port, progress, programming);
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
