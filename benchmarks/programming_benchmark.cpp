// Programs a flash image into the emulated Announcer with wire-time emulation and sets the wall
// time against the time the line itself needs for the bytes exchanged (ten bits a byte at the
// speed of each byte), both from the same run: the transfer should cost at most 1.05 times the
// wire time, and the program should be busy for at most 5 % of it (it waits on the port).
// The same run is made with the emulator holding every reply 16 ms, as a USB adapter's latency
// timer does when its driver is not asked for low latency, and once more with a trace written,
// to show what the trace costs.
//
//   programming_benchmark [--size BYTES] [--baud RATE]     (default 1 MiB at 115200 baud)

#include "device/announcerprogrammer.h"
#include "device/devicetrace.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <sys/resource.h>

#include <cstdio>

using namespace tirvela;

namespace {

// Shows nothing but a dot at each refresh (about once a second).
class QuietProgress : public TransferProgress
{
public:
    void report(const ProgressReport &report) override
    {
        if (report.error && !report.error->isEmpty())
            std::printf("\n%s\n", report.error->toUtf8().constData());
        if (report.position) {
            std::printf(".");
            std::fflush(stdout);
        }
        if (!report.message.isEmpty())
            std::printf("\n%s\n", report.message.toUtf8().constData());
    }
    bool cancelRequested() const override { return false; }
    bool cancelledWithin(int ms) override
    {
        QThread::msleep(quint64(qMax(ms, 0)));
        return false;
    }
};

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

qint64 option(const QStringList &arguments, const QString &name, qint64 fallback)
{
    const qsizetype at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments[at + 1].toLongLong() : fallback;
}

struct Measurement
{
    bool ok = false;
    double wall = 0;
    double floor = 0;
    double cpu = 0;
};

// One programming run against a fresh emulator; checks that the device holds the image.
Measurement measure(const QTemporaryDir &folder, const QByteArray &image, qint64 baud, int replyLatencyMs,
                    DeviceTrace *trace)
{
    const QString imagePath = folder.filePath(QStringLiteral("image.bin"));
    const QString memoryPath = folder.filePath(QStringLiteral("memory.bin"));
    QFile::remove(memoryPath);
    QProcess emulator;
    emulator.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tirvela-devsim"),
                   {QStringLiteral("announcer"), QStringLiteral("--wire-time"), QStringLiteral("--quiet"),
                    QStringLiteral("--reply-latency"), QString::number(replyLatencyMs), QStringLiteral("--memory"),
                    memoryPath});
    while (emulator.waitForReadyRead(5000) && !emulator.canReadLine()) {
    }
    const QString port = QString::fromLocal8Bit(emulator.readLine()).trimmed();
    if (port.isEmpty()) {
        std::fprintf(stderr, "tirvela-devsim did not start: %s\n", emulator.errorString().toUtf8().constData());
        return {};
    }

    const AnnouncerLink link{{QStringLiteral("COM1:"), port},
                             QStringLiteral("baud=4800 parity=N data=8 stop=1"),
                             QStringLiteral("baud=%1 parity=N data=8 stop=1").arg(baud)};
    std::printf("reply latency %2d ms%s ", replyLatencyMs, trace ? ", trace on " : "");
    std::fflush(stdout);
    QuietProgress progress;
    const double cpuBefore = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    const Result<TransferEnd> result = programAnnouncer(imagePath, link, progress, trace);
    Measurement measurement;
    measurement.wall = double(clock.nsecsElapsed()) / 1e9;
    measurement.cpu = cpuSeconds() - cpuBefore;
    std::printf("\n");

    emulator.terminate();
    emulator.waitForFinished(10000);
    const QString log = QString::fromUtf8(emulator.readAllStandardOutput());
    const QRegularExpressionMatch wire = QRegularExpression(QStringLiteral(R"(wire time ([0-9.]+) s)")).match(log);
    QFile memory(memoryPath);
    const qint64 padded = (image.size() + 511) / 512 * 512;
    const bool stored =
        memory.open(QIODevice::ReadOnly) && memory.readAll() == image + QByteArray(padded - image.size(), '\0');
    if (!result.ok() || result.value() != TransferEnd::Completed || !wire.hasMatch() || !stored) {
        std::fprintf(stderr, "the transfer failed: %s%s\n", result.status().message.toUtf8().constData(),
                     stored ? "" : " (the device memory differs from the image)");
        return {};
    }
    measurement.floor = wire.captured(1).toDouble();
    measurement.ok = true;
    return measurement;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const qint64 size = option(app.arguments(), QStringLiteral("--size"), 1024 * 1024);
    const qint64 baud = option(app.arguments(), QStringLiteral("--baud"), 115200);
    QTemporaryDir folder;
    if (!folder.isValid() || size < 0 || baud <= 0)
        return 2;

    QByteArray image(size, '\0');
    for (char &byte : image)
        byte = char(QRandomGenerator::global()->bounded(256));
    QFile file(folder.filePath(QStringLiteral("image.bin")));
    if (!file.open(QIODevice::WriteOnly) || file.write(image) != size)
        return 1;
    file.close();
    std::printf("programming %lld bytes at %lld baud\n", size, baud);

    const Measurement plain = measure(folder, image, baud, 0, nullptr);
    const Measurement held = measure(folder, image, baud, 16, nullptr);
    DeviceTrace trace;
    const QString tracePath = folder.filePath(QStringLiteral("trace.txt"));
    if (const Status opened = trace.open(tracePath, DeviceTrace::Mode::Replace); !opened.ok()) {
        std::fprintf(stderr, "cannot write the trace: %s\n", opened.message.toUtf8().constData());
        return 1;
    }
    const Measurement traced = measure(folder, image, baud, 0, &trace);
    if (!plain.ok || !held.ok || !traced.ok)
        return 1;

    const double wallRatio = plain.wall / plain.floor;
    const double cpuRatio = plain.cpu / plain.wall;
    std::printf("wire-time floor           %8.3f s\n", plain.floor);
    std::printf("wall time                 %8.3f s\n", plain.wall);
    std::printf("CPU time                  %8.3f s\n", plain.cpu);
    std::printf("wall / floor              %8.4f   (target <= 1.05) %s\n", wallRatio, wallRatio <= 1.05 ? "met" : "MISSED");
    std::printf("CPU / wall                %8.4f   (target <= 0.05) %s\n", cpuRatio, cpuRatio <= 0.05 ? "met" : "MISSED");
    std::printf("wall / floor, replies held 16 ms  %8.4f   (%.3f s)\n", held.wall / held.floor, held.wall);
    std::printf("wall / floor, trace on            %8.4f   (%.3f s, %+.2f %% against trace off; trace %lld bytes)\n",
                traced.wall / traced.floor, traced.wall, 100.0 * (traced.wall - plain.wall) / plain.wall,
                QFileInfo(tracePath).size());
    return 0;
}
