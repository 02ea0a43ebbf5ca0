#pragma once

#include "common/status.h"

#include <QByteArrayView>
#include <QFile>
#include <QString>

namespace tirvela {

// A record of one or more device flows for diagnosing a device in the field: one line per event
// (line settings, bytes sent and received, protocol steps, time-outs, errors with the system's
// text), each with the time of day to the millisecond. Every line is handed to the system at
// once, so the record holds everything up to an unplugged adapter or a crash. Used by one thread
// at a time.
class DeviceTrace
{
public:
    enum class Mode { Replace, Append };

    // Opens the file; a failure has the system's text. Only a regular file (or a new one) is written.
    Status open(const QString &path, Mode mode);
    QString path() const { return mFile.fileName(); }

    // A heading for a flow: what it does, with the date.
    void begin(const QString &flow);
    // A protocol step or an outcome ("блок 0x400, CRC 0x1a2b", "прервано").
    void note(const QString &text);
    // Line settings, the port opened or closed.
    void line(const QString &text);
    void sent(QByteArrayView bytes);
    void received(QByteArrayView bytes);
    void timeout(int timeoutMs, qsizetype bytesReceived);
    void error(const QString &text);

    // The bytes as a reader can follow them: short runs as text with escapes, long ones as the
    // first bytes in hexadecimal.
    static QString printable(QByteArrayView bytes);

private:
    void write(char kind, const QString &text);

    QFile mFile;
};

} // namespace tirvela
