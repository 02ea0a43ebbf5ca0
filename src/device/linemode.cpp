#include "device/linemode.h"

#include <QString>

#include <algorithm>
#include <array>
#include <iterator>

namespace tirvela {

namespace {

constexpr std::array<QStringView, 7> kOffOnlySwitches = {u"to", u"xon", u"odsr", u"octs", u"dtr", u"rts", u"idsr"};

bool readParity(QStringView value, QSerialPort::Parity &parity)
{
    if (value.size() != 1)
        return false;
    switch (value[0].toUpper().unicode()) {
    case 'N': parity = QSerialPort::NoParity; return true;
    case 'E': parity = QSerialPort::EvenParity; return true;
    case 'O': parity = QSerialPort::OddParity; return true;
    case 'M': parity = QSerialPort::MarkParity; return true;
    case 'S': parity = QSerialPort::SpaceParity; return true;
    default: return false;
    }
}

bool readStopBits(QStringView value, QSerialPort::StopBits &stopBits)
{
    if (value == u"1")
        stopBits = QSerialPort::OneStop;
    else if (value == u"1.5")
        stopBits = QSerialPort::OneAndHalfStop;
    else if (value == u"2")
        stopBits = QSerialPort::TwoStop;
    else
        return false;
    return true;
}

// The speeds serial ports run at. Any other number is a typing error; a speed of 1 would make
// every command take minutes on the wire.
constexpr int kBaudRates[] = {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200, 128000,
                              230400, 256000, 460800, 921600};

bool readPair(QStringView key, QStringView value, LineMode &mode)
{
    bool ok = false;
    if (key.compare(u"baud", Qt::CaseInsensitive) == 0) {
        const int baud = value.toInt(&ok);
        if (!ok || std::find(std::begin(kBaudRates), std::end(kBaudRates), baud) == std::end(kBaudRates))
            return false;
        mode.baud = baud;
        return true;
    }
    if (key.compare(u"parity", Qt::CaseInsensitive) == 0)
        return readParity(value, mode.parity);
    if (key.compare(u"data", Qt::CaseInsensitive) == 0) {
        const int bits = value.toInt(&ok);
        if (!ok || bits < 5 || bits > 8)
            return false;
        mode.dataBits = QSerialPort::DataBits(bits);
        return true;
    }
    if (key.compare(u"stop", Qt::CaseInsensitive) == 0)
        return readStopBits(value, mode.stopBits);
    for (QStringView name : kOffOnlySwitches) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value.compare(u"off", Qt::CaseInsensitive) == 0;
    }
    return false;
}

} // namespace

bool readModeString(QStringView text, LineMode &record)
{
    LineMode mode = record;
    for (QStringView pair : text.split(u' ', Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf(u'=');
        if (equals <= 0 || !readPair(pair.first(equals), pair.sliced(equals + 1), mode))
            return false;
    }
    record = mode;
    return true;
}

} // namespace tirvela
