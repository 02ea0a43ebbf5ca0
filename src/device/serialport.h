#pragma once

#include "device/linemode.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QSerialPort>
#include <QString>

namespace tirvela {

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

    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort &) = delete;
    SerialPort &operator=(const SerialPort &) = delete;

    bool open(const QString &devicePath, Access access);
    // After a failed open: a note to add to the flow's message when the cause is one the user
    // can mend (no permission on the device), or an empty text.
    QString openFailureNote() const { return mOpenFailureNote; }

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

    QSerialPort mPort;
    QString mOpenFailureNote;
    qint32 mBaud = 0;
    QDeadlineTimer mOutputSettled;
    quint64 mLineErrorCount = 0;
};

} // namespace tirvela
