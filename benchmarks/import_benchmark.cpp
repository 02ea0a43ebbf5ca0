// Imports a 10-minute 44.1 kHz stereo 16-bit recording and sets it against the sound file library
// decoding the same file alone, measured in the same run; prints the ratio (wanted at most 6) and
// the import's peak memory for a 1-minute and the 10-minute recording, which should be the same
// since the import streams. When sox is installed, the command-line import and sox making the same
// 16 kHz mono 8-bit file are timed as whole processes, one after the other (wanted: sox at least
// twice as long).
//   import_benchmark [--format wav|flac] [--minutes N]

#include "peakmemory.h"
#include "processtime.h"
#include "sound/import/soundimport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

using namespace tirvela;
using namespace tirvela::bench;

namespace {

constexpr int kRate = 44100;
constexpr int kRepeats = 3;
constexpr sf_count_t kBlock = 4096;

// Two voices of changing pitch, written a block at a time.
bool writeRecording(const QString &path, int format, double minutes)
{
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 2;
    info.format = format;
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    const auto frames = sf_count_t(minutes * 60 * kRate);
    std::vector<short> block(size_t(kBlock) * 2);
    bool ok = true;
    for (sf_count_t done = 0; done < frames && ok; done += kBlock) {
        const sf_count_t count = std::min(kBlock, frames - done);
        for (sf_count_t i = 0; i < count; ++i) {
            const double t = double(done + i) / kRate;
            const double pitch = 300 + 200 * std::sin(t * 0.7);
            block[size_t(2 * i)] = short(12000 * std::sin(2 * std::numbers::pi * pitch * t));
            block[size_t(2 * i + 1)] = short(9000 * std::sin(2 * std::numbers::pi * 1.5 * pitch * t));
        }
        ok = sf_writef_short(file, block.data(), count) == count;
    }
    return sf_close(file) == 0 && ok;
}

// What the import has to do at the least: read every sample.
bool decodeAlone(const QString &path)
{
    SF_INFO info{};
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file)
        return false;
    std::vector<float> block(size_t(kBlock) * size_t(info.channels));
    while (sf_readf_float(file, block.data(), kBlock) > 0) {
    }
    return sf_close(file) == 0;
}

struct Timing
{
    double seconds = 1e9;
    long peakKb = 0;
};

bool timeImport(const QString &source, const QString &programFolder, Timing &timing)
{
    SoundImportOptions options;
    options.replace = true;
    resetPeakMemory();
    QElapsedTimer timer;
    timer.start();
    const SoundImportResult result = importSound(source, programFolder, options);
    timing.seconds = std::min(timing.seconds, timer.nsecsElapsed() / 1e9);
    timing.peakKb = std::max(timing.peakKb, peakMemoryKb());
    if (result.outcome != SoundImportResult::Outcome::Imported)
        std::fprintf(stderr, "the import failed: %s\n", qPrintable(result.status.message));
    return result.outcome == SoundImportResult::Outcome::Imported;
}

void compareWithSox(const QString &source, const QString &programFolder)
{
    const QString sox = QStandardPaths::findExecutable(QStringLiteral("sox"));
    if (sox.isEmpty()) {
        std::printf("sox is not installed: no comparison (apt-get install sox)\n");
        return;
    }
    const double cli = runTimed(QStringLiteral(TIRVELA_CLI),
                                   {QStringLiteral("sound-import"), source, QStringLiteral("--program-dir"), programFolder,
                                    QStringLiteral("--force")});
    const double peer = runTimed(sox, {source, QStringLiteral("-r"), QStringLiteral("16000"), QStringLiteral("-c"),
                                          QStringLiteral("1"), QStringLiteral("-b"), QStringLiteral("8"), QStringLiteral("-e"),
                                          QStringLiteral("unsigned"), programFolder + QStringLiteral("sox.wav")});
    if (cli < 0 || peer < 0) {
        std::printf("the comparison with sox failed\n");
        return;
    }
    std::printf("whole process: tirvela-cli sound-import %.3f s, sox %.3f s\n", cli, peer);
    std::printf("sox time / import time: %.2f (wanted at least 2)%s\n", peer / cli, peer / cli >= 2 ? "" : "  UNDER");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const bool flac = arguments.contains(QStringLiteral("flac"));
    const qsizetype minutesAt = arguments.indexOf(QStringLiteral("--minutes"));
    const double minutes = minutesAt > 0 && minutesAt + 1 < arguments.size() ? arguments[minutesAt + 1].toDouble() : 10;
    const int format = SF_FORMAT_PCM_16 | (flac ? SF_FORMAT_FLAC : SF_FORMAT_WAV);

    QTemporaryDir dir;
    const QString programFolder = dir.path() + QLatin1Char('/');
    const QString shortSource = programFolder + (flac ? QStringLiteral("short.flac") : QStringLiteral("short.wav"));
    const QString source = programFolder + (flac ? QStringLiteral("long.flac") : QStringLiteral("long.wav"));
    if (!writeRecording(shortSource, format, 1) || !writeRecording(source, format, minutes)) {
        std::fprintf(stderr, "the recordings could not be written\n");
        return 1;
    }

    Timing shortImport;
    if (!timeImport(shortSource, programFolder, shortImport))
        return 1;
    double decodeSeconds = 1e9;
    Timing import;
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        QElapsedTimer timer;
        timer.start();
        if (!decodeAlone(source)) {
            std::fprintf(stderr, "the recording could not be decoded\n");
            return 1;
        }
        decodeSeconds = std::min(decodeSeconds, timer.nsecsElapsed() / 1e9);
        if (!timeImport(source, programFolder, import))
            return 1;
    }

    const double ratio = import.seconds / decodeSeconds;
    std::printf("recording: %.0f minutes, 44.1 kHz stereo 16-bit %s, %lld bytes\n", minutes, flac ? "FLAC" : "WAVE",
                QFile(source).size());
    std::printf("decoding alone: %.3f s (best of %d)\n", decodeSeconds, kRepeats);
    std::printf("import:         %.3f s (best of %d)\n", import.seconds, kRepeats);
    std::printf("import time / decoding time: %.2f (wanted at most 6)%s\n", ratio, ratio <= 6 ? "" : "  OVER");
    std::printf("peak memory of the import (resident set): 1 minute %.1f MB, %.0f minutes %.1f MB\n",
                shortImport.peakKb / 1024.0, minutes, import.peakKb / 1024.0);
    compareWithSox(source, programFolder);
    return 0;
}
