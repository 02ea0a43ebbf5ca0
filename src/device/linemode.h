#pragma once

#include <QSerialPort>
#include <QStringView>

namespace tirvela {

// The line settings a port is given: the record a mode string is applied onto. A key the string
// leaves out keeps the record's value; a fresh record has no speed, so a string without "baud="
// cannot be applied to it.
struct LineMode
{
    qint32 baud = 0;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;

    bool operator==(const LineMode &) const = default;
};

// Reads a mode string ("baud=4800 parity=N data=8 stop=1") onto a copy of the record.
// Keys and letters are matched without regard to case; the speed is one serial ports run at
// (110 to 921600 baud, the usual steps), parity is N, E, O, M or S, data bits
// 5 to 8, stop bits 1, 1.5 or 2. The switches of the same syntax that only turn flow control
// and handshake lines off ("to", "xon", "odsr", "octs", "dtr", "rts", "idsr" set to "off") are
// accepted and change nothing. Returns false, leaving the record alone, on anything else.
bool readModeString(QStringView text, LineMode &record);

// The fixed line mode of the route-number board.
inline constexpr QStringView kBlinkerLineMode = u"baud=4800 parity=N data=8 stop=1";

} // namespace tirvela
