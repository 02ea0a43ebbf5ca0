// Programs a flash image into the emulated Announcer with wire-time emulation and sets the wall
// time against the time the line itself needs for the bytes exchanged (ten bits a byte at the
// speed of each byte), both from the same run: the transfer should cost at most 1.05 times the
// wire time, and the program should be busy for at most 5 % of it (it waits on the port).
//
//   programming_benchmark [--size BYTES] [--baud RATE]     (default 1 MiB at 115200 baud)

#include "device/announcerprogrammer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

using namespace tirvela;

namespace {

// Shows nothing but a dot at each refresh (about once a second).
class QuietProgress : public TransferProgress
{
public:
    void setCaption(const QString &) override {}
    void setStage(const QString &) override {}
    void setSize(const QString &) override {}
    void setError(const QString &text) override
    {
        if (!text.isEmpty())
            std::printf("\n%s\n", text.toUtf8().constData());
    }
    void setButtonText(const QString &) override {}
    void setRange(int) override {}
    void setPosition(int) override
    {
        std::printf(".");
        std::fflush(stdout);
    }
    void show() override {}
    void hide() override {}
    bool cancelRequested() const override { return false; }
    void processEvents() override {}
    void showMessage(const QString &text) override { std::printf("\n%s\n", text.toUtf8().constData()); }
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
    const QString imagePath = folder.filePath(QStringLiteral("image.bin"));
    QFile file(imagePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(image) != size)
        return 1;
    file.close();

    const QString memoryPath = folder.filePath(QStringLiteral("memory.bin"));
    QProcess emulator;
    emulator.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tirvela-devsim"),
                   {QStringLiteral("announcer"), QStringLiteral("--wire-time"), QStringLiteral("--quiet"),
                    QStringLiteral("--memory"), memoryPath});
    while (emulator.waitForReadyRead(5000) && !emulator.canReadLine()) {
    }
    const QString port = QString::fromLocal8Bit(emulator.readLine()).trimmed();
    if (port.isEmpty()) {
        std::fprintf(stderr, "tirvela-devsim did not start: %s\n", emulator.errorString().toUtf8().constData());
        return 1;
    }

    const AnnouncerLink link{{QStringLiteral("COM1:"), port},
                             QStringLiteral("baud=4800 parity=N data=8 stop=1"),
                             QStringLiteral("baud=%1 parity=N data=8 stop=1").arg(baud)};
    std::printf("programming %lld bytes at %lld baud over %s ", size, baud, port.toUtf8().constData());
    std::fflush(stdout);
    QuietProgress progress;
    const double cpuBefore = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    const TransferResult result = programAnnouncer(imagePath, link, progress);
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    const double cpu = cpuSeconds() - cpuBefore;
    std::printf("\n");

    emulator.terminate();
    emulator.waitForFinished(10000);
    const QString log = QString::fromUtf8(emulator.readAllStandardOutput());
    const QRegularExpressionMatch wire = QRegularExpression(QStringLiteral(R"(wire time ([0-9.]+) s)")).match(log);
    QFile memory(memoryPath);
    const qint64 padded = (size + 511) / 512 * 512;
    const bool stored = memory.open(QIODevice::ReadOnly) && memory.readAll() == image + QByteArray(padded - size, '\0');
    if (result.outcome != TransferResult::Completed || !wire.hasMatch() || !stored) {
        std::fprintf(stderr, "the transfer failed: %s%s\n", result.message.toUtf8().constData(),
                     stored ? "" : " (the device memory differs from the image)");
        return 1;
    }

    const double floor = wire.captured(1).toDouble();
    const double wallRatio = wall / floor;
    const double cpuRatio = cpu / wall;
    std::printf("wall time        %8.3f s\n", wall);
    std::printf("wire-time floor  %8.3f s\n", floor);
    std::printf("CPU time         %8.3f s\n", cpu);
    std::printf("wall / floor     %8.4f   (target <= 1.05) %s\n", wallRatio, wallRatio <= 1.05 ? "met" : "MISSED");
    std::printf("CPU / wall       %8.4f   (target <= 0.05) %s\n", cpuRatio, cpuRatio <= 0.05 ? "met" : "MISSED");
    return 0;
}
