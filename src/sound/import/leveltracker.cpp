#include "sound/import/leveltracker.h"

#include <algorithm>
#include <bit>
#include <iterator>
#include <cmath>

namespace tirvela {

LevelTracker::LevelTracker()
{
    mFirst.fill(-1);
    mLast.fill(-1);
}

int LevelTracker::levelOf(float magnitude)
{
    return int(std::bit_cast<quint32>(magnitude) >> kLevelShift);
}

void LevelTracker::add(const std::vector<float> &samples)
{
    if (samples.empty())
        return;
    // The block's peak first, eight magnitudes side by side, which the compiler turns into
    // vector operations; the levels then need a look only where the peak is.
    constexpr size_t kLanes = 8;
    float peaks[kLanes] = {};
    size_t i = 0;
    for (; i + kLanes <= samples.size(); i += kLanes) {
        for (size_t lane = 0; lane < kLanes; ++lane)
            peaks[lane] = std::max(peaks[lane], std::fabs(samples[i + lane]));
    }
    for (; i < samples.size(); ++i)
        peaks[0] = std::max(peaks[0], std::fabs(samples[i]));
    const float blockPeak = *std::max_element(std::begin(peaks), std::end(peaks));
    const int blockTop = levelOf(blockPeak);

    // Levels above every earlier sample: the first samples to reach them are in this block.
    for (size_t at = 0; mTop < blockTop; ++at) {
        for (const int level = levelOf(std::fabs(samples[at])); mTop < level;)
            mFirst[size_t(++mTop)] = mCount + qint64(at);
    }
    // Every level up to the block's peak: the last samples to reach them are in this block.
    int reached = -1;
    for (size_t at = samples.size(); reached < blockTop;) {
        --at;
        for (const int level = levelOf(std::fabs(samples[at])); reached < level;)
            mLast[size_t(++reached)] = mCount + qint64(at);
    }
    mPeak = std::max(mPeak, blockPeak);
    mCount += qint64(samples.size());
}

LevelTracker::Span LevelTracker::spanReaching(float threshold) const
{
    const int level = levelOf(std::fabs(threshold));
    if (level > mTop)
        return {};
    return {mFirst[size_t(level)], mLast[size_t(level)] + 1};
}

} // namespace tirvela
