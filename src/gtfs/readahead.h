#pragma once

#include "gtfs/bytesource.h"

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace tirvela {

// Reads a source on a thread of its own, a chunk ahead of the one who scans it, so that the copy of
// the next chunk into the process overlaps the scan of this one. Chunks are handed over whole, in
// buffers that go round between the two threads, at most Buffers of them. Each chunk lies
// headroom() bytes into its buffer: the unfinished record at the end of the chunk before fits in
// front of it without moving the chunk. A source of fewer than MinThreadedChunks chunks, or one
// that does not pay to read ahead, is read without a thread.
class ReadAhead
{
public:
    static constexpr int Buffers = 3;
    static constexpr int MinThreadedChunks = 16;

    ReadAhead(ByteSource &source, qsizetype chunkBytes);
    // Stops the thread: waits for a read under way to return, never for the scan.
    ~ReadAhead();
    ReadAhead(const ReadAhead &) = delete;
    ReadAhead &operator=(const ReadAhead &) = delete;

    qsizetype headroom() const { return mHeadroom; }

    struct Chunk
    {
        QByteArray buffer; // the bytes read lie at [headroom(), headroom() + count)
        qint64 count = 0;  // 0: the source has ended; -1: it failed, error() tells why
    };
    // Waits for the next chunk; once the source has ended or failed, tells that again. Throws
    // std::bad_alloc, after the chunks read before, when the reading thread ran out of memory.
    Chunk take();
    // Hands the buffer of a chunk taken before back, to be filled again.
    void giveBack(QByteArray buffer);
    // Why the source failed, once take() told it.
    QString error() const;

private:
    void run();
    // Fills a free buffer from the source and hands it over; false once the source has ended or failed.
    bool readOne(std::unique_lock<std::mutex> &lock);

    ByteSource &mSource;
    const qsizetype mChunkBytes;
    const qsizetype mHeadroom;
    mutable std::mutex mMutex;
    std::condition_variable mChanged;
    std::vector<QByteArray> mFree;
    std::deque<Chunk> mFilled;
    int mUnmade = Buffers; // buffers not allocated yet
    qint64 mLast = 1;      // what ended the reading, 0 or -1; 1 while it goes on
    QString mError;
    bool mStopping = false;
    bool mOutOfMemory = false; // the reading thread stopped on an allocation failure
    std::thread mThread; // not joinable for a small source or when no thread could be started: take() reads then
};

} // namespace tirvela
