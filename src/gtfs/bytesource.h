#pragma once

#include <QString>
#include <QtGlobal>

namespace tirvela {

// A stream of bytes read in chunks: a file of a feed folder or a member of a feed archive.
class ByteSource
{
public:
    virtual ~ByteSource() = default;
    // Reads up to `size` bytes into `data`: the count read, 0 at the end, -1 on a failure (error() says why).
    virtual qint64 read(char *data, qint64 size) = 0;
    virtual QString error() const = 0;
    // The size the whole stream will have, for progress; -1 when not known.
    virtual qint64 size() const = 0;
    // Whether a read ahead on a thread of its own pays: it does where the bytes are only copied, as
    // from a file; where each costs far more to make than to scan, the scan waits for every chunk.
    virtual bool paysToReadAhead() const { return true; }
};

} // namespace tirvela
