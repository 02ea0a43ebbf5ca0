#pragma once

#include <QByteArray>
#include <QByteArrayView>

class QFileDevice;

namespace tirvela {

// Writes a file front to back in large blocks: appended bytes gather in a buffer that goes out in
// one write when it is full, and a stretch of another file is copied by the kernel where the
// system can (copy_file_range; on the same file system without passing through this process),
// else read and written through the buffer. Each few megabytes written are handed to the disk at
// once, so that a sync at the end has little left to wait for. A write that fails leaves the
// system's reason in the file's errorString().
class BlockWriter
{
public:
    enum class Copy { Done, ReadFailed, WriteFailed };

    // Appends from the file's current position; the file is open for writing, best unbuffered.
    explicit BlockWriter(QFileDevice &file);
    BlockWriter(const BlockWriter &) = delete;
    BlockWriter &operator=(const BlockWriter &) = delete;

    bool append(QByteArrayView bytes);
    // Appends `size` bytes of `source` from `offset` on; ReadFailed when the source ends before them.
    Copy copyFrom(QFileDevice &source, qint64 offset, qint64 size);
    // Writes `bytes` over what was appended at `offset`; appends go on where they were.
    bool overwrite(qint64 offset, QByteArrayView bytes);
    // Writes out what the buffer holds; the file's position is then the end of what was appended.
    bool flush();

    qint64 position() const { return mFlushed + mBuffer.size(); }

private:
    bool kernelCopy(QFileDevice &source, qint64 &offset, qint64 &size);
    Copy copyThroughBuffer(QFileDevice &source, qint64 offset, qint64 size);
    void startWriteback();

    QFileDevice &mFile;
    QByteArray mBuffer;
    qint64 mFlushed; // file offset of the buffer's first byte
    qint64 mWrittenBack; // where the last write-out the system was asked for ended
    bool mKernelCopyWorks = true;
};

} // namespace tirvela
