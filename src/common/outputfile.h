#pragma once

#include "common/status.h"

#include <QStringList>

namespace tirvela {

// Whether the program may write a file at `path`, with the message why not. Refused are
// an existing thing there that is not a regular file (a folder, a device, a FIFO, a socket:
// a save would put a regular file in its place), and a file that is one of `inputs` itself,
// found by identity, so also through a link, a hard link or another spelling of the path.
// A link to a regular file may be written: the file it points to is replaced.
Status checkOutputFile(const QString &path, const QStringList &inputs = {});

} // namespace tirvela
