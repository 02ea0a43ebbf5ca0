#include "sound/import/polyphaseresampler.h"

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

// Eight sums side by side, added up pairwise.
inline float total(const float *s)
{
    return ((s[0] + s[4]) + (s[2] + s[6])) + ((s[1] + s[5]) + (s[3] + s[7]));
}

// Built for AVX2 and for any x86-64, the one to use chosen when the program starts. Neither
// build fuses the multiply and the add, and both add in the same order, so every machine gives
// the same bits.
#if defined(__x86_64__) && defined(__GNUC__)
#define TIRVELA_WITH_AVX2 __attribute__((target_clones("avx2", "default")))
#else
#define TIRVELA_WITH_AVX2
#endif

struct Run
{
    const float *coefficients; // up rows of taps
    int taps;
    int up;
    int down;
    const float *input; // where the first output sample's taps start
    int phase;          // the first output sample's row
    float *output;
    qint64 count;
};

// Output samples one after the other: each one moves down / up input samples further on.
TIRVELA_WITH_AVX2 void filter(const Run &run)
{
    const float *x = run.input;
    int phase = run.phase;
    const int step = run.down / run.up;
    const int stepPhase = run.down % run.up;
    const auto next = [&](const float *&at, int &row) {
        at += step;
        row += stepPhase;
        if (row >= run.up) {
            row -= run.up;
            ++at;
        }
    };
    // Two output samples at a time, each by kLanes sums side by side: four chains of vector
    // additions that do not wait for each other.
    qint64 i = 0;
    for (; i + 2 <= run.count; i += 2) {
        const float *x1 = x;
        int phase1 = phase;
        next(x1, phase1);
        const float *c0 = run.coefficients + size_t(phase) * size_t(run.taps);
        const float *c1 = run.coefficients + size_t(phase1) * size_t(run.taps);
        float sums0[kLanes] = {};
        float sums1[kLanes] = {};
        for (int j = 0; j < run.taps; j += kLanes) {
            for (int k = 0; k < kLanes; ++k) {
                sums0[k] += c0[j + k] * x[j + k];
                sums1[k] += c1[j + k] * x1[j + k];
            }
        }
        run.output[i] = total(sums0);
        run.output[i + 1] = total(sums1);
        x = x1;
        phase = phase1;
        next(x, phase);
    }
    if (i < run.count) {
        const float *c = run.coefficients + size_t(phase) * size_t(run.taps);
        float sums[kLanes] = {};
        for (int j = 0; j < run.taps; j += kLanes) {
            for (int k = 0; k < kLanes; ++k)
                sums[k] += c[j + k] * x[j + k];
        }
        run.output[i] = total(sums);
    }
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
    // Output sample n falls at input n × down / up and reads from mBefore before it to mTaps on.
    qint64 lastAt = available + mBefore - mTaps;
    if (last)
        lastAt = std::min(lastAt, mInputCount - 1);
    const qint64 end = lastAt < 0 ? 0 : ((lastAt + 1) * mUp - 1) / mDown + 1;
    if (end > mNext) {
        const qint64 position = mNext * mDown;
        const size_t done = output.size();
        output.resize(done + size_t(end - mNext));
        filter({mCoefficients.data(), mTaps, mUp, mDown, &mHistory[size_t(position / mUp - mBefore - mFirst)],
                int(position % mUp), output.data() + done, end - mNext});
        mNext = end;
    }
    const qint64 keepFrom = std::min(available, (mNext * mDown) / mUp - mBefore);
    mHistory.erase(mHistory.begin(), mHistory.begin() + (keepFrom - mFirst));
    mFirst = keepFrom;
}

} // namespace tirvela
