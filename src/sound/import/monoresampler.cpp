#include "sound/import/monoresampler.h"

#include <soxr.h>

namespace tirvela {

namespace {

// The pass band ends at 90 % of the lower rate's Nyquist frequency (7.2 kHz at a 16 kHz output,
// all that speech needs) and the stop band starts at it, so the transition lies under 8 kHz.
constexpr double kPassBandEnd = 0.9;
// 20 bits: a stop band of about 120 dB, far under what 8-bit samples can show, at little more cost
// than 16 bits.
constexpr double kPrecisionBits = 20;
constexpr size_t kOutputBlock = 4096;

} // namespace

void MonoResampler::Delete::operator()(soxr *state) const
{
    soxr_delete(state);
}

MonoResampler::MonoResampler() = default;
MonoResampler::~MonoResampler() = default;

Status MonoResampler::start(int sourceRate)
{
    mState.reset();
    mOutput.clear();
    mStatus = Status::success();
    if (sourceRate == kTargetRate)
        return mStatus;
    soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    quality.precision = kPrecisionBits;
    quality.passband_end = kPassBandEnd;
    quality.stopband_begin = 1.0;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1); // the import runs on the caller's thread only
    soxr_error_t error = nullptr;
    mState.reset(soxr_create(sourceRate, kTargetRate, 1, &error, &io, &quality, &runtime));
    if (error) {
        mState.reset();
        const QString reason = QString::fromUtf8(error);
        mStatus = Status::failure(
            QStringLiteral("Частота дискретизации %1 Гц не поддерживается (%2)").arg(sourceRate).arg(reason), reason);
    }
    return mStatus;
}

const std::vector<float> &MonoResampler::convert(const std::vector<float> &input, bool last)
{
    if (!mState) {
        mOutput = input;
        return mOutput;
    }
    mOutput.clear();
    // The converter takes what fits its output; with the last block, no input asks for the rest.
    const float *in = input.data();
    size_t left = input.size();
    for (;;) {
        const size_t done = mOutput.size();
        mOutput.resize(done + kOutputBlock);
        size_t used = 0;
        size_t made = 0;
        const bool flushing = left == 0 && last;
        const soxr_error_t error = soxr_process(mState.get(), flushing ? nullptr : in, left, &used,
                                                mOutput.data() + done, kOutputBlock, &made);
        mOutput.resize(done + made);
        if (error) {
            const QString reason = QString::fromUtf8(error);
            mStatus = Status::failure(reason, reason);
            break;
        }
        in += used;
        left -= used;
        if (left == 0 && (!last || (flushing && made == 0)))
            break;
    }
    return mOutput;
}

} // namespace tirvela
