// Recordings are the user's files: any bytes go through the import's chain (decoder, mix-down,
// rate conversion, 8-bit reduction) without a crash, and with what the import takes in, no
// sample reaching the 8-bit reduction is infinite or NaN, and the 16 kHz output is as long as the
// input says.
#include "fuzzinput.h"

#include "sound/import/ditherquantizer.h"
#include "sound/import/monoresampler.h"
#include "sound/import/sounddecoder.h"
#include "sound/import/soundimport.h"

#include <cmath>

using namespace tirvela;

namespace {

// Enough to go through every stage many times, little enough for thousands of runs.
constexpr qint64 kMostFrames = qint64(1) << 18;

void requireFinite(const std::vector<float> &samples)
{
    for (const float sample : samples) {
        if (!std::isfinite(sample))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    SoundDecoder decoder;
    if (!decoder.open(fuzzInputFile(data, size, QStringLiteral("input.wav"))).ok())
        return 0;
    const int rate = decoder.sampleRate();
    if (rate < kLowestImportRate || rate > kHighestImportRate)
        return 0; // refused by the import
    MonoResampler resampler;
    if (!resampler.start(rate).ok())
        return 0;
    DitherQuantizer quantizer(0.5f);
    QByteArray bytes;
    qint64 inputFrames = 0;
    qint64 outputSamples = 0;
    for (bool last = false; !last;) {
        const std::vector<float> &block = decoder.readBlock();
        requireFinite(block);
        if (decoder.sourcePeak() > kLoudestImportPeak || !decoder.status().ok())
            return 0; // refused by the import
        inputFrames += qint64(block.size());
        last = block.empty() || inputFrames >= kMostFrames;
        const std::vector<float> &converted = resampler.convert(block, last);
        if (!resampler.status().ok())
            return 0;
        requireFinite(converted);
        quantizer.reduce(converted, bytes);
        if (bytes.size() != qsizetype(converted.size()))
            std::abort();
        outputSamples += qint64(converted.size());
    }
    const double expected = double(inputFrames) * MonoResampler::kTargetRate / rate;
    if (std::abs(double(outputSamples) - expected) > 2.0)
        std::abort();
    return 0;
}
