#pragma once

#include "device/linemode.h"
#include "device/lowlatency.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QSerialPort>
#include <QString>

namespace tirvela {

class DeviceTrace;

// One serial port held by one device flow for the length of that flow, used without an event
// loop: every call waits on the port itself, with a deadline. Ports are opened exclusively, so a
// second opener (this program or another one) fails. Closed by the destructor on every way out.
class SerialPort
{
public:
    enum class Access { ReadWrite, WriteOnly };

    struct ReadResult
    {
        bool ok = false;
        QByteArray bytes;
        bool lineError = false; // parity, framing, overrun or break seen while reading
    };

    // `trace`, when given, records everything done on the port.
    explicit SerialPort(DeviceTrace *trace = nullptr) : mTrace(trace) {}
    ~SerialPort();
    SerialPort(const SerialPort &) = delete;
    SerialPort &operator=(const SerialPort &) = delete;

    // Opens the device exclusively and asks its driver for low latency (see LowLatencyRequest).
    bool open(const QString &devicePath, Access access);
    // After a failed open: the cause as the system gives it, in the user's words, to add to the
    // flow's message: no such device (not plugged in), no permission (with the group to join),
    // held by another program, or the system's own text.
    QString openFailureNote() const { return mOpenFailureNote; }
    // True when the driver took the low-latency request at open.
    bool lowLatency() const { return mLowLatency; }
    // Once a read or write found the device gone (an adapter unplugged, the line hung up): the
    // note for the flow's message, with the system's text; empty while the device is there.
    QString goneNote() const { return mGoneNote; }

    // Reads the mode string onto the record and gives the port those settings, with no flow
    // control and DTR and RTS not asserted (a pseudo-terminal has no such lines: not an error).
    // False when the string cannot be read or the port refuses the settings.
    bool applyMode(LineMode &record, QStringView modeText);

    // Drops whatever waits in the input and output queues.
    void purge();

    // Writes the bytes and returns once the driver has taken them: the count taken, short when
    // the port fails or does not take them within a deadline sized to the line speed.
    qint64 write(QByteArrayView bytes);

    // Collects at most `maximum` bytes for `timeoutMs`. Incoming bytes are taken only once
    // everything written has left the computer. Returns at once when the chunk just taken holds
    // one of the stop characters; a time-out is success with what arrived (maybe nothing).
    // Fails only when the port fails.
    ReadResult timedRead(int maximum, int timeoutMs, QByteArrayView stopCharacters = {});

    void close();
    bool isOpen() const { return mPort.isOpen(); }

private:
    // Milliseconds the line needs for `bytes` at the current speed, ten bits a byte.
    qint64 wireTimeMs(qint64 bytes) const;
    // Waits (sleeping, bounded by the deadline) until the output queue is empty; false on time-out.
    bool waitForOutputDrained(const QDeadlineTimer &deadline);
    // Returns once the bytes written last have left the computer and the adapter, so that
    // changing the line settings or closing the port cannot garble them.
    void waitForOutputSettled();
    bool lineErrorsSinceLastLook();
    // Notes a failure of the port: the device is gone when the system says so.
    void noteFailure(const char *operation);

    QSerialPort mPort;
    DeviceTrace *mTrace;
    LowLatencyRequest mLowLatencyRequest;
    bool mLowLatency = false;
    QString mOpenFailureNote;
    QString mGoneNote;
    qint32 mBaud = 0;
    QDeadlineTimer mOutputSettled;
    quint64 mLineErrorCount = 0;
};

} // namespace tirvela
