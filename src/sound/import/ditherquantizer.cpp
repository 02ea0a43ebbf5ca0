#include "sound/import/ditherquantizer.h"

#include <algorithm>
#include <numeric>

namespace tirvela {

namespace {

// Reduces `count` samples, at most one for each lane. The bytes are said not to be the samples
// or the lanes (the compiler must assume they could be, and would not run the lanes side by side).
template<size_t kLanes>
inline void reduceLanes(const float *samples, quint8 *__restrict bytes, size_t count, float gain,
                        std::array<quint32, kLanes> &randoms, std::array<int, kLanes> &lowest,
                        std::array<int, kLanes> &highest, std::array<qint64, kLanes> &clipped)
{
    for (size_t lane = 0; lane < count; ++lane) {
        quint32 random = randoms[lane];
        random ^= random << 13;
        random ^= random >> 17;
        random ^= random << 5;
        randoms[lane] = random;
        const float dither = float(int(random & 0xFFFF) - int(random >> 16)) * (1.0f / 65536.0f);
        // Rounded by truncation of a value made positive: 128.5 is silence plus one half.
        const float rounded = samples[lane] * gain + 128.5f;
        clipped[lane] += rounded < 0.0f || rounded >= 256.0f;
        const int level = int(std::min(std::max(rounded + dither, 0.0f), 255.0f));
        lowest[lane] = std::min(lowest[lane], level);
        highest[lane] = std::max(highest[lane], level);
        bytes[lane] = quint8(level);
    }
}

} // namespace

DitherQuantizer::DitherQuantizer(float gain) : mGain(gain * 128.0f)
{
    for (size_t lane = 0; lane < kLanes; ++lane)
        mRandom[lane] = 20240601u + 0x9E3779B9u * quint32(lane);
    mLowest.fill(128);
    mHighest.fill(128);
    mClipped.fill(0);
}

void DitherQuantizer::reduce(const std::vector<float> &samples, QByteArray &bytes)
{
    bytes.resize(qsizetype(samples.size()));
    auto *out = reinterpret_cast<quint8 *>(bytes.data());
    size_t i = 0;
    for (; i + kLanes <= samples.size(); i += kLanes)
        reduceLanes(samples.data() + i, out + i, kLanes, mGain, mRandom, mLowest, mHighest, mClipped);
    reduceLanes(samples.data() + i, out + i, samples.size() - i, mGain, mRandom, mLowest, mHighest, mClipped);
}

double DitherQuantizer::peak() const
{
    const int lowest = *std::min_element(mLowest.begin(), mLowest.end());
    const int highest = *std::max_element(mHighest.begin(), mHighest.end());
    return std::max(128 - lowest, highest - 128) / 128.0;
}

qint64 DitherQuantizer::clippedCount() const
{
    return std::accumulate(mClipped.begin(), mClipped.end(), qint64(0));
}

} // namespace tirvela
