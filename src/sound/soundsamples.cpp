#include "sound/soundsamples.h"

#include "sound/wavecheck.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <limits>

namespace tirvela {

SoundSamples readSoundSamples(const QString &path)
{
    SoundSamples result;
    QFile file;
    const WaveCheckResult check = checkWaveFile(file, path);
    if (!check.ok) {
        result.message = check.message;
        return result;
    }
    // The check bounds the data size by what the file holds and the flash image can store.
    if (!file.seek(check.dataOffset) || (result.samples = file.read(check.dataSize)).size() != check.dataSize) {
        result.message = QStringLiteral("Файл %1 не удалось прочитать: %2").arg(shownSoundPath(path), file.errorString());
        result.samples.clear();
        return result;
    }
    result.ok = true;
    return result;
}

double SoundLevels::peakDb() const
{
    return peak == 0 ? -std::numeric_limits<double>::infinity() : 20.0 * std::log10(peak / 128.0);
}

SoundLevels measureLevels(QByteArrayView samples)
{
    SoundLevels levels;
    levels.sampleCount = samples.size();
    for (const char byte : samples) {
        const auto sample = quint8(byte);
        levels.peak = std::max(levels.peak, std::abs(int(sample) - 128));
        levels.clippedCount += isClippedSample(sample);
    }
    return levels;
}

} // namespace tirvela
