#pragma once

#include "project/project.h"

#include <QByteArrayView>

namespace tirvela {

// The route number a board image stores: the text read as hexadecimal, low 16 bits; 0 when it is none.
quint16 routeNumberValue(QByteArrayView text);
// The text a stored route number comes back as: lower-case hexadecimal, no leading zeros.
QByteArray routeNumberText(quint16 value);

struct BoardImageBuildResult
{
    bool fits = true;
    int bytesOver = 0; // how many bytes the route table and element lists need beyond the image
};

// Lays out the route table and element lists of one board type into its image (filler 0xFF).
// Content that does not fit is not written; the result says by how much it is over.
BoardImageBuildResult buildBoardImage(Project &project, int boardRow);

// Trims the image (never below 512 bytes), stores its length and CRC; returns the stored byte count n.
int finaliseBoardImage(BoardImage &image);

// The byte count a finalised image occupies in a file: its stored length + 4.
int storedBoardImageSize(const BoardImage &image);

// Restores route number texts, element lists and pictures of every board type from the images.
void rebuildBoardContent(Project &project);

} // namespace tirvela
