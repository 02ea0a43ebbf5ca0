// The serial port over a pseudo-terminal: exclusive open, line settings as the far end sees them,
// the timed read, and what a dropped line does to every operation.

#include "device/lowlatency.h"
#include "device/serialport.h"
#include "devsim/ptylink.h"

#include <QElapsedTimer>
#include <QtTest>

#include <linux/serial.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <thread>

using namespace tirvela;

namespace {

// Writes to the far end of the line after a pause, from its own thread.
class DelayedWriter
{
public:
    DelayedWriter(int descriptor, int delayMs, QByteArray bytes)
        : mThread([=] {
              std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
              [[maybe_unused]] const ssize_t written = ::write(descriptor, bytes.constData(), size_t(bytes.size()));
          })
    {
    }
    ~DelayedWriter() { mThread.join(); }

private:
    std::thread mThread;
};

QByteArray readFarEnd(int descriptor)
{
    QByteArray bytes(4096, '\0');
    const ssize_t count = ::read(descriptor, bytes.data(), size_t(bytes.size()));
    bytes.resize(count > 0 ? count : 0);
    return bytes;
}

} // namespace

class SerialPortTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void openIsExclusive();
    void openFailureOfMissingDevice();
    void permissionNoteNamesTheGroup();
    void modeReachesTheLine();
    void writeReachesTheLine();
    void timedReadOnSilentLine();
    void timedReadStopsAtStopCharacter();
    void timedReadWithoutStopCharacterWaitsFullTime();
    void timedReadKeepsToMaximum();
    void droppedLineFailsEverything();
    void lowLatencyRequest_data();
    void lowLatencyRequest();
    void pseudoTerminalRefusesLowLatencySilently();

private:
    bool openAtFullSpeed()
    {
        return mPort->open(mLink->slavePath(), SerialPort::Access::ReadWrite) && mPort->applyMode(mRecord, u"baud=115200");
    }

    devsim::PtyLink *mLink = nullptr;
    SerialPort *mPort = nullptr;
    LineMode mRecord;
};

void SerialPortTest::init()
{
    mLink = new devsim::PtyLink;
    QVERIFY(mLink->open(nullptr));
    mPort = new SerialPort;
    mRecord = {};
}

void SerialPortTest::cleanup()
{
    delete mPort;
    delete mLink;
}

void SerialPortTest::openIsExclusive()
{
    QVERIFY(mPort->open(mLink->slavePath(), SerialPort::Access::ReadWrite));
    SerialPort second;
    QVERIFY(!second.open(mLink->slavePath(), SerialPort::Access::ReadWrite));
    QVERIFY(!second.open(mLink->slavePath(), SerialPort::Access::WriteOnly));
    mPort->close();
    QVERIFY(second.open(mLink->slavePath(), SerialPort::Access::WriteOnly));
}

void SerialPortTest::openFailureOfMissingDevice()
{
    QVERIFY(!mPort->open(QStringLiteral("/dev/tirvela-no-such-port"), SerialPort::Access::ReadWrite));
    QCOMPARE(mPort->openFailureNote(), QStringLiteral(" (устройство /dev/tirvela-no-such-port не найдено: не подключено?)"));
    QVERIFY(!mPort->isOpen());
}

void SerialPortTest::permissionNoteNamesTheGroup()
{
    if (::geteuid() == 0)
        QSKIP("the superuser may open any device");
    QTemporaryDir folder;
    const QString device = folder.filePath(QStringLiteral("ttyLocked"));
    QFile file(device);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(file.setPermissions(QFileDevice::Permissions()));
    QVERIFY(!mPort->open(device, SerialPort::Access::ReadWrite));
    QVERIFY2(mPort->openFailureNote().contains(QStringLiteral("dialout")), qPrintable(mPort->openFailureNote()));
}

void SerialPortTest::modeReachesTheLine()
{
    // A pseudo-terminal keeps 8 data bits without parity whatever it is told, so the speed and the
    // stop bits are what can be watched from the far end.
    QVERIFY(mPort->open(mLink->slavePath(), SerialPort::Access::ReadWrite));
    QVERIFY(mPort->applyMode(mRecord, u"baud=115200 parity=N data=8 stop=2"));
    QCOMPARE(mLink->lineSpeed(), 115200);
    termios settings{};
    QCOMPARE(::tcgetattr(mLink->masterDescriptor(), &settings), 0);
    QVERIFY(settings.c_cflag & CSTOPB);
    QVERIFY(!(settings.c_cflag & CRTSCTS));
    QVERIFY(!(settings.c_iflag & (IXON | IXOFF)));

    // The record carries the stop bits into the next switch; an unreadable string changes nothing.
    QVERIFY(mPort->applyMode(mRecord, u"baud=4800"));
    QCOMPARE(mLink->lineSpeed(), 4800);
    QVERIFY(!mPort->applyMode(mRecord, u"baud=9600 parity=?"));
    QCOMPARE(mLink->lineSpeed(), 4800);
    QCOMPARE(::tcgetattr(mLink->masterDescriptor(), &settings), 0);
    QVERIFY(settings.c_cflag & CSTOPB);

    // A fresh record has no speed: a string without one cannot be applied to it.
    LineMode fresh;
    QVERIFY(!mPort->applyMode(fresh, u"parity=N data=8 stop=1"));
}

void SerialPortTest::writeReachesTheLine()
{
    QVERIFY(mPort->open(mLink->slavePath(), SerialPort::Access::WriteOnly));
    QVERIFY(mPort->applyMode(mRecord, kBlinkerLineMode));
    const QByteArray bytes("\xff\x0d\xaf\x20\x20\x32\x31\x5f\xff", 9);
    QCOMPARE(mPort->write(bytes), qint64(9));
    QCOMPARE(readFarEnd(mLink->masterDescriptor()), bytes);
}

