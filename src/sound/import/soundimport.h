#pragma once

#include "common/status.h"

#include <QString>
#include <QtGlobal>

namespace tirvela {

class TransferProgress;

// The input rates the import supports; beyond them a header is lying, and the filter that
// converts the rate would grow with it.
inline constexpr int kLowestImportRate = 1000;
inline constexpr int kHighestImportRate = 768000;
// Full scale is 1; a float recording may go past it, but not this far (+240 dB): such values are
// damaged data, and the sums that mix and filter the samples would overflow further on.
inline constexpr double kLoudestImportPeak = 1e12;

struct SoundImportOptions
{
    static constexpr double kLowestPeakDb = -40.0;

    QString name;           // the SoundFile's name; empty: the recording's base name with ".wav"
    double peakDb = -1.0;   // where the peak is put, in dB of full scale (kLowestPeakDb to 0)
    bool keepLevel = false; // leave the level as recorded instead
    bool trim = false;      // cut the silence before and after the sound
    bool replace = false;   // replace a SoundFile of the same name (letter case aside)
};

struct SoundImportResult
{
    enum class Outcome { Imported, Cancelled, Failed };

    Outcome outcome = Outcome::Failed;
    Status status;           // when it failed: why, for the user, and the system's reason apart where it gave one
    QString fileName;        // the SoundFile written, as it is named in the sounds folder
    qint64 sampleCount = 0;  // samples at 16 kHz
    double sourcePeakDb = 0; // the recording's peak over all its channels, dB of full scale
    double peakDb = 0;       // the SoundFile's peak
    qint64 clippedCount = 0; // samples beyond full scale, cut (only when the level was kept)

    double seconds() const { return double(sampleCount) / 16000.0; }
};

// Turns a recording into a SoundFile of the program folder's sounds folder: decoded, mixed down
// to mono, converted to 16 kHz, its peak put at the wanted level, optionally trimmed, reduced to
// 8 bits with triangular dither and written with the canonical 44-byte header by a safe replace.
// The recording is read once, one block at a time, and the converted samples wait in a temporary
// file until their peak is known, so memory does not grow with the length; it is never changed.
// Refused: a name Windows-1251 cannot store or that is not a plain file name, a name taken by
// another SoundFile without regard to letter case (unless `replace`), a recording that is silent
// (its peak below -60 dB) or too long for the flash image. A refused, failed or cancelled import
// leaves no file behind. `progress` (may be null) gets the bytes of the recording read so far and
// is asked whether to stop.
SoundImportResult importSound(const QString &source, const QString &programFolder, const SoundImportOptions &options,
                              TransferProgress *progress = nullptr);

// "; перегрузка: …" with the count and share of clipped samples, or nothing when none were.
QString clippingNote(const SoundImportResult &result);

// Decibels of full scale of a magnitude (1.0 is full scale); -infinity for 0.
double decibelsOf(double magnitude);

} // namespace tirvela
