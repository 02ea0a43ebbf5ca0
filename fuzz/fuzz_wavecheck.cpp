// SoundFiles are the user's files: any bytes must be checked without a crash, and a file that
// passes must hold its whole data chunk.
#include "fuzzinput.h"

#include "sound/wavecheck.h"

using namespace tirvela;

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    const WaveCheckResult result = checkWaveFile(fuzzInputFile(data, size, QStringLiteral("input.wav")));
    if (result.ok != result.message.isEmpty())
        std::abort();
    if (result.ok && (result.dataOffset < 12 || result.dataSize < 0 || result.dataOffset + result.dataSize > qint64(size)))
        std::abort();
    return 0;
}
