#pragma once

#include "project/project.h"

#include <array>

namespace tirvela {

// What the route-number board holds for one board type: the font directory, the board image at
// board address 64, the five board fonts and a CRC in the last two bytes.
constexpr int kBoardMemorySize = 8192;
constexpr int kFrameDataSize = 64;
constexpr int kFramesPerBoard = kBoardMemorySize / kFrameDataSize;
constexpr int kProgrammingFrameSize = 75;

using BoardMemoryImage = std::array<quint8, kBoardMemorySize>;
using ProgrammingFrame = std::array<quint8, kProgrammingFrameSize>;

enum class BoardMemoryStatus {
    Built,
    NotBinary,  // the image is still in the text layout ("INTL")
    DoesNotFit, // the image and the fonts do not fit below the CRC
};

// Lays out the board memory for one board image. On failure the memory content is unspecified.
BoardMemoryStatus buildBoardMemoryImage(const BoardImage &image, BoardMemoryImage &memory);

// Frame `chunk` (0 to 127) of a board memory image for the board type `boardId`.
void buildProgrammingFrame(int boardId, int chunk, const BoardMemoryImage &memory, ProgrammingFrame &frame);

} // namespace tirvela
