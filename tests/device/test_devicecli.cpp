// The device commands of tirvela-cli against tirvela-devsim, both run as the user runs them.

#include "common/messagelog.h"
#include "device/serialport.h"
#include "project/project.h"
#include "project/projectbuilder.h"
#include "sound/soundtable.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <csignal>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using namespace tirvela;
using namespace Qt::StringLiterals;

namespace {

// A device emulator process; its first line names the port.
class Emulator
{
public:
    explicit Emulator(const QStringList &arguments)
    {
        mProcess.start(QStringLiteral(TIRVELA_DEVSIM), arguments);
        while (mProcess.waitForReadyRead(5000) && !mProcess.canReadLine()) {
        }
        mPort = QString::fromLocal8Bit(mProcess.readLine()).trimmed();
    }
    ~Emulator() { stop(); }

    QString port() const { return mPort; }
    // What the device logged so far.
    QString log()
    {
        mProcess.waitForReadyRead(0);
        mLog += QString::fromUtf8(mProcess.readAllStandardOutput());
        return mLog;
    }
    bool waitForLog(const QString &text, int timeoutMs)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!log().contains(text)) {
            if (deadline.hasExpired() || !mProcess.waitForReadyRead(int(deadline.remainingTime())))
                return log().contains(text);
        }
        return true;
    }
    QString stop()
    {
        if (mProcess.state() != QProcess::NotRunning) {
            mProcess.terminate();
            mProcess.waitForFinished(5000);
        }
        return log();
    }

private:
    QProcess mProcess;
    QString mPort;
    QString mLog;
};

struct CliRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

class Cli
{
public:
    explicit Cli(const QStringList &arguments) { mProcess.start(QStringLiteral(TIRVELA_CLI), arguments); }
    void interrupt() { ::kill(pid_t(mProcess.processId()), SIGINT); }
    CliRun finish(int timeoutMs)
    {
        if (!mProcess.waitForFinished(timeoutMs)) {
            mProcess.kill();
            mProcess.waitForFinished();
            return {};
        }
        return {mProcess.exitStatus() == QProcess::NormalExit ? mProcess.exitCode() : -1,
                QString::fromUtf8(mProcess.readAllStandardOutput()), QString::fromUtf8(mProcess.readAllStandardError())};
    }

private:
    QProcess mProcess;
};

CliRun runCli(const QStringList &arguments, int timeoutMs = 15000)
{
    return Cli(arguments).finish(timeoutMs);
}

// A pseudo-terminal whose other end writes noise without pause, as a device gone mad does.
class FloodingLine
{
public:
    FloodingLine()
    {
        mMaster = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (mMaster < 0 || ::grantpt(mMaster) != 0 || ::unlockpt(mMaster) != 0)
            return;
        mPath = QString::fromLocal8Bit(::ptsname(mMaster));
        mWriter = std::thread([this] {
            const QByteArray noise(4096, 'x');
            while (!mStop) {
                pollfd ready{mMaster, POLLOUT, 0};
                if (::poll(&ready, 1, 20) <= 0 || ::write(mMaster, noise.constData(), size_t(noise.size())) < 0)
                    ::usleep(1000);
            }
        });
    }
    ~FloodingLine()
    {
        mStop = true;
        if (mWriter.joinable())
            mWriter.join();
        if (mMaster >= 0)
            ::close(mMaster);
    }
    QString path() const { return mPath; }

private:
    int mMaster = -1;
    QString mPath;
    std::atomic<bool> mStop = false;
    std::thread mWriter;
};

// The resident memory of a process in kB, from the system's account of it.
qint64 residentKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

struct NoLog : MessageLog
{
    void logMessage(const QString &) override {}
};

} // namespace

class DeviceCliTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void programThroughMappedPort();
    void programFailureEndsWithMessage();
    void programRefusesAnEmptyImage();
    void programOnATerminalEndsItsStatusLine();
    void floodingDeviceCostsNoMemory();
    void interruptedWhileTheDeviceStarts();
    void programInterrupted();
    void usageErrors();
    void blinkerRoute();
    void blinkerProgram();

private:
    QString path(const QString &name) const { return mFolder.filePath(name); }
    // --program-dir of the temporary folder, so that no editor.ini of the build is read.
    QStringList programDir() const { return {u"--program-dir"_s, mFolder.path()}; }
    // The flash image route.bin with these bytes; empty when it is not written.
    QString writeImage(const QByteArray &bytes) const
    {
        QFile file(path(u"route.bin"_s));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return {};
        return file.fileName();
    }

    QTemporaryDir mFolder;
};

void DeviceCliTest::init()
{
    QVERIFY(mFolder.isValid());
}

