#pragma once

#include <QtGlobal>

#include <array>
#include <vector>

namespace tirvela {

// Follows a stream of samples in one pass: how many there are, their peak, and where the first
// and the last of them reach each loudness level, so that once the peak is known the span of the
// sound above a threshold relative to it can be told without a second pass. The memory is fixed.
class LevelTracker
{
public:
    struct Span
    {
        qint64 begin = 0;
        qint64 end = 0; // one past the last sample
        qint64 count() const { return end - begin; }
    };

    LevelTracker();

    void add(const std::vector<float> &samples);

    qint64 count() const { return mCount; }
    float peak() const { return mPeak; }

    // From the first to the last sample whose magnitude reaches `threshold`, give or take one
    // level (0.75 dB); empty when none does.
    Span spanReaching(float threshold) const;

private:
    // A level is the top bits of a magnitude's float representation: positive floats order like
    // their bit patterns, and 12 bits give 8 levels an octave.
    static constexpr int kLevelShift = 20;
    static constexpr int kLevels = 1 << (31 - kLevelShift);
    static int levelOf(float magnitude);

    qint64 mCount = 0;
    float mPeak = 0;
    int mTop = -1; // the level of mPeak; -1 before the first sample
    std::array<qint64, kLevels> mFirst; // the first sample at this level or above
    std::array<qint64, kLevels> mLast;  // the last sample at this level or above
};

} // namespace tirvela
