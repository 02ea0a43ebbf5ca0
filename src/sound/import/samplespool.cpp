#include "sound/import/samplespool.h"

#include "common/savefile.h"

namespace tirvela {

namespace {

constexpr size_t kPiece = 16384; // samples written at a time

} // namespace

bool SampleSpool::open()
{
    mPending.reserve(kPiece);
    return mFile.open();
}

bool SampleSpool::writePending()
{
    const auto bytes = qsizetype(mPending.size() * sizeof(float));
    // writeFully: a short write (a full disk) is tried again, so that the error keeps its reason.
    const bool written = writeFully(mFile, QByteArrayView(reinterpret_cast<const char *>(mPending.data()), bytes));
    mPending.clear();
    return written;
}

bool SampleSpool::append(const std::vector<float> &samples)
{
    for (size_t done = 0; done < samples.size();) {
        const size_t count = std::min(samples.size() - done, kPiece - mPending.size());
        mPending.insert(mPending.end(), samples.begin() + qsizetype(done), samples.begin() + qsizetype(done + count));
        done += count;
        if (mPending.size() == kPiece && !writePending())
            return false;
    }
    return true;
}

bool SampleSpool::seek(qint64 sample)
{
    return writePending() && mFile.seek(sample * qint64(sizeof(float)));
}

bool SampleSpool::read(qint64 count, std::vector<float> &samples)
{
    samples.resize(size_t(count));
    const qint64 wanted = count * qint64(sizeof(float));
    return mFile.read(reinterpret_cast<char *>(samples.data()), wanted) == wanted;
}

} // namespace tirvela
