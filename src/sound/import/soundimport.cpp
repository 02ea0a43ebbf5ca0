#include "sound/import/soundimport.h"

#include "common/savefile.h"
#include "common/transferprogress.h"
#include "sound/import/ditherquantizer.h"
#include "sound/import/leveltracker.h"
#include "sound/import/monoresampler.h"
#include "sound/import/samplespool.h"
#include "sound/import/sounddecoder.h"
#include "sound/soundlibrary.h"
#include "sound/soundname.h"
#include "sound/wavecheck.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <limits>

namespace tirvela {

namespace {

// Below this peak a recording holds nothing to announce; raising it would only raise its noise.
constexpr double kSilentPeakDb = -60.0;
// Trimming cuts what lies 40 dB under the peak: once the peak is near full scale, that is about
// one step of the 8-bit samples.
constexpr double kTrimBelowPeakDb = -40.0;
constexpr qint64 kSpoolBlock = 16384;

double amplitudeOf(double decibels)
{
    return std::pow(10.0, decibels / 20.0);
}

SoundImportResult failed(const QString &message)
{
    SoundImportResult result;
    result.message = message;
    return result;
}

SoundImportResult cancelled()
{
    SoundImportResult result;
    result.outcome = SoundImportResult::Outcome::Cancelled;
    return result;
}

// Tells the progress how much of the recording has been read, ten times a second at most, and
// lets the user interface answer in between.
class ReadProgress
{
public:
    ReadProgress(TransferProgress *progress, qint64 total) : mProgress(progress)
    {
        while ((total >> mShift) > std::numeric_limits<int>::max())
            ++mShift;
        if (mProgress) {
            mProgress->setRange(int(total >> mShift));
            mProgress->setPosition(0);
        }
        mClock.start();
    }

    void update(qint64 done)
    {
        if (!mProgress || mClock.elapsed() < 100)
            return;
        mClock.restart();
        mProgress->setPosition(int(done >> mShift));
        mProgress->processEvents();
    }

