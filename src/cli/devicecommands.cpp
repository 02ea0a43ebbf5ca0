#include "cli/devicecommands.h"

#include "settings/editorsettings.h"
#include "cli/cliio.h"
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
std::optional<DeviceOptions> takeDeviceOptions(const CommandCall &call, int &failure)
{
    DeviceOptions options;
    options.argument = call.arguments().constFirst();
    options.port = call.value(QStringLiteral("port"));
    const std::optional<QString> tracePath = call.value(QStringLiteral("trace"));
    if (tracePath == u"") {
        failure = UsageError;
        return std::nullopt;
    }
    if (tracePath) {
        options.trace = std::make_unique<DeviceTrace>();
        Status opened = checkOutputFile(*tracePath, {options.argument});
        if (opened.ok())
            opened = options.trace->open(*tracePath, DeviceTrace::Mode::Replace);
        if (!opened.ok()) {
            err() << "Файл трассировки " << QDir::toNativeSeparators(*tracePath) << " не открыт: " << opened.message
                  << Qt::endl;
            failure = Failure;
            return std::nullopt;
        }
    }
    options.programFolder = call.programFolder();
    Status settingsRead;
    options.settings = readEditorSettings(options.programFolder, &settingsRead);
    if (!settingsRead.ok())
        err() << settingsRead.message << Qt::endl;
    return options;
}

// The options of every device command.
QList<CommandOption> deviceOptions()
{
    return {{{QStringLiteral("port")}, QStringLiteral("NAME"),
             QStringLiteral("порт вместо заданного в editor.ini (COM1, /dev/ttyUSB0 и т. п.)")},
            {{QStringLiteral("trace")}, QStringLiteral("FILE"),
             QStringLiteral("записать весь обмен с устройством в FILE (UTF-8), по строке на событие")}};
}

// The exit code of a transfer whose failure the progress has already shown.
int reportOutcome(const Result<TransferEnd> &result)
{
    if (wasCancelled(result))
        err() << "Прервано" << Qt::endl;
    return result.ok() && result.value() == TransferEnd::Completed ? Success : Failure;
}

int runProgramAnnouncer(const CommandCall &call)
{
    int failure = 0;
    const std::optional<DeviceOptions> options = takeDeviceOptions(call, failure);
    if (!options)
        return failure;
    const PortLookup ports = readPortMappings(options->programFolder);
    const EditorSettings &settings = options->settings;
    const AnnouncerLink link{locatePort(options->port.value_or(settings.portName), ports), settings.workingMode,
                             settings.programmingMode};
    ConsoleProgress progress;
    const Result<TransferEnd> result = programAnnouncer(options->argument, link, progress, options->trace.get());
    if (result.ok() && result.value() == TransferEnd::Completed)
        out() << progress.sizeText() << Qt::endl;
    return reportOutcome(result);
}

int runBlinkerRoute(const CommandCall &call)
{
    int failure = 0;
    const std::optional<DeviceOptions> options = takeDeviceOptions(call, failure);
    if (!options)
        return failure;
    bool encodable = true;
    const QByteArray text = toCp1251(options->argument, &encodable);
    if (!encodable) {
        err() << "В тексте есть символы, которых нет в кодировке Windows-1251" << Qt::endl;
        return UsageError;
    }
    const PortLookup ports = readPortMappings(options->programFolder);
    const PortLocation port = options->port ? locatePort(*options->port, ports)
                                            : blinkerPort(options->settings.portIndex, ports);
    const Status sent = sendRouteNumber(text, port, kBlinkerLineMode, options->trace.get());
    if (!sent.ok())
        err() << sent.message << Qt::endl;
    return sent.ok() ? Success : Failure;
}

int runBlinkerProgram(const CommandCall &call)
{
    int failure = 0;
    const std::optional<DeviceOptions> options = takeDeviceOptions(call, failure);
    if (!options)
        return failure;
    auto project = std::make_unique<Project>();
    const ProjectReadResult read = readProjectFile(*project, options->argument);
    if (!read.ok()) {
        err() << read.status.message << Qt::endl;
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
    const PortLookup ports = readPortMappings(options->programFolder);
    const PortLocation port = options->port ? locatePort(*options->port, ports)
                                            : blinkerPort(options->settings.portIndex, ports);
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
    return reportOutcome(run.result());
}

} // namespace

Command programCommand()
{
    return {
        .name = QStringLiteral("program"),
        .summary = QStringLiteral("записать двоичный файл в автоинформатор"),
        .description = QStringLiteral(
            "Записывает двоичный файл в автоинформатор через последовательный порт. Порт и параметры линии "
            "берутся из editor.ini папки программы (UART_STR, UART1, UART2), как в редакторе. На терминале "
            "показывает строку состояния: записано байт, процент, скорость, оставшееся время; Ctrl+C "
            "останавливает запись и закрывает порт.\n"
            "Код 1, если запись не удалась или прервана (сообщение говорит почему)."),
        .arguments = {{QStringLiteral("FILE.bin"), QStringLiteral("двоичный файл (для прошивки)")}},
        .options = deviceOptions(),
        .usesProgramFolder = true,
        .run = runProgramAnnouncer,
    };
}

Command blinkerRouteCommand()
{
    return {
        .name = QStringLiteral("blinker-route"),
        .summary = QStringLiteral("показать номер маршрута на маршрутном табло"),
        .description = QStringLiteral(
            "Посылает номер маршрута на маршрутное табло через порт UART_IDX из editor.ini папки программы. "
            "Код 1, если табло не ответило; код 2, если в тексте есть символы, которых нет в кодировке "
            "Windows-1251."),
        .arguments = {{QStringLiteral("TEXT"), QStringLiteral("номер маршрута")}},
        .options = deviceOptions(),
        .usesProgramFolder = true,
        .run = runBlinkerRoute,
    };
}

Command blinkerProgramCommand()
{
    return {
        .name = QStringLiteral("blinker-program"),
        .summary = QStringLiteral("запрограммировать маршрутное табло картинками и шрифтами проекта"),
        .description = QStringLiteral(
            "Собирает память маршрутного табло из картинок и шрифтов проекта и программирует табло через "
            "порт UART_IDX из editor.ini папки программы; Ctrl+C останавливает передачу.\n"
            "Код 1, если проект не прочитан, картинки не помещаются в память табло или передача не удалась."),
        .arguments = {{QStringLiteral("PROJECT.stm"), QStringLiteral("файл проекта")}},
        .options = deviceOptions(),
        .usesProgramFolder = true,
        .run = runBlinkerProgram,
    };
}

} // namespace tirvela::cli
