#include "device/serialport.h"

#include "common/systemreason.h"
#include "device/devicetrace.h"

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
// Room for what arrives between two reads: far more than any reply.
constexpr qint64 kReadBufferBytes = 4096;

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

QString nativeDevicePath(const QString &devicePath)
{
#ifdef Q_OS_UNIX
    return devicePath.startsWith(u'/') ? devicePath : QStringLiteral("/dev/") + devicePath;
#else
    return devicePath;
#endif
}

// Why an open failed, as a note for the user: the causes the user can do something about first.
QString openFailureNoteFor(const QString &devicePath, QSerialPort::SerialPortError error, const QString &systemText)
{
    const QString path = nativeDevicePath(devicePath);
    bool missing = error == QSerialPort::DeviceNotFoundError;
#ifdef Q_OS_UNIX
    const QByteArray nativePath = QFile::encodeName(path);
    missing = missing || ::access(nativePath.constData(), F_OK) != 0;
    if (!missing && ::access(nativePath.constData(), R_OK | W_OK) != 0 && errno == EACCES) {
        return QStringLiteral(" (нет прав на ") + path
               + QStringLiteral(": пользователь должен входить в группу dialout)");
    }
#endif
    if (missing)
        return QStringLiteral(" (устройство ") + path + QStringLiteral(" не найдено: не подключено?)");
    if (error == QSerialPort::PermissionError)
        return QStringLiteral(" (порт занят другой программой)");
    return QStringLiteral(" (") + russianReason(systemText) + u')';
}

QString lineModeText(const LineMode &mode)
{
    static constexpr char kParities[] = "N?EOSM"; // indexed by QSerialPort::Parity
    const QString stop = mode.stopBits == QSerialPort::OneStop        ? QStringLiteral("1")
                         : mode.stopBits == QSerialPort::OneAndHalfStop ? QStringLiteral("1.5")
                                                                        : QStringLiteral("2");
    return QStringLiteral("%1 бод, %2%3%4").arg(mode.baud).arg(int(mode.dataBits)).arg(QLatin1Char(kParities[mode.parity])).arg(stop);
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
    mGoneNote.clear();
    mPort.setPortName(devicePath);
    if (!mPort.open(access == Access::ReadWrite ? QIODevice::ReadWrite : QIODevice::WriteOnly)) {
        mOpenFailureNote = openFailureNoteFor(devicePath, mPort.error(), mPort.errorString());
        if (mTrace)
            mTrace->error(QStringLiteral("не открыт ") + devicePath + QStringLiteral(": ") + mPort.errorString());
        mPort.clearError();
        return false;
    }
    // A device that floods the line must not grow the memory: what the protocol's replies
    // cannot use waits in the driver, which drops it when full.
    mPort.setReadBufferSize(kReadBufferBytes);
    mLowLatency = mLowLatencyRequest.apply(int(mPort.handle()));
    if (mTrace) {
        mTrace->line(QStringLiteral("открыт ") + devicePath
                     + (access == Access::ReadWrite ? QStringLiteral(" для чтения и записи") : QStringLiteral(" для записи"))
                     + (mLowLatency ? QStringLiteral(", малая задержка драйвера") : QStringLiteral(", драйвер без малой задержки")));
    }
    mBaud = mPort.baudRate();
    mLineErrorCount = lineErrorCount(mPort.handle()).value_or(0);
    return true;
}