void SerialPortTest::timedReadOnSilentLine()
{
    QVERIFY(openAtFullSpeed());
    QElapsedTimer clock;
    clock.start();
    const SerialPort::ReadResult result = mPort->timedRead(9, 500, "R");
    const qint64 elapsed = clock.elapsed();
    QVERIFY(result.ok);
    QVERIFY(result.bytes.isEmpty());
    QVERIFY2(elapsed >= 495 && elapsed < 900, qPrintable(QString::number(elapsed)));
}

void SerialPortTest::timedReadStopsAtStopCharacter()
{
    QVERIFY(openAtFullSpeed());
    QElapsedTimer clock;
    clock.start();
    DelayedWriter writer(mLink->masterDescriptor(), 100, "\r\nW");
    const SerialPort::ReadResult result = mPort->timedRead(99, 2000, "WE");
    const qint64 elapsed = clock.elapsed();
    QVERIFY(result.ok);
    QCOMPARE(result.bytes, QByteArray("\r\nW"));
    QVERIFY2(elapsed >= 90 && elapsed < 1000, qPrintable(QString::number(elapsed)));
}

void SerialPortTest::timedReadWithoutStopCharacterWaitsFullTime()
{
    QVERIFY(openAtFullSpeed());
    QElapsedTimer clock;
    clock.start();
    DelayedWriter writer(mLink->masterDescriptor(), 50, "R?");
    const SerialPort::ReadResult result = mPort->timedRead(99, 400);
    QVERIFY(result.ok);
    QCOMPARE(result.bytes, QByteArray("R?"));
    QVERIFY2(clock.elapsed() >= 395, qPrintable(QString::number(clock.elapsed())));
}

void SerialPortTest::timedReadKeepsToMaximum()
{
    QVERIFY(openAtFullSpeed());
    QCOMPARE(::write(mLink->masterDescriptor(), "0123R56789", 10), ssize_t(10));
    // The stop character lies beyond the room: it is neither taken nor seen.
    QElapsedTimer clock;
    clock.start();
    SerialPort::ReadResult result = mPort->timedRead(4, 300, "R");
    QVERIFY(result.ok);
    QCOMPARE(result.bytes, QByteArray("0123"));
    QVERIFY(clock.elapsed() >= 295);
    result = mPort->timedRead(99, 300, "R");
    QCOMPARE(result.bytes, QByteArray("R56789"));
}

void SerialPortTest::droppedLineFailsEverything()
{
    QVERIFY(openAtFullSpeed());
    mLink->hangUp();
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!mPort->applyMode(mRecord, u"baud=4800"));
    QCOMPARE(mPort->write("write 0\r"), qint64(0));
    QVERIFY(!mPort->timedRead(9, 500, "R").ok);
    QVERIFY2(clock.elapsed() < 400, "a dead line must fail at once, not wait");
    mPort->close();
    QVERIFY(!mPort->isOpen());
}

void SerialPortTest::lowLatencyRequest_data()
{
    QTest::addColumn<int>("flags");          // the driver's flags before
    QTest::addColumn<bool>("getRefused");    // TIOCGSERIAL fails
    QTest::addColumn<bool>("setRefused");    // TIOCSSERIAL fails
    QTest::addColumn<bool>("granted");
    QTest::addColumn<QList<int>>("flagsSet"); // what TIOCSSERIAL was given, in order

    QTest::newRow("driver takes it and gets it back")
        << int(ASYNC_SKIP_TEST) << false << false << true
        << QList<int>{int(ASYNC_SKIP_TEST | ASYNC_LOW_LATENCY), int(ASYNC_SKIP_TEST)};
    QTest::newRow("already low latency: nothing set") << int(ASYNC_LOW_LATENCY) << false << false << true << QList<int>();
    QTest::newRow("driver keeps no flags") << 0 << true << false << false << QList<int>();
    QTest::newRow("driver refuses the change") << 0 << false << true << false << QList<int>{int(ASYNC_LOW_LATENCY)};
}

void SerialPortTest::lowLatencyRequest()
{
    QFETCH(int, flags);
    QFETCH(bool, getRefused);
    QFETCH(bool, setRefused);
    QList<int> flagsSet;
    LowLatencyRequest request([&](int descriptor, unsigned long code, void *argument) {
        auto *serial = static_cast<serial_struct *>(argument);
        if (descriptor != 7)
            return -1;
        if (code == TIOCGSERIAL) {
            serial->flags = flags;
            return getRefused ? -1 : 0;
        }
        if (code == TIOCSSERIAL) {
            flagsSet << serial->flags;
            if (setRefused)
                return -1;
            flags = serial->flags;
            return 0;
        }
        return -1;
    });
    QTEST(request.apply(7), "granted");
    request.restore();
    request.restore(); // once only
    QTEST(flagsSet, "flagsSet");
}

void SerialPortTest::pseudoTerminalRefusesLowLatencySilently()
{
    // A pseudo-terminal keeps no serial flags: the port opens and works without low latency.
    QVERIFY(openAtFullSpeed());
    QVERIFY(!mPort->lowLatency());
    QCOMPARE(mPort->write("ping"), qint64(4));
    QCOMPARE(readFarEnd(mLink->masterDescriptor()), QByteArray("ping"));
    mPort->close();
    QVERIFY(!mPort->isOpen());
}

QTEST_GUILESS_MAIN(SerialPortTest)
#include "test_serialport.moc"
