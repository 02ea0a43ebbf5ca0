#include "gtfs/readahead.h"

#include <new>
#include <system_error>

namespace tirvela {

namespace {

// A source smaller than a chunk gets a buffer of its size, one byte more to see its end in one read.
qsizetype fittedChunk(qint64 sourceSize, qsizetype chunkBytes)
{
    return qMax<qsizetype>(sourceSize >= 0 && sourceSize < chunkBytes ? qsizetype(sourceSize) + 1 : chunkBytes, 1);
}

} // namespace

ReadAhead::ReadAhead(ByteSource &source, qsizetype chunkBytes)
    : mSource{source}, mChunkBytes{fittedChunk(source.size(), chunkBytes)}, mHeadroom{qMax<qsizetype>(mChunkBytes / 16, 1)}
{
    // A source of a few chunks is read where they are taken: starting a thread and waking it for
    // each chunk would cost more than the overlap saves.
    const qint64 size = source.size();
    if ((size >= 0 && size < qint64(chunkBytes) * MinThreadedChunks) || !source.paysToReadAhead())
        return;
    try {
        mThread = std::thread(&ReadAhead::run, this);
    } catch (const std::system_error &) {
        // Out of threads: the reader reads on its own thread, only without the overlap.
    }
}

ReadAhead::~ReadAhead()
{
    if (!mThread.joinable())
        return;
    {
        const std::lock_guard lock(mMutex);
        mStopping = true;
    }
    mChanged.notify_all();
    mThread.join();
}

void ReadAhead::run()
{
    std::unique_lock lock(mMutex, std::defer_lock);
    try {
        lock.lock();
        for (;;) {
            mChanged.wait(lock, [this] { return mStopping || !mFree.empty() || mUnmade > 0; });
            if (mStopping || !readOne(lock))
                return;
        }
    } catch (const std::bad_alloc &) {
        // An exception leaving this thread would end the program: the scan meets the failure
        // instead, as if it had run out of memory itself.
        if (!lock.owns_lock())
            lock.lock();
        mOutOfMemory = true;
        mChanged.notify_all();
    }
}

bool ReadAhead::readOne(std::unique_lock<std::mutex> &lock)
{
    QByteArray buffer;
    if (mFree.empty()) {
        --mUnmade;
    } else {
        buffer = std::move(mFree.back());
        mFree.pop_back();
    }
    lock.unlock();
    if (buffer.size() < mHeadroom + mChunkBytes)
        buffer.resize(mHeadroom + mChunkBytes);
    char *data = buffer.data() + mHeadroom;
    qint64 count = 0;
    qint64 result = 1;
    while (count < mChunkBytes && result > 0) {
        result = mSource.read(data + count, mChunkBytes - count);
        count += qMax<qint64>(result, 0);
    }
    const QString error = result < 0 ? mSource.error() : QString();
    lock.lock();
    if (count > 0)
        mFilled.push_back({std::move(buffer), count});
    else
        mFree.push_back(std::move(buffer));
    if (result <= 0) {
        mLast = result < 0 ? -1 : 0;
        mError = error;
    }
    mChanged.notify_all();
    return result > 0;
}

ReadAhead::Chunk ReadAhead::take()
{
    std::unique_lock lock(mMutex);
    if (mThread.joinable())
        mChanged.wait(lock, [this] { return !mFilled.empty() || mLast <= 0 || mOutOfMemory; });
    else if (mFilled.empty() && mLast > 0)
        readOne(lock);
    if (mFilled.empty() && mOutOfMemory)
        throw std::bad_alloc();
    if (mFilled.empty())
        return {QByteArray(), mLast};
    Chunk chunk = std::move(mFilled.front());
    mFilled.pop_front();
    return chunk;
}

void ReadAhead::giveBack(QByteArray buffer)
{
    if (buffer.isNull())
        return;
    {
        const std::lock_guard lock(mMutex);
        mFree.push_back(std::move(buffer));
    }
    mChanged.notify_all();
}

QString ReadAhead::error() const
{
    const std::lock_guard lock(mMutex);
    return mError;
}

} // namespace tirvela