void DeviceCliTest::programThroughMappedPort()
{
    Emulator device({u"announcer"_s, u"--memory"_s, path(u"memory.bin"_s)});
    QVERIFY(!device.port().isEmpty());
    QFile ini(path(u"editor.ini"_s));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[UART]\r\nUART_STR=COM3:\r\n[PORTS]\r\nCOM3=" + device.port().toLocal8Bit() + "\r\n");
    ini.close();
    QByteArray image(1000, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char(i * 7);
    const QString imagePath = writeImage(image);
    QVERIFY(!imagePath.isEmpty());

    const CliRun run = runCli(QStringList{u"program"_s, imagePath} + programDir());
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains(u"Размер файла: 1024"_s), qPrintable(run.out));
    QVERIFY(device.waitForLog(u"saved"_s, 2000));
    device.stop();
    QFile memory(path(u"memory.bin"_s));
    QVERIFY(memory.open(QIODevice::ReadOnly));
    QCOMPARE(memory.readAll(), image + QByteArray(24, '\0'));
}

void DeviceCliTest::programFailureEndsWithMessage()
{
    Emulator device({u"announcer"_s, u"--error-at"_s, u"0"_s});
    const QString imagePath = writeImage(QByteArray(100, 'x'));
    QVERIFY(!imagePath.isEmpty());
    const CliRun run = runCli(QStringList{u"program"_s, imagePath, u"--port"_s, device.port()} + programDir());
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(u"При записи произошла ошибка!"_s), qPrintable(run.err));
}

// A failed build leaves an empty image: "build p.stm && program p.bin" must not pass for a success.
void DeviceCliTest::programRefusesAnEmptyImage()
{
    Emulator device({u"announcer"_s});
    const QString imagePath = writeImage({});
    QVERIFY(!imagePath.isEmpty());
    const CliRun run = runCli(QStringList{u"program"_s, imagePath, u"--port"_s, device.port()} + programDir());
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(u"файл пуст"_s), qPrintable(run.err));
    QVERIFY(!run.out.contains(u"Процесс завершен"_s));
    QVERIFY(!device.stop().contains(u"reset"_s));
}

// On a terminal the amount is one line rewritten in place; the summary after it has a line of its own.
void DeviceCliTest::programOnATerminalEndsItsStatusLine()
{
    Emulator device({u"announcer"_s});
    const QString imagePath = writeImage(QByteArray(100, 'x'));
    QVERIFY(!imagePath.isEmpty());
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(terminal >= 0 && ::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0);
    QProcess process;
    process.setStandardOutputFile(QString::fromLocal8Bit(::ptsname(terminal)));
    process.start(QStringLiteral(TIRVELA_CLI), QStringList{u"program"_s, imagePath, u"--port"_s, device.port()} + programDir());
    const bool finished = process.waitForFinished(15000);
    QByteArray screen;
    ::fcntl(terminal, F_SETFL, O_NONBLOCK);
    char chunk[4096];
    for (ssize_t got; (got = ::read(terminal, chunk, sizeof chunk)) > 0;)
        screen.append(chunk, got);
    ::close(terminal);
    QVERIFY(finished);
    QCOMPARE(process.exitCode(), 0);
    QVERIFY2(screen.contains("\r512 из 512 байт, 100.0%"), screen.constData());
    QVERIFY2(QString::fromUtf8(screen).split(u"\r\n"_s).contains(u"Размер файла: 512"_s), screen.constData());
}

// The address phase repeats its command for as long as the device does not answer 'R', as it
// should; what the device floods in meanwhile must not pile up.
void DeviceCliTest::floodingDeviceCostsNoMemory()
{
    FloodingLine line;
    QVERIFY(!line.path().isEmpty());
    const QString imagePath = writeImage(QByteArray(1000, 'x'));
    QVERIFY(!imagePath.isEmpty());
    QProcess process;
    process.start(QStringLiteral(TIRVELA_CLI), QStringList{u"program"_s, imagePath, u"--port"_s, line.path()} + programDir());
    QVERIFY(process.waitForStarted());
    QTest::qWait(4000); // past the waits after the reset and the setup
    const qint64 before = residentKb(process.processId());
    QTest::qWait(3000);
    const qint64 after = residentKb(process.processId());
    ::kill(pid_t(process.processId()), SIGINT);
    QVERIFY(process.waitForFinished(5000));
    QVERIFY(before > 0 && after > 0);
    QVERIFY2(after - before < 16 * 1024, qPrintable(QStringLiteral("%1 kB, then %2 kB").arg(before).arg(after)));
    QCOMPARE(process.exitCode(), 1);
    QVERIFY(QString::fromUtf8(process.readAllStandardError()).contains(u"Прервано"_s));
}

// A Ctrl+C in the waits before the transfer ends the command at once.
void DeviceCliTest::interruptedWhileTheDeviceStarts()
{
    Emulator device({u"announcer"_s});
    const QString imagePath = writeImage(QByteArray(100, 'x'));
    QVERIFY(!imagePath.isEmpty());
    Cli cli(QStringList{u"program"_s, imagePath, u"--port"_s, device.port()} + programDir());
    QVERIFY(device.waitForLog(u"reset"_s, 8000));
    QElapsedTimer clock;
    clock.start();
    cli.interrupt();
    const CliRun run = cli.finish(3000);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY2(run.err.contains(u"Прервано"_s), qPrintable(run.err));
}