    bool cancelRequested() const { return mProgress && mProgress->cancelRequested(); }

private:
    TransferProgress *mProgress;
    int mShift = 0;
    QElapsedTimer mClock;
};

struct Target
{
    QString fileName;
    QString path;
    QString message; // when no target could be chosen
};

Target chooseTarget(const QString &source, const QString &programFolder, const SoundImportOptions &options)
{
    Target target;
    const SoundNameCheck name =
        checkNewSoundName(options.name.isEmpty() ? QFileInfo(source).completeBaseName() : options.name);
    if (!name.ok) {
        target.message = name.message;
        return target;
    }
    const QString folder = soundsFolderOf(programFolder);
    if (!QDir().mkpath(folder)) {
        target.message = QStringLiteral("Каталог %1 не может быть создан").arg(QDir::toNativeSeparators(folder));
        return target;
    }
    target.fileName = name.name;
    const QString existing = soundFileNamedAlike(folder, name.name);
    if (!existing.isEmpty()) {
        if (!options.replace) {
            target.message = QStringLiteral("Звуковой файл %1 уже есть; он заменяется только по явному указанию")
                                 .arg(existing);
            return target;
        }
        target.fileName = existing; // the file the stop lists already find is the one replaced
    }
    target.path = folder + target.fileName;
    const QString sourcePath = QFileInfo(source).canonicalFilePath();
    if (!sourcePath.isEmpty() && sourcePath == QFileInfo(target.path).canonicalFilePath()) {
        target.message = QStringLiteral("Файл %1 не может заменить сам себя").arg(QDir::toNativeSeparators(source));
        target.path.clear();
    }
    return target;
}

} // namespace

QString clippingNote(const SoundImportResult &result)
{
    if (result.clippedCount == 0)
        return {};
    const double share = 100.0 * double(result.clippedCount) / double(std::max<qint64>(result.sampleCount, 1));
    return QStringLiteral("; перегрузка: обрезано отсчётов %1 (%2 %)")
        .arg(result.clippedCount)
        .arg(QLocale(QLocale::Russian).toString(share, 'f', share < 1 ? 2 : 1));
}

double decibelsOf(double magnitude)
{
    return magnitude > 0 ? 20.0 * std::log10(magnitude) : -std::numeric_limits<double>::infinity();
}

SoundImportResult importSound(const QString &source, const QString &programFolder, const SoundImportOptions &options,
                              TransferProgress *progress)
{
    if (!options.keepLevel && !(options.peakDb >= SoundImportOptions::kLowestPeakDb && options.peakDb <= 0))
        return failed(QStringLiteral("Уровень пика должен быть от %1 до 0 дБ").arg(SoundImportOptions::kLowestPeakDb));
    const Target target = chooseTarget(source, programFolder, options);
    if (target.path.isEmpty())
        return failed(target.message);

    SoundDecoder decoder;
    if (!decoder.open(source))
        return failed(decoder.errorString());
    MonoResampler resampler;
    if (!resampler.start(decoder.sampleRate()))
        return failed(QStringLiteral("Файл %1: %2").arg(QDir::toNativeSeparators(source), resampler.errorString()));
    // The converted samples of the whole recording wait in a temporary file until their peak is known.
    SampleSpool spool;
    if (!spool.open())
        return failed(QStringLiteral("Временный файл не создаётся: %1").arg(spool.errorString()));
    LevelTracker levels;

    ReadProgress reading(progress, decoder.fileSize());
    for (bool last = false; !last;) {
        if (reading.cancelRequested())
            return cancelled();
        const std::vector<float> &block = decoder.readBlock();
        if (!decoder.errorString().isEmpty())
            return failed(decoder.errorString());
        last = block.empty();
        const std::vector<float> &converted = resampler.convert(block, last);
        if (!resampler.errorString().isEmpty())
            return failed(QStringLiteral("Файл %1: %2").arg(QDir::toNativeSeparators(source), resampler.errorString()));
        levels.add(converted);
        if (!spool.append(converted))
            return failed(QStringLiteral("Временный файл не записывается: %1").arg(spool.errorString()));
        if (!options.trim && levels.count() > kMaxSoundDataSize)
            break;
        reading.update(decoder.bytesRead());
    }

    const QString shownSource = QDir::toNativeSeparators(source);
    const double peak = levels.peak();
    if (decibelsOf(peak) < kSilentPeakDb)
        return failed(QStringLiteral("Файл %1 не содержит звука: его пик ниже %2 дБ").arg(shownSource).arg(kSilentPeakDb));
    const LevelTracker::Span span = options.trim ? levels.spanReaching(float(peak * amplitudeOf(kTrimBelowPeakDb)))
                                                 : LevelTracker::Span{0, levels.count()};
    if (span.count() > kMaxSoundDataSize)
        return failed(QStringLiteral("Файл %1 длиннее %2 с: столько звука не помещается в память автоинформатора")
                          .arg(shownSource)
                          .arg(kMaxSoundDataSize / MonoResampler::kTargetRate));

    QSaveFile output(target.path);
    if (!output.open(QIODevice::WriteOnly))
        return failed(QStringLiteral("Файл %1 не создаётся: %2").arg(QDir::toNativeSeparators(target.path), output.errorString()));
    output.write(announcerWaveHeader(quint32(span.count())));
    DitherQuantizer quantizer(options.keepLevel ? 1.0f : float(amplitudeOf(options.peakDb) / peak));
    if (!spool.seek(span.begin))
        return failed(QStringLiteral("Временный файл не записывается: %1").arg(spool.errorString()));
    std::vector<float> samples;
    QByteArray bytes;
    for (qint64 done = 0; done < span.count();) {
        if (reading.cancelRequested())
            return cancelled();
        const qint64 count = std::min(kSpoolBlock, span.count() - done);
        if (!spool.read(count, samples))
            return failed(QStringLiteral("Временный файл не читается: %1").arg(spool.errorString()));
        quantizer.reduce(samples, bytes);
        output.write(bytes);
        done += count;
    }
    if (span.count() % 2)
        output.write(QByteArray(1, '\0')); // chunks are padded to an even size
    if (!commitFully(output))
        return failed(QStringLiteral("Файл %1 не записан: %2").arg(QDir::toNativeSeparators(target.path), output.errorString()));

    SoundImportResult result;
    result.outcome = SoundImportResult::Outcome::Imported;
    result.fileName = target.fileName;
    result.sampleCount = span.count();
    result.sourcePeakDb = decibelsOf(decoder.sourcePeak());
    result.peakDb = decibelsOf(quantizer.peak());
    result.clippedCount = quantizer.clippedCount();
    return result;
}

} // namespace tirvela
