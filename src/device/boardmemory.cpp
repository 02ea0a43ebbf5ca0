#include "device/boardmemory.h"

#include "fonts/fonttable.h"
#include "common/crc16.h"

#include <algorithm>

namespace tirvela {

namespace {

// The fonts the board gets, in directory order, with the byte counts it expects of each.
struct BoardFont
{
    int number; // in the font table
    int bytes;
};

constexpr std::array<BoardFont, 5> kBoardFonts = {{{1, 1600}, {2, 2560}, {4, 400}, {5, 162}, {6, 1280}}};

constexpr int kDirectoryEnd = 64;
constexpr int kCrcOffset = kBoardMemorySize - 2;

void putLittleEndian32(BoardMemoryImage &memory, int offset, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        memory[offset + i] = quint8(value >> (8 * i));
}

} // namespace

BoardMemoryStatus buildBoardMemoryImage(const BoardImage &image, BoardMemoryImage &memory)
{
    if (std::equal(image.begin(), image.begin() + 4, "INTL"))
        return BoardMemoryStatus::NotBinary;
    const int imageBytes = (image[2] | image[3] << 8) + 4;
    // A stored length beyond the image itself only comes from a damaged file.
    if (imageBytes > BoardImageSize)
        return BoardMemoryStatus::DoesNotFit;

    memory.fill(0xFF);
    int offset = kDirectoryEnd + imageBytes;
    for (int entry = 0; entry < int(kBoardFonts.size()); ++entry) {
        const BoardFont &font = kBoardFonts[entry];
        if (offset + font.bytes > kCrcOffset)
            return BoardMemoryStatus::DoesNotFit;
        const FontEntry *fontEntry = fontByNumber(font.number);
        const QByteArrayView glyphs = fontEntry ? fontEntry->glyphData() : QByteArrayView();
        const QByteArrayView sent = glyphs.first(std::min<qsizetype>(glyphs.size(), font.bytes));
        std::copy(sent.begin(), sent.end(), memory.begin() + offset);
        putLittleEndian32(memory, 8 * entry, quint32(offset));
        putLittleEndian32(memory, 8 * entry + 4, quint32(font.bytes));
        offset += font.bytes;
    }
    std::copy(image.begin(), image.begin() + imageBytes, memory.begin() + kDirectoryEnd);
    const quint16 crc = crc16Xmodem(0, QByteArrayView(reinterpret_cast<const char *>(memory.data()), kCrcOffset));
    memory[kCrcOffset] = quint8(crc >> 8);
    memory[kCrcOffset + 1] = quint8(crc & 0xFF);
    return BoardMemoryStatus::Built;
}

void buildProgrammingFrame(int boardId, int chunk, const BoardMemoryImage &memory, ProgrammingFrame &frame)
{
    frame[0] = 0xFF;
    frame[1] = 'P';
    frame[2] = 'R';
    frame[3] = '2';
    frame[4] = 0x00;
    frame[5] = quint8(boardId);
    frame[6] = quint8(chunk);
    quint8 sum = 0;
    for (int i = 1; i <= 6; ++i)
        sum = quint8(sum + frame[i]);
    frame[7] = sum;
    frame[8] = 0xFF;
    const auto data = memory.begin() + kFrameDataSize * chunk;
    std::copy(data, data + kFrameDataSize, frame.begin() + 9);
    const quint16 crc = crc16Xmodem(0, QByteArrayView(reinterpret_cast<const char *>(frame.data() + 9), kFrameDataSize));
    frame[73] = quint8(crc >> 8);
    frame[74] = quint8(crc & 0xFF);
}

} // namespace tirvela
