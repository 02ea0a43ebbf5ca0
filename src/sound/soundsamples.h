#pragma once

#include "common/status.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

namespace tirvela {

// The sample data of a SoundFile that passes the sound check, to play or to show: unsigned 8-bit,
// mono, 16 kHz; 128 is silence. A failure's message says what is wrong, naming the file.
Result<QByteArray> readSoundSamples(const QString &path);

// What a look at a SoundFile's samples tells about its level.
struct SoundLevels
{
    qint64 sampleCount = 0;
    int peak = 0;             // the largest distance from silence, 0 to 128
    qint64 clippedCount = 0;  // samples at either end of the 8-bit range

    double seconds() const { return double(sampleCount) / 16000.0; }
    // Decibels of full scale; -infinity for a silent file.
    double peakDb() const;
};

SoundLevels measureLevels(QByteArrayView samples);

// A sample at either end of the range: the wave was cut there, or is about to be.
inline bool isClippedSample(quint8 sample)
{
    return sample == 0 || sample == 255;
}

} // namespace tirvela
