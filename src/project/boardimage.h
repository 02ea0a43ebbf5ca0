#pragma once

#include "project/project.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

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

// Lays out the route table and element lists of one board type into `image` (filler 0xFF).
// Content that does not fit is not written; the result says by how much it is over.
BoardImageBuildResult buildBoardImage(const Project &project, int boardRow, BoardImage &image);

struct BoardImagesBuild
{
    BoardImages images{}; // finalised; meaningful only for board types whose content fits
    std::array<int, BoardTypeCount> bytesOver{}; // per board type: bytes beyond the image, 0 when it fits

    bool fits() const;
    // One line per board type whose content does not fit.
    QStringList problems() const;
};

// The three board images as a file stores them and the board is programmed with: built from the
// board content and finalised. The project is not changed.
BoardImagesBuild buildBoardImages(const Project &project);

// Trims the image (never below 512 bytes), stores its length and CRC; returns the stored byte count n.
int finaliseBoardImage(BoardImage &image);

// The byte count a finalised image occupies in a file: its stored length + 4.
int storedBoardImageSize(const BoardImage &image);

// Restores route number texts, element lists and pictures of every board type from the images.
// A file keeps one number per route (the images share the first board type's numbers), so every
// board type takes the first one's route number texts: the project is what a save would give back.
void rebuildBoardContent(Project &project);

} // namespace tirvela