void DeviceCliTest::programInterrupted()
{
    Emulator device({u"announcer"_s, u"--never-ready"_s});
    const QString imagePath = writeImage(QByteArray(100, 'x'));
    QVERIFY(!imagePath.isEmpty());
    Cli cli(QStringList{u"program"_s, imagePath, u"--port"_s, device.port()} + programDir());
    QVERIFY(device.waitForLog(u"write 0"_s, 8000));
    cli.interrupt();
    const CliRun run = cli.finish(3000);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(u"Прервано"_s), qPrintable(run.err));
    // The port is free again and the device got no closing reset.
    QVERIFY(SerialPort().open(device.port(), SerialPort::Access::ReadWrite));
    QCOMPARE(device.stop().count(u": reset"_s), 1);
}

void DeviceCliTest::usageErrors()
{
    QCOMPARE(runCli(QStringList{u"program"_s} + programDir()).exitCode, 2);
    QCOMPARE(runCli(QStringList{u"blinker-route"_s, u"12"_s, u"--port"_s}).exitCode, 2);
    QCOMPARE(runCli(QStringList{u"program"_s, path(u"a.bin"_s), u"--trace"_s} + programDir()).exitCode, 2);
    QCOMPARE(runCli(QStringList{u"blinker-route"_s, u"12漢"_s, u"--port"_s, u"/dev/null"_s} + programDir()).exitCode, 2);
}

void DeviceCliTest::blinkerRoute()
{
    Emulator device({u"blinker"_s});
    const QString trace = path(u"trace.txt"_s);
    const CliRun run = runCli(QStringList{u"blinker-route"_s, u"12"_s, u"--port"_s, device.port(), u"--trace"_s, trace}
                              + programDir());
    QCOMPARE(run.exitCode, 0);
    QVERIFY(device.waitForLog(u"ff 0d af 20 20 32 31 5f ff"_s, 2000));
    QFile traced(trace);
    QVERIFY(traced.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(traced.readAll());
    QVERIFY2(text.contains(u"номер маршрута на табло: \"12\""_s) && text.contains(u"4800 бод, 8N1"_s)
                 && text.contains(uR"(> 9 байт: "\xff\x0d\xaf  21_\xff")"_s) && text.contains(u"# готово"_s),
             qPrintable(text));
    // A trace that cannot be written ends the command before the port is opened.
    QCOMPARE(runCli(QStringList{u"blinker-route"_s, u"12"_s, u"--port"_s, device.port(), u"--trace"_s, mFolder.path()}
                    + programDir()).exitCode,
             1);

    const CliRun missing = runCli(QStringList{u"blinker-route"_s, u"12"_s, u"--port"_s, u"/dev/tirvela-none"_s} + programDir());
    QCOMPARE(missing.exitCode, 1);
    QVERIFY2(missing.err.contains(u"Ошибка открытия /dev/tirvela-none !"_s), qPrintable(missing.err));
}

void DeviceCliTest::blinkerProgram()
{
    auto project = std::make_unique<Project>();
    project->routeCount = 1;
    project->boards[0].routes[0].routeNumberText = "12";
    project->boards[0].routes[0].elements.push_back({2, 0, 0, "12", 0, 0});
    NoLog log;
    const QString projectFile = path(u"route.stm"_s);
    QVERIFY(buildProjectFile(*project, SoundTable(), projectFile, log, BuildMode::ProjectFile).ok());

    Emulator device({u"blinker"_s});
    Cli cli(QStringList{u"blinker-program"_s, projectFile, u"--port"_s, device.port()} + programDir());
    QVERIFY(device.waitForLog(u"board 1 chunk 0"_s, 5000));
    // The Ctrl+C comes in the pause after a frame, where the worker reports nothing (after the
    // last frame of the last board it reported success): no further frame goes out.
    cli.interrupt();
    const CliRun run = cli.finish(3000);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.out.contains(u"Табло 1 из 3 · 16x28x4"_s), qPrintable(run.out));
    QVERIFY2(run.err.contains(u"Прервано"_s), qPrintable(run.err));
    QVERIFY2(device.stop().contains(u"traffic: received 75 bytes"_s), qPrintable(device.log()));

    const CliRun missing = runCli(QStringList{u"blinker-program"_s, path(u"none.stm"_s), u"--port"_s, device.port()} + programDir());
    QCOMPARE(missing.exitCode, 1);
    QVERIFY(!missing.err.isEmpty());
}

QTEST_GUILESS_MAIN(DeviceCliTest)
#include "test_devicecli.moc"
