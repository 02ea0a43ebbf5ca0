#include "sound/soundsamples.h"

#include "sound/wavecheck.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <limits>

namespace tirvela {

Result<QByteArray> readSoundSamples(const QString &path)
{
    QFile file;
    const WaveCheckResult check = checkWaveFile(file, path);
    if (!check.ok())
        return check.status();
    // The check bounds the data size by what the file holds and the flash image can store.
    const WaveData &data = check.value();
    QByteArray samples;
    if (!file.seek(data.dataOffset) || (samples = file.read(data.dataSize)).size() != data.dataSize) {
        const QString reason = file.errorString();
        return Status::failure(QStringLiteral("Файл %1 не удалось прочитать: %2").arg(shownSoundPath(path), reason), reason);
    }
    return samples;
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
