#pragma once

#include "common/status.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class QFile;

namespace tirvela {

// The most sample data one SoundFile may hold: the flash image stores each size in 3 bytes.
constexpr qint64 kMaxSoundDataSize = 0xFFFFFF;

// Where a SoundFile's sample data stand.
struct WaveData
{
    qint64 dataOffset = 0; // where the sample data start in the file
    qint64 dataSize = 0;   // byte count of the sample data
};

// On failure the message says what is wrong, naming the file; when the file could not be opened,
// the reason is why, in the system's words.
using WaveCheckResult = Result<WaveData>;

// Checks that a file holds sound the Announcer can play: a RIFF WAVE file of plain 8-bit PCM, mono,
// 16 kHz, holding all the sample data its data chunk announces and no more than the flash image
// can store. The chunks are found wherever
// they stand, so a LIST or fact chunk before the data does no harm. The checks run in a fixed
// order and the first failure is the one reported.
WaveCheckResult checkWaveFile(const QString &path);
// The same with a QFile to read through; only a regular file is opened, and one that passes is
// left open for its sample data to be read.
WaveCheckResult checkWaveFile(QFile &file, const QString &path);

// The 44-byte header of a SoundFile as the Announcer wants it (RIFF WAVE, 8-bit PCM, mono,
// 16 kHz), for `dataSize` bytes of samples that follow it.
QByteArray announcerWaveHeader(quint32 dataSize);

// A path as messages show it: longer than 100 characters, "..." and its last 100 characters.
QString shownSoundPath(const QString &path);

} // namespace tirvela
