#pragma once

#include <QByteArrayView>
#include <QtGlobal>

namespace tirvela {

// CRC-16/XMODEM: polynomial 0x1021, most significant bit first, no reflection, no final XOR.
// The board images start the register at 0, the Announcer's blocks at 0x3055.
constexpr quint16 crc16XmodemUpdate(quint16 crc, quint8 byte)
{
    crc ^= quint16(byte) << 8;
    for (int bit = 0; bit < 8; ++bit)
        crc = (crc & 0x8000) ? quint16((crc << 1) ^ 0x1021) : quint16(crc << 1);
    return crc;
}

constexpr quint16 crc16Xmodem(quint16 start, QByteArrayView bytes)
{
    quint16 crc = start;
    for (char byte : bytes)
        crc = crc16XmodemUpdate(crc, quint8(byte));
    return crc;
}

} // namespace tirvela