bool SerialPort::applyMode(LineMode &record, QStringView modeText)
{
    if (!mPort.isOpen())
        return false;
    if (!readModeString(modeText, record) || record.baud <= 0) {
        if (mTrace)
            mTrace->error(QStringLiteral("строка режима не прочитана: \"") + modeText.toString() + u'"');
        return false;
    }
    waitForOutputSettled();
    const bool applied = mPort.setBaudRate(record.baud) && mPort.setDataBits(record.dataBits)
                         && mPort.setParity(record.parity) && mPort.setStopBits(record.stopBits)
                         && mPort.setFlowControl(QSerialPort::NoFlowControl);
    if (applied) {
        mBaud = record.baud;
        mPort.setDataTerminalReady(false);
        mPort.setRequestToSend(false);
    }
    if (mTrace) {
        const QString text = QStringLiteral("режим \"") + modeText.toString() + QStringLiteral("\": ") + lineModeText(record);
        if (applied)
            mTrace->line(text);
        else
            mTrace->error(text + QStringLiteral(" не установлен: ") + mPort.errorString());
    }
    if (!applied)
        noteFailure("режим");
    mPort.clearError();
    return applied;
}

void SerialPort::purge()
{
    if (mPort.isOpen())
        mPort.clear(QSerialPort::AllDirections);
    if (mTrace)
        mTrace->line(QStringLiteral("очереди очищены"));
    mPort.clearError();
}

qint64 SerialPort::write(QByteArrayView bytes)
{
    if (!mPort.isOpen() || bytes.isEmpty())
        return 0;
    if (mTrace)
        mTrace->sent(bytes);
    const qint64 accepted = mPort.write(bytes.data(), bytes.size());
    if (accepted <= 0) {
        noteFailure("запись");
        mPort.clearError();
        return 0;
    }
    const QDeadlineTimer deadline(1000 + 2 * wireTimeMs(accepted));
    while (mPort.bytesToWrite() > 0 && !deadline.hasExpired()) {
        if (!mPort.waitForBytesWritten(int(deadline.remainingTime())))
            break;
    }
    const qint64 left = mPort.bytesToWrite();
    if (left > 0) {
        if (mTrace)
            mTrace->error(QStringLiteral("передано %1 из %2 байт").arg(accepted - left).arg(bytes.size()));
        noteFailure("запись");
        mPort.clear(QSerialPort::Output); // what the driver did not take must not go out later
    }
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
            if (mTrace)
                mTrace->received(chunk);
            result.bytes += chunk;
            const bool stop = std::any_of(chunk.cbegin(), chunk.cend(),
                                          [&](char byte) { return stopCharacters.contains(byte); });
            if (stop)
                break;
        }
        if (deadline.hasExpired()) {
            if (mTrace)
                mTrace->timeout(timeoutMs, result.bytes.size());
            break;
        }
        if (result.bytes.size() >= maximum) {
            // Nothing more may be taken: the rest of the time passes without reading, since
            // waiting for input that cannot be read would spin on a flooding line.
            QThread::msleep(quint64(std::max<qint64>(deadline.remainingTime(), 0)));
            continue;
        }
        mPort.clearError();
        if (!mPort.waitForReadyRead(int(deadline.remainingTime())) && mPort.error() != QSerialPort::TimeoutError
            && mPort.error() != QSerialPort::NoError) {
            noteFailure("чтение");
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
        mLowLatencyRequest.restore();
        mPort.close();
        if (mTrace)
            mTrace->line(QStringLiteral("закрыт"));
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

void SerialPort::noteFailure(const char *operation)
{
    const QString what = QString::fromUtf8(operation) + QStringLiteral(": ") + mPort.errorString();
    if (mTrace)
        mTrace->error(what);
    // The system reports an adapter unplugged or a line hung up as a failure of the resource.
    if (mPort.error() == QSerialPort::ResourceError && mGoneNote.isEmpty())
        mGoneNote = QStringLiteral(" (устройство отключено: ") + mPort.errorString() + u')';
}

bool SerialPort::lineErrorsSinceLastLook()
{
    const std::optional<quint64> count = lineErrorCount(mPort.handle());
    if (!count || *count == mLineErrorCount)
        return false;
    mLineErrorCount = *count;
    if (mTrace)
        mTrace->error(QStringLiteral("ошибка линии (чётность, кадр, переполнение или обрыв)"));
    return true;
}

} // namespace tirvela
