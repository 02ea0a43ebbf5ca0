#include "device/serialport.h"

#include <QFile>
#include <QThread>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#include <cerrno>
#include <termios.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <linux/serial.h>
#endif

namespace tirvela {

namespace {

// How long a USB adapter may still hold bytes after its driver reports them sent.
constexpr qint64 kAdapterLatencyMs = 20;

// Bytes still waiting in the driver's output queue, where the platform tells.
qint64 driverOutputQueue([[maybe_unused]] qintptr handle)
{
#ifdef Q_OS_UNIX
    int queued = 0;
    if (::ioctl(int(handle), TIOCOUTQ, &queued) == 0)
        return queued;
#endif
    return 0;
}

// The sum of the line error counters, or nothing where the driver keeps none (a pseudo-terminal).
std::optional<quint64> lineErrorCount([[maybe_unused]] qintptr handle)
{
#ifdef Q_OS_LINUX
    serial_icounter_struct counters{};
    if (::ioctl(int(handle), TIOCGICOUNT, &counters) == 0)
        return quint64(counters.frame) + quint64(counters.overrun) + quint64(counters.parity)
               + quint64(counters.brk) + quint64(counters.buf_overrun);
#endif
    return std::nullopt;
}

QString permissionNote([[maybe_unused]] const QString &devicePath)
{
#ifdef Q_OS_UNIX
    const QString path = devicePath.startsWith(u'/') ? devicePath : QStringLiteral("/dev/") + devicePath;
    const QByteArray nativePath = QFile::encodeName(path);
    if (::access(nativePath.constData(), F_OK) == 0 && ::access(nativePath.constData(), R_OK | W_OK) != 0
        && errno == EACCES) {
        return QStringLiteral(" (нет прав на ") + path
               + QStringLiteral(": пользователь должен входить в группу dialout)");
    }
#endif
    return {};
}

} // namespace

SerialPort::~SerialPort()
{
    close();
}

bool SerialPort::open(const QString &devicePath, Access access)
{
    close();
    mOpenFailureNote.clear();
    mPort.setPortName(devicePath);
    if (!mPort.open(access == Access::ReadWrite ? QIODevice::ReadWrite : QIODevice::WriteOnly)) {
        mOpenFailureNote = permissionNote(devicePath);
        mPort.clearError();
        return false;
    }
    mBaud = mPort.baudRate();
    mLineErrorCount = lineErrorCount(mPort.handle()).value_or(0);
    return true;
}

bool SerialPort::applyMode(LineMode &record, QStringView modeText)
{
    if (!mPort.isOpen() || !readModeString(modeText, record) || record.baud <= 0)
        return false;
    waitForOutputSettled();
    const bool applied = mPort.setBaudRate(record.baud) && mPort.setDataBits(record.dataBits)
                         && mPort.setParity(record.parity) && mPort.setStopBits(record.stopBits)
                         && mPort.setFlowControl(QSerialPort::NoFlowControl);
    if (applied) {
        mBaud = record.baud;
        mPort.setDataTerminalReady(false);
        mPort.setRequestToSend(false);
    }
    mPort.clearError();
    return applied;
}

void SerialPort::purge()
{
    if (mPort.isOpen())
        mPort.clear(QSerialPort::AllDirections);
    mPort.clearError();
}

qint64 SerialPort::write(QByteArrayView bytes)
{
    if (!mPort.isOpen() || bytes.isEmpty())
        return 0;
    const qint64 accepted = mPort.write(bytes.data(), bytes.size());
    if (accepted <= 0) {
        mPort.clearError();
        return 0;
    }
    const QDeadlineTimer deadline(1000 + 2 * wireTimeMs(accepted));
    while (mPort.bytesToWrite() > 0 && !deadline.hasExpired()) {
        if (!mPort.waitForBytesWritten(int(deadline.remainingTime())))
            break;
    }
    const qint64 left = mPort.bytesToWrite();
    if (left > 0)
        mPort.clear(QSerialPort::Output); // what the driver did not take must not go out later
    mPort.clearError();
    mOutputSettled.setRemainingTime(wireTimeMs(accepted - left) + kAdapterLatencyMs);
    return accepted - left;
}

SerialPort::ReadResult SerialPort::timedRead(int maximum, int timeoutMs, QByteArrayView stopCharacters)
{
    ReadResult result;
    if (!mPort.isOpen())
        return result;
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (lineErrorsSinceLastLook())
            result.lineError = true;
        const qint64 room = maximum - result.bytes.size();
        if (room > 0 && mPort.bytesAvailable() > 0 && waitForOutputDrained(deadline)) {
            const QByteArray chunk = mPort.read(std::min(room, mPort.bytesAvailable()));
            result.bytes += chunk;
            const bool stop = std::any_of(chunk.cbegin(), chunk.cend(),
                                          [&](char byte) { return stopCharacters.contains(byte); });
            if (stop)
                break;
        }
        if (deadline.hasExpired())
            break;
        mPort.clearError();
        if (!mPort.waitForReadyRead(int(deadline.remainingTime())) && mPort.error() != QSerialPort::TimeoutError
            && mPort.error() != QSerialPort::NoError) {
            mPort.clearError();
            return result;
        }
    }
    result.ok = true;
    return result;
}

void SerialPort::close()
{
    if (mPort.isOpen()) {
        waitForOutputSettled();
        mPort.close();
    }
    mPort.clearError();
}

qint64 SerialPort::wireTimeMs(qint64 bytes) const
{
    return mBaud > 0 ? (bytes * 10 * 1000 + mBaud - 1) / mBaud : 0;
}

bool SerialPort::waitForOutputDrained(const QDeadlineTimer &deadline)
{
    for (;;) {
        const qint64 queued = mPort.bytesToWrite() + driverOutputQueue(mPort.handle());
        if (queued <= 0)
            return true;
        const qint64 remaining = deadline.remainingTime();
        if (remaining <= 0)
            return false;
        QThread::msleep(std::clamp<qint64>(wireTimeMs(queued), 1, remaining));
    }
}

void SerialPort::waitForOutputSettled()
{
#ifdef Q_OS_UNIX
    ::tcdrain(int(mPort.handle()));
#endif
    const qint64 remaining = mOutputSettled.remainingTime();
    if (remaining > 0)
        QThread::msleep(quint64(remaining));
}

bool SerialPort::lineErrorsSinceLastLook()
{
    const std::optional<quint64> count = lineErrorCount(mPort.handle());
    if (!count || *count == mLineErrorCount)
        return false;
    mLineErrorCount = *count;
    return true;
}

} // namespace tirvela
