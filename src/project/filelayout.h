#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace tirvela {

// The layout project files and flash images share. The header is one 32-byte record of the file
// and one per route; the board block follows it, or in the older layout three 320-byte route
// pictures per route.
inline constexpr int kHeaderRecordSize = 32;
inline constexpr int kRoutePictureSize = 320;
inline constexpr int kRoutePictureStride = 3 * kRoutePictureSize;
inline constexpr int kBoardBlockHead = 4; // block length (3 bytes) and image count
inline constexpr int kBoardImageHead = 3; // board type id and image length

// Numbers of `size` bytes (1 to 4), least significant byte first, as the files and the board's
// memory store them.
inline quint32 readLe(QByteArrayView bytes, qsizetype offset, int size)
{
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | quint8(bytes[offset + i]);
    return value;
}

template <typename Byte>
void putLe(Byte *at, quint32 value, int size)
{
    for (int i = 0; i < size; ++i)
        at[i] = Byte(value >> (8 * i));
}

inline void appendLe(QByteArray &bytes, quint32 value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.append(char(value >> (8 * i)));
}

} // namespace tirvela
