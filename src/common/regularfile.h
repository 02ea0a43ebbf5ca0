#pragma once

#include "common/status.h"

#include <QString>
#include <QtGlobal>

class QFile;

namespace tirvela {

// Opens a file the program reads, only when it is a regular file of at most `maxSize` bytes
// (no bound when negative), so that a FIFO or a device given by mistake can neither hang a
// command nor feed it bytes without end. The file is checked as it is opened, not before, so it
// cannot be swapped in between. The QFile keeps no name afterwards: callers name the file
// in messages from the path they gave. Gives the file's size; a failure's reason says why (the
// system refused, it is a folder, a device, a FIFO or a socket, or it is larger than the bound),
// in the system's words where it has them, and the caller words the message. A reader that takes
// few, large or exactly sized pieces passes `unbuffered`: each read then goes straight into the
// caller's bytes, without a trip through the file's buffer.
enum class FileBuffering { Buffered, Unbuffered };
Result<qint64> openRegularFile(QFile &file, const QString &path, qint64 maxSize = -1,
                               FileBuffering buffering = FileBuffering::Buffered);

// A size in bytes as messages give it: "1 МБ", "4 ГБ", "512 байт".
QString sizeText(qint64 bytes);

} // namespace tirvela
