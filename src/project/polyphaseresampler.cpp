#include "project/polyphaseresampler.h"

#include <algorithm>
#include <iterator>
#include <cmath>
#include <numbers>
#include <numeric>

namespace tirvela {

namespace {

// Beyond this many phases the table outgrows the caches (and a few megabytes for rare rates).
constexpr int kMaxPhases = 2048;
// The filter's stop band lies 60 dB down, under what 8-bit samples resolve (about 48 dB).
constexpr double kStopBandDb = 60.0;
// The transition band is 30 % of the lower Nyquist frequency, centred on it: at 16 kHz output
// everything up to 6.8 kHz passes, and only what lies between 8 and 9.2 kHz in the recording can
// fold back, into the 6.8 to 8 kHz that the filter itself already turns down.
constexpr double kTransition = 0.3;
constexpr int kLanes = 8;

double besselI0(double x)
{
    double sum = 1.0;
    double term = 1.0;
    for (int k = 1; k < 50 && term > 1e-12 * sum; ++k) {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
    }
    return sum;
}

} // namespace

bool PolyphaseResampler::handles(int sourceRate, int targetRate)
{
    return sourceRate > 0 && targetRate > 0 && targetRate / std::gcd(sourceRate, targetRate) <= kMaxPhases;
}

PolyphaseResampler::PolyphaseResampler(int sourceRate, int targetRate)
{
    const int common = std::gcd(sourceRate, targetRate);
    mUp = targetRate / common;
    mDown = sourceRate / common;

    // Kaiser's estimates of the window's length and shape for the wanted stop band.
    const double cutoff = 0.5 * std::min(sourceRate, targetRate) / sourceRate; // cycles per input sample
    const double width = 2.0 * std::numbers::pi * kTransition * cutoff;
    const double beta = 0.1102 * (kStopBandDb - 8.7);
    const int length = int(std::ceil((kStopBandDb - 7.95) / (2.285 * width))) + 1;
    const double half = length / 2.0; // the window's reach either way, in input samples
    mBefore = int(std::ceil(half)) - 1;
    mTaps = (2 * mBefore + 2 + kLanes - 1) / kLanes * kLanes;
    const double window0 = besselI0(beta);

    mCoefficients.assign(size_t(mUp) * size_t(mTaps), 0.0f);
    for (int phase = 0; phase < mUp; ++phase) {
        float *row = &mCoefficients[size_t(phase) * size_t(mTaps)];
        const double offset = double(phase) / mUp;
        double sum = 0;
        std::vector<double> taps(size_t(mTaps), 0.0);
        for (int j = 0; j < mTaps; ++j) {
            const double u = j - mBefore - offset; // input sample j's distance from the output sample
            if (std::abs(u) >= half)
                continue;
            const double x = 2.0 * cutoff * u;
            const double sinc = x == 0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
            const double r = u / half;
            taps[size_t(j)] = 2.0 * cutoff * sinc * besselI0(beta * std::sqrt(1.0 - r * r)) / window0;
            sum += taps[size_t(j)];
        }
        // Every phase passes a steady level unchanged, or the output would hum at the phase rate.
        for (int j = 0; j < mTaps; ++j)
            row[j] = float(taps[size_t(j)] / sum);
    }
    mHistory.assign(size_t(mBefore), 0.0f);
    mFirst = -mBefore;
}

void PolyphaseResampler::convert(const std::vector<float> &input, bool last, std::vector<float> &output)
{
    mHistory.insert(mHistory.end(), input.begin(), input.end());
    mInputCount += qint64(input.size());
    if (last)
        mHistory.resize(mHistory.size() + size_t(mTaps), 0.0f);
    const qint64 available = mFirst + qint64(mHistory.size());
    output.reserve(output.size() + size_t(double(input.size()) * mUp / mDown) + 2);
    for (;;) {
        const qint64 position = mNext * mDown;
        const qint64 at = position / mUp;
        if ((last && at >= mInputCount) || at - mBefore + mTaps > available)
            break;
        const float *x = &mHistory[size_t(at - mBefore - mFirst)];
        const float *c = &mCoefficients[size_t(position % mUp) * size_t(mTaps)];
        // Sums side by side, which the compiler turns into independent vector operations.
        float sums[kLanes] = {};
        for (int j = 0; j < mTaps; j += kLanes) {
            for (int k = 0; k < kLanes; ++k)
                sums[k] += c[j + k] * x[j + k];
        }
        output.push_back(std::accumulate(std::begin(sums), std::end(sums), 0.0f));
        ++mNext;
    }
    const qint64 keepFrom = std::min(available, (mNext * mDown) / mUp - mBefore);
    mHistory.erase(mHistory.begin(), mHistory.begin() + (keepFrom - mFirst));
    mFirst = keepFrom;
}

} // namespace tirvela
