#include "common/blockwriter.h"

#include "common/savefile.h"

#include <QFileDevice>

#include <algorithm>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tirvela {

namespace {

constexpr qsizetype kBlockSize = 1 << 20;
// How much is written before the system is asked to start putting it on the disk.
constexpr qint64 kWritebackStep = 4 << 20;

} // namespace

BlockWriter::BlockWriter(QFileDevice &file) : mFile(file), mFlushed(file.pos()), mWrittenBack(mFlushed)
{
    mBuffer.reserve(kBlockSize);
}

bool BlockWriter::append(QByteArrayView bytes)
{
    if (mBuffer.size() + bytes.size() <= kBlockSize) {
        mBuffer.append(bytes);
        return true;
    }
    if (!flush())
        return false;
    if (bytes.size() < kBlockSize) {
        mBuffer.append(bytes);
        return true;
    }
    // A block of its own needs no copy into the buffer.
    if (!writeFully(mFile, bytes))
        return false;
    mFlushed += bytes.size();
    startWriteback();
    return true;
}

bool BlockWriter::flush()
{
    if (mBuffer.isEmpty())
        return true;
    if (!writeFully(mFile, mBuffer))
        return false;
    mFlushed += mBuffer.size();
    startWriteback();
    // resize, not clear: clear() would give back the block, and the next append grow it again.
    mBuffer.resize(0);
    return true;
}

bool BlockWriter::overwrite(qint64 offset, QByteArrayView bytes)
{
    if (offset >= mFlushed) {
        std::copy(bytes.begin(), bytes.end(), mBuffer.begin() + (offset - mFlushed));
        return true;
    }
    return flush() && mFile.seek(offset) && writeFully(mFile, bytes) && mFile.seek(mFlushed);
}

BlockWriter::Copy BlockWriter::copyFrom(QFileDevice &source, qint64 offset, qint64 size)
{
    // Small stretches are cheaper to gather in the buffer than to copy with a flush of their own.
    if (size >= kBlockSize / 16 && mKernelCopyWorks) {
        if (!flush())
            return Copy::WriteFailed;
        if (kernelCopy(source, offset, size) && size == 0)
            return mFile.seek(mFlushed) ? Copy::Done : Copy::WriteFailed;
        // Whatever the kernel did not copy goes the ordinary way, which also finds out why it
        // stopped: a short source, or a write error with its reason.
        if (!mFile.seek(mFlushed))
            return Copy::WriteFailed;
    }
    return copyThroughBuffer(source, offset, size);
}

// Copies what it can of `size` bytes from `offset` by copy_file_range, advancing both; false when
// the system cannot copy these files so (another file system, an old kernel) or a copy failed.
bool BlockWriter::kernelCopy(QFileDevice &source, qint64 &offset, qint64 &size)
{
#ifdef Q_OS_LINUX
    loff_t in = offset;
    loff_t out = mFlushed;
    while (size > 0) {
        const ssize_t copied = ::copy_file_range(source.handle(), &in, mFile.handle(), &out, size_t(size), 0);
        if (copied <= 0) {
            // Nothing copied at all: this pair of files cannot be copied so; later copies go the
            // ordinary way at once.
            if (copied < 0 && out == mFlushed)
                mKernelCopyWorks = false;
            break;
        }
        size -= copied;
    }
    offset = in;
    mFlushed = out;
    startWriteback();
    return size == 0;
#else
    Q_UNUSED(source);
    Q_UNUSED(offset);
    Q_UNUSED(size);
    mKernelCopyWorks = false;
    return false;
#endif
}

// Asks the system to start writing out each few megabytes as they are written, without waiting
// for it: the disk then works while the rest is built, and the sync at the end waits for the last
// stretch only, not for the whole file. A hint only; whatever it does not start, the sync does.
void BlockWriter::startWriteback()
{
#ifdef Q_OS_LINUX
    if (mFlushed - mWrittenBack < kWritebackStep)
        return;
    ::sync_file_range(mFile.handle(), mWrittenBack, mFlushed - mWrittenBack, SYNC_FILE_RANGE_WRITE);
    mWrittenBack = mFlushed;
#endif
}

BlockWriter::Copy BlockWriter::copyThroughBuffer(QFileDevice &source, qint64 offset, qint64 size)
{
    if (!source.seek(offset))
        return Copy::ReadFailed;
    while (size > 0) {
        if (mBuffer.size() == kBlockSize && !flush())
            return Copy::WriteFailed;
        const qsizetype room = kBlockSize - mBuffer.size();
        const qsizetype at = mBuffer.size();
        mBuffer.resize(at + qsizetype(std::min<qint64>(room, size)));
        const qint64 got = source.read(mBuffer.data() + at, mBuffer.size() - at);
        if (got <= 0) {
            mBuffer.resize(at);
            return Copy::ReadFailed;
        }
        mBuffer.resize(at + qsizetype(got));
        size -= got;
    }
    return Copy::Done;
}

} // namespace tirvela
