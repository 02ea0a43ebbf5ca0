// SoundFiles are the user's files: any bytes must be checked without a crash, and a file that
// passes must hold its whole data chunk.
#include "fuzzinput.h"

#include "sound/wavecheck.h"

using namespace tirvela;

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    const WaveCheckResult result = checkWaveFile(fuzzInputFile(data, size, QStringLiteral("input.wav")));
    if (result.ok() != result.status().message.isEmpty())
        std::abort();
    if (!result.ok())
        return 0;
    const WaveData &found = result.value();
    if (found.dataOffset < 12 || found.dataSize < 0 || found.dataOffset + found.dataSize > qint64(size))
        std::abort();
    return 0;
}
