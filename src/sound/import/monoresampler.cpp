#include "sound/import/monoresampler.h"

#include "sound/import/polyphaseresampler.h"

#include <samplerate.h>

namespace tirvela {

namespace {

// For rates whose ratio to 16 kHz the own filter cannot tabulate: the fastest of the band-limited converters. Its alias rejection (97 dB) lies far below what
// 8-bit samples can carry (about 48 dB), and its pass band (80 % of the 8 kHz the output can hold)
// keeps everything speech needs. The better converters only widen the pass band, at two to ten
// times the cost; the linear and hold converters filter nothing and fold everything above 8 kHz
// back into the announcement.
constexpr int kConverter = SRC_SINC_FASTEST;
constexpr long kOutputBlock = 4096;

} // namespace

void MonoResampler::Delete::operator()(SRC_STATE *state) const
{
    src_delete(state);
}

MonoResampler::MonoResampler() = default;
MonoResampler::~MonoResampler() = default;

bool MonoResampler::start(int sourceRate)
{
    mState.reset();
    mPolyphase.reset();
    mOutput.clear();
    mRatio = double(kTargetRate) / double(sourceRate);
    if (sourceRate == kTargetRate)
        return true;
    if (PolyphaseResampler::handles(sourceRate, kTargetRate)) {
        mPolyphase = std::make_unique<PolyphaseResampler>(sourceRate, kTargetRate);
        return true;
    }
    if (!src_is_valid_ratio(mRatio)) {
        mError = QStringLiteral("Частота дискретизации %1 Гц не поддерживается").arg(sourceRate);
        return false;
    }
    int error = 0;
    mState.reset(src_new(kConverter, 1, &error));
    if (!mState) {
        mError = QString::fromLocal8Bit(src_strerror(error));
        return false;
    }
    return true;
}

const std::vector<float> &MonoResampler::convert(const std::vector<float> &input, bool last)
{
    if (mPolyphase) {
        mOutput.clear();
        mPolyphase->convert(input, last, mOutput);
        return mOutput;
    }
    if (!mState) {
        mOutput = input;
        return mOutput;
    }
    mOutput.clear();
    static const float kNoInput = 0;
    SRC_DATA data{};
    data.data_in = input.empty() ? &kNoInput : input.data();
    data.input_frames = long(input.size());
    data.src_ratio = mRatio;
    data.end_of_input = last ? 1 : 0;
    mBlock.resize(size_t(kOutputBlock));
    // The converter keeps what it has not yet used; with the last block it is called until it gives nothing.
    for (;;) {
        data.data_out = mBlock.data();
        data.output_frames = kOutputBlock;
        if (const int error = src_process(mState.get(), &data); error != 0) {
            mError = QString::fromLocal8Bit(src_strerror(error));
            break;
        }
        mOutput.insert(mOutput.end(), mBlock.begin(), mBlock.begin() + data.output_frames_gen);
        data.data_in += data.input_frames_used;
        data.input_frames -= data.input_frames_used;
        if (data.output_frames_gen == 0 && (data.input_frames == 0 || data.input_frames_used == 0))
            break;
    }
    return mOutput;
}

} // namespace tirvela
