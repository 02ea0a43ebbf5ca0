#pragma once

#include <QByteArray>

#include <array>
#include <vector>

namespace tirvela {

// Reduces samples to unsigned 8 bits (128 is silence) with triangular dither of one step either
// way, which turns the rounding error into a steady faint hiss instead of distortion that
// follows the signal. The dither is the difference of two uniform values, the two halves of one
// xorshift draw: cheap, and the seeds are fixed so that an import gives the same bytes every
// time. Sixteen generators take turns, one for each byte of a vector register, so that the
// compiler can run them side by side as vector operations.
class DitherQuantizer
{
public:
    explicit DitherQuantizer(float gain);

    // The samples times the gain (full scale ±1), as many bytes.
    void reduce(const std::vector<float> &samples, QByteArray &bytes);

    // The largest magnitude written so far, full scale 1.
    double peak() const;
    // How many samples so far lay beyond what 8 bits hold and were cut to the nearest end.
    qint64 clippedCount() const;

private:
    static constexpr size_t kLanes = 16;

    float mGain;
    std::array<quint32, kLanes> mRandom;
    std::array<int, kLanes> mLowest;
    std::array<int, kLanes> mHighest;
    std::array<qint64, kLanes> mClipped;
};

} // namespace tirvela
