#include "project/leveltracker.h"

#include <algorithm>
#include <bit>
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
    for (const float sample : samples) {
        const float magnitude = std::fabs(sample);
        mPeak = std::max(mPeak, magnitude);
        const int level = levelOf(magnitude);
        if (mFirst[size_t(level)] < 0)
            mFirst[size_t(level)] = mCount;
        mLast[size_t(level)] = mCount;
        ++mCount;
    }
}

LevelTracker::Span LevelTracker::spanReaching(float threshold) const
{
    Span span{mCount, 0};
    for (int level = levelOf(std::fabs(threshold)); level < kLevels; ++level) {
        if (mFirst[size_t(level)] < 0)
            continue;
        span.begin = std::min(span.begin, mFirst[size_t(level)]);
        span.end = std::max(span.end, mLast[size_t(level)] + 1);
    }
    return span.end > span.begin ? span : Span{};
}

} // namespace tirvela
