#include "editor/deviceactions.h"

#include "document/document.h"
#include "editor/editorsession.h"
#include "editor/progressdialog.h"
#include "editor/userdialogs.h"
#include "common/cp1251.h"
#include "common/messagelog.h"
#include "device/announcerprogrammer.h"
#include "device/devicetrace.h"
#include "device/routenumber.h"
#include "project/boardimage.h"

#include <QDir>

#include <optional>

namespace tirvela {

namespace {

// The port as the settings name it, with the device it leads to when that is another name.
QString portText(const PortLocation &port)
{
    const QString device = QDir::toNativeSeparators(port.devicePath);
    return device == port.name ? port.name : QStringLiteral("%1 (%2)").arg(port.name, device);
}

} // namespace

DeviceActions::DeviceActions(const Document &document, const EditorSession &session, UserDialogs &dialogs,
                             MessageLog &log, ProgressDialog &progress, QWidget *window)
    : mDocument(document)
    , mSession(session)
    , mDialogs(dialogs)
    , mLog(log)
    , mProgress(progress)
    , mWindow(window)
{
}

std::unique_ptr<DeviceTrace> DeviceActions::openTrace()
{
    if (!mSession.settings.traceDevices)
        return nullptr;
    auto trace = std::make_unique<DeviceTrace>();
    const QString path = QDir::toNativeSeparators(deviceTracePath(mSession.programFolder));
    if (const Status opened = trace->open(deviceTracePath(mSession.programFolder), DeviceTrace::Mode::Append);
        !opened.ok()) {
        mLog.logMessage(QStringLiteral("Обмен с устройством не записывается: ") + path + QStringLiteral(": ")
                        + opened.message);
        return nullptr;
    }
    mLog.logMessage(QStringLiteral("Обмен с устройством записывается в ") + path);
    return trace;
}

void DeviceActions::programAnnouncer(const QString &flashImage)
{
    mProgress.clear();
    const std::unique_ptr<DeviceTrace> trace = openTrace();
    const EditorSettings &settings = mSession.settings;
    const AnnouncerLink link{locatePort(settings.portName, readPortMappings(mSession.programFolder)),
                             settings.workingMode, settings.programmingMode};
    const Result<TransferEnd> result = tirvela::programAnnouncer(flashImage, link, mProgress, trace.get());
    // The device is left half written, without its closing reset: that must not go unnoticed.
    if (wasCancelled(result))
        mLog.logMessage(QStringLiteral("Программирование автоинформатора прервано: устройство записано не полностью, "
                                       "его нужно запрограммировать заново"));
}

void DeviceActions::sendRouteNumber(int route)
{
    const QString proposed = route >= 0 ? fromCp1251(mDocument.project().routeNumberText(route)) : QString();
    const std::optional<QString> text = mDialogs.askText(mWindow, QStringLiteral("Номер маршрута для блинкерного табло"),
                                                         QStringLiteral("Введите номер маршрута"), proposed);
    if (!text)
        return;
    bool encodable = true;
    const QByteArray bytes = toCp1251(*text, &encodable);
    if (!encodable) {
        mDialogs.tell(mWindow, QStringLiteral("В тексте есть символы, которых нет в кодировке Windows-1251"));
        return;
    }
    const std::unique_ptr<DeviceTrace> trace = openTrace();
    const PortLocation port = blinkerPort(mSession.settings.portIndex, readPortMappings(mSession.programFolder));
    const Status sent = tirvela::sendRouteNumber(bytes, port, kBlinkerLineMode, trace.get());
    if (!sent.ok())
        mDialogs.tell(mWindow, sent.message);
    else
        mLog.logMessage(QStringLiteral("Номер маршрута %1 передан на блинкерное табло, порт %2").arg(*text, portText(port)));
}

void DeviceActions::programBlinker()
{
    const BoardImagesBuild images = buildBoardImages(mDocument.project());
    if (!images.fits()) {
        mDialogs.tell(mWindow, images.problems().join(u'\n'));
        return;
    }
    mProgress.clear();
    const std::unique_ptr<DeviceTrace> trace = openTrace();
    BlinkerProgramming programming = mBlinkerProgramming;
    programming.trace = trace.get();
    const PortLocation port = blinkerPort(mSession.settings.portIndex, readPortMappings(mSession.programFolder));
    BlinkerProgrammingRun run(images.images, port, mProgress, programming);
    run.start();
    mProgress.exec();
    // The dialog closed: the run ends before its next frame, and is waited for when it goes.
    run.stop();
    if (!run.isFinished() || wasCancelled(run.result()))
        mLog.logMessage(QStringLiteral("Прошивка блинкерного табло: Прервано"));
}

} // namespace tirvela
