// tirvela-devsim: plays the Announcer or the route-number board on a pseudo-terminal, so that the
// editor's device commands can be tried and tested without the hardware.

#include "common/messagelog.h"
#include "devsim/announcerdevice.h"
#include "devsim/blinkerdevice.h"
#include "devsim/emulatorloop.h"
#include "devsim/ptylink.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>

using namespace tirvela;
using namespace tirvela::devsim;

namespace {

EmulatorLoop *gLoop = nullptr;

void stopOnSignal(int)
{
    if (gLoop)
        gLoop->stop();
}

// Log lines on standard output, each with the seconds since the start; a quiet log shows only
// what is forced through.
class StandardOutputLog : public MessageLog
{
public:
    explicit StandardOutputLog(bool quiet) : mQuiet(quiet) { mClock.start(); }
    void logMessage(const QString &line) override
    {
        if (!mQuiet)
            print(line);
    }
    void print(const QString &line)
    {
        std::printf("[%8.3f] %s\n", double(mClock.elapsed()) / 1000.0, line.toUtf8().constData());
        std::fflush(stdout);
    }

private:
    const bool mQuiet;
    QElapsedTimer mClock;
};

int blockOption(const QCommandLineParser &parser, const QString &name)
{
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    return parser.isSet(name) && ok && value >= 0 ? value : -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Plays a device on a pseudo-terminal and prints its path on the first line.\n"
        "  announcer: the stop announcer; stores the blocks it is sent.\n"
        "  blinker:   the route-number board; reassembles the board images, shows route numbers."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("device"), QStringLiteral("announcer or blinker"));
    parser.addOptions({
        {QStringLiteral("memory"), QStringLiteral("announcer: save the memory to FILE at every reset and at the end."), QStringLiteral("FILE")},
        {QStringLiteral("images"), QStringLiteral("blinker: save each complete board image to DIR/board-ID.bin."), QStringLiteral("DIR")},
        {QStringLiteral("error-at"), QStringLiteral("announcer: answer 'E' to data block K."), QStringLiteral("K")},
        {QStringLiteral("silent-at"), QStringLiteral("announcer: do not answer data block K."), QStringLiteral("K")},
        {QStringLiteral("garbage-at"), QStringLiteral("announcer: answer data block K with CR LF 'W'."), QStringLiteral("K")},
        {QStringLiteral("burst-at"), QStringLiteral("announcer: answer data block K with a burst of 4 KiB of noise."), QStringLiteral("K")},
        {QStringLiteral("slow"), QStringLiteral("announcer: give every answer MS milliseconds late."), QStringLiteral("MS")},
        {QStringLiteral("never-ready"), QStringLiteral("announcer: never answer a write command with 'R'.")},
        {QStringLiteral("close-after-setup"), QStringLiteral("announcer: drop the line after the setup command.")},
        {QStringLiteral("close-at"), QStringLiteral("drop the line at data block (announcer) or programming frame (blinker) K."), QStringLiteral("K")},
        {QStringLiteral("reply-latency"), QStringLiteral("announcer: hold every reply MS milliseconds, as a USB adapter's latency timer does."), QStringLiteral("MS")},
        {QStringLiteral("wire-time"), QStringLiteral("let bytes take the time the line speed gives them (10 bits a byte).")},
        {QStringLiteral("quiet"), QStringLiteral("print only the port and, at the end, the traffic.")},
    });
    parser.process(app);
    const QString kind = parser.positionalArguments().value(0);
    if (kind != u"announcer" && kind != u"blinker") {
        std::fprintf(stderr, "%s\n", parser.helpText().toUtf8().constData());
        return 2;
    }

    PtyLink link;
    QString error;
    if (!link.open(&error)) {
        std::fprintf(stderr, "cannot open a pseudo-terminal: %s\n", error.toUtf8().constData());
        return 1;
    }
    std::printf("%s\n", link.slavePath().toUtf8().constData());
    std::fflush(stdout);

    StandardOutputLog log(parser.isSet(QStringLiteral("quiet")));
    std::unique_ptr<EmulatedDevice> device;
    if (kind == u"announcer") {
        AnnouncerFaults faults;
        faults.errorAtBlock = blockOption(parser, QStringLiteral("error-at"));
        faults.silentAtBlock = blockOption(parser, QStringLiteral("silent-at"));
        faults.garbageAtBlock = blockOption(parser, QStringLiteral("garbage-at"));
        faults.closeAtBlock = blockOption(parser, QStringLiteral("close-at"));
        faults.burstAtBlock = blockOption(parser, QStringLiteral("burst-at"));
        faults.answerDelayMs = std::max(0, blockOption(parser, QStringLiteral("slow")));
        faults.neverReady = parser.isSet(QStringLiteral("never-ready"));
        faults.closeAfterSetup = parser.isSet(QStringLiteral("close-after-setup"));
        device = std::make_unique<AnnouncerDevice>(faults, log, parser.value(QStringLiteral("memory")));
    } else {
        BlinkerFaults faults;
        faults.closeAtFrame = blockOption(parser, QStringLiteral("close-at"));
        device = std::make_unique<BlinkerDevice>(faults, log, parser.value(QStringLiteral("images")));
    }

    EmulatorLoop loop(link, *device, parser.isSet(QStringLiteral("wire-time")));
    if (!loop.isReady())
        return 1;
    if (kind == u"announcer")
        loop.setReplyLatency(std::max(0, blockOption(parser, QStringLiteral("reply-latency"))));
    gLoop = &loop;
    std::signal(SIGINT, stopOnSignal);
    std::signal(SIGTERM, stopOnSignal);
    loop.run();
    gLoop = nullptr;

    const EmulatorLoop::Traffic traffic = loop.traffic();
    log.print(QStringLiteral("traffic: received %1 bytes, sent %2 bytes, wire time %3 s")
                       .arg(traffic.bytesReceived)
                       .arg(traffic.bytesSent)
                       .arg(traffic.wireSeconds, 0, 'f', 3));
    return 0;
}
