#pragma once

#include <QString>
#include <QtGlobal>

class QFile;

namespace tirvela {

struct FileOpenResult
{
    enum class Status {
        Opened,
        Failed,     // the system refused: no such file, no permission, ...
        NotRegular, // a folder, a device, a FIFO or a socket (a link counts as what it points to)
        TooLarge,   // larger than the bound the caller gave
    };
    Status status = Status::Opened;
    QString reason; // for every status but Opened: why, in the system's words where it has them
    qint64 size = 0;

    bool ok() const { return status == Status::Opened; }
};

// Opens a file the program reads, only when it is a regular file of at most `maxSize` bytes
// (no bound when negative), so that a FIFO or a device given by mistake can neither hang a
// command nor feed it bytes without end. The file is checked as it is opened, not before, so it
// cannot be swapped in between. The QFile keeps no name afterwards: callers name the file
// in messages from the path they gave.
FileOpenResult openRegularFile(QFile &file, const QString &path, qint64 maxSize = -1);

// A size in bytes as messages give it: "1 МБ", "4 ГБ", "512 байт".
QString sizeText(qint64 bytes);

} // namespace tirvela
