#pragma once

#include "common/status.h"
#include "project/project.h"

#include <QString>
#include <QStringList>

namespace tirvela {

// The board data file of a board type row for projects of the older layout:
// "blinker4_16.hex", "blinker4_20.hex", or none (an empty name) for the third row.
QString boardDataFileName(int boardRow);

// Fills a board image from an Intel HEX board data file: the image is set to 0xFF, then every
// byte of a data record goes to its board address - 64; bytes outside the image are dropped.
// An end-of-file record ends the reading; other record types and lines that do not follow the
// grammar (lines longer than 62 characters included) are skipped silently; checksums are not
// verified. Fails and leaves the image as it was when the file cannot be opened; only a regular
// file of at most 1 MiB (far more than any board memory needs) is read. The failure's message
// tells why, naming the file, unless there simply is no such file (then it is empty); its reason
// is the system's.
Status loadBoardDataFile(BoardImage &image, const QString &path);

// Fills the three board images of an older-layout project from the board data files in a folder.
// An image without a data file (the third one always) is zero-filled, which holds no route,
// so that no board content of an earlier project stays behind. Returns one line for the message
// log for each data file that is missing or cannot be read, naming it.
QStringList loadBoardDataFiles(Project &project, const QString &folder);

} // namespace tirvela
