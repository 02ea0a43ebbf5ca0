#include "sound/import/soundimport.h"

#include "common/savefile.h"
#include "common/systemreason.h"
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
constexpr qint64 kLongestSeconds = kMaxSoundDataSize / MonoResampler::kTargetRate;

double amplitudeOf(double decibels)
{
    return std::pow(10.0, decibels / 20.0);
}

SoundImportResult failed(Status status)
{
    SoundImportResult result;
    result.status = std::move(status);
    return result;
}

SoundImportResult failed(const QString &message, const QString &reason = {})
{
    return failed(Status::failure(message, reason));
}

// A file the import cannot make, write or read: `what` names it and ends in ": ", the reason follows.
SoundImportResult fileFailed(const QString &what, const QString &systemReason)
{
    const QString reason = russianReason(systemReason);
    return failed(what + reason, reason);
}

// "1 ч 02 мин 05 с", "17 мин 30 с", "12 с".
QString durationText(double seconds)
{
    const auto whole = qint64(seconds);
    const qint64 hours = whole / 3600;
    const qint64 minutes = whole / 60 % 60;
    const auto twoDigits = [](qint64 value) { return QStringLiteral("%1").arg(value, 2, 10, QChar(u'0')); };
    if (hours > 0)
        return QStringLiteral("%1 ч %2 мин %3 с").arg(hours).arg(twoDigits(minutes), twoDigits(whole % 60));
    if (minutes > 0)
        return QStringLiteral("%1 мин %2 с").arg(minutes).arg(twoDigits(whole % 60));
    return QStringLiteral("%1 с").arg(whole);
}

QString tooLongMessage(const QString &shownSource, const QString &duration)
{
    return QStringLiteral("Файл %1 %2 %3 с: столько звука не помещается в память автоинформатора")
        .arg(shownSource, duration)
        .arg(kLongestSeconds);
}

// Why the decoder's recording cannot be imported at all, or an empty text.
QString recordingProblem(const SoundDecoder &decoder, const QString &shownSource)
{
    const int rate = decoder.sampleRate();
    if (rate < kLowestImportRate || rate > kHighestImportRate)
        return QStringLiteral("Файл %1: частота дискретизации %2 Гц не поддерживается (допустимо от %3 до %4 кГц)")
            .arg(shownSource)
            .arg(rate)
            .arg(kLowestImportRate / 1000)
            .arg(kHighestImportRate / 1000);
    // Told before anything is read: hours of recording would fill the temporary folder first.
    const double seconds = double(decoder.frameCount()) / rate;
    if (seconds > double(kLongestSeconds) + 1.0)
        return tooLongMessage(shownSource, QStringLiteral("длится %1, это дольше").arg(durationText(seconds)));
    return {};
}

QString tooLoudMessage(const QString &shownSource, double peak)
{
    return QStringLiteral("Файл %1 не импортируется: пик записи %2 дБ — на столько выше полной шкалы отсчёты не "
                          "бывают, данные повреждены")
        .arg(shownSource)
        .arg(decibelsOf(peak), 0, 'f', 1);
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
        if (mProgress)
            mProgress->report({.maximum = int(total >> mShift), .position = 0});
        mClock.start();
    }

    void update(qint64 done)
    {
        if (!mProgress || mClock.elapsed() < 100)
            return;
        mClock.restart();
        mProgress->report({.position = int(done >> mShift)});
        mCancelled = mProgress->cancelledWithin(0);
    }

    bool cancelRequested() const { return mCancelled || (mProgress && mProgress->cancelRequested()); }

private:
    TransferProgress *mProgress;
    int mShift = 0;
    QElapsedTimer mClock;
    bool mCancelled = false;
};

struct Target
{
    QString fileName;
    QString path;
};

// Why the entry `name` of the sounds folder must not be replaced, or an empty text. Only a regular
// file is replaced, or a link that leads to a regular file in the sounds folder itself (the save
// writes through the link): a link elsewhere would have the import write outside the folder.
QString replaceProblem(const QString &folder, const QString &name)
{
    const QFileInfo entry(folder + name);
    const QString shown = QDir::toNativeSeparators(entry.filePath());
    if (entry.isSymLink()) {
        const QFileInfo target(entry.canonicalFilePath()); // empty when the link leads nowhere
        if (entry.canonicalFilePath().isEmpty() || !target.isFile()
            || target.absolutePath() != QFileInfo(folder).canonicalFilePath())
            return QStringLiteral("%1 — ссылка не на звуковой файл каталога %2; она не заменяется")
                .arg(shown, QDir::toNativeSeparators(folder));
        return {};
    }
    if (!entry.isFile())
        return QStringLiteral("%1 не является обычным файлом; он не заменяется").arg(shown);
    return {};
}

Result<Target> chooseTarget(const QString &source, const QString &programFolder, const SoundImportOptions &options)
{
    const Result<QString> name =
        checkNewSoundName(options.name.isEmpty() ? QFileInfo(source).completeBaseName() : options.name);
    if (!name.ok())
        return name.status();
    if (!QFileInfo(programFolder).isDir())
        return Status::failure(QStringLiteral("Папка программы %1 не найдена").arg(QDir::toNativeSeparators(programFolder)));
    const QString folder = soundsFolderOf(programFolder);
    if (!QFileInfo(folder).isDir() && !QDir().mkdir(folder))
        return Status::failure(QStringLiteral("Каталог %1 не может быть создан").arg(QDir::toNativeSeparators(folder)));
    Target target;
    target.fileName = name.value();
    const QString existing = soundFileNamedAlike(folder, name.value());
    if (!existing.isEmpty()) {
        if (!options.replace) {
            return Status::failure(
                QStringLiteral("Звуковой файл %1 уже есть; он заменяется только по явному указанию").arg(existing));
        }
        if (const QString problem = replaceProblem(folder, existing); !problem.isEmpty())
            return Status::failure(problem);
        target.fileName = existing; // the file the stop lists already find is the one replaced
    }
    target.path = folder + target.fileName;
    const QString sourcePath = QFileInfo(source).canonicalFilePath();
    if (!sourcePath.isEmpty() && sourcePath == QFileInfo(target.path).canonicalFilePath())
        return Status::failure(QStringLiteral("Файл %1 не может заменить сам себя").arg(QDir::toNativeSeparators(source)));
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
    const Result<Target> chosen = chooseTarget(source, programFolder, options);
    if (!chosen.ok())
        return failed(chosen.status());
    const Target &target = chosen.value();

    const QString shownSource = QDir::toNativeSeparators(source);
    SoundDecoder decoder;
    if (Status opened = decoder.open(source); !opened.ok())
        return failed(std::move(opened));
    if (const QString problem = recordingProblem(decoder, shownSource); !problem.isEmpty())
        return failed(problem);
    MonoResampler resampler;
    const auto conversionFailed = [&resampler, &shownSource] {
        return failed(QStringLiteral("Файл %1: %2").arg(shownSource, resampler.status().message), resampler.status().reason);
    };
    if (!resampler.start(decoder.sampleRate()).ok())
        return conversionFailed();
    // The converted samples of the whole recording wait in a temporary file until their peak is known.
    SampleSpool spool;
    if (!spool.open())
        return fileFailed(QStringLiteral("Временный файл не создаётся: "), spool.errorString());
    const auto spoolFailed = [&spool](const char *what) {
        return fileFailed(QStringLiteral("Временный файл ") + QDir::toNativeSeparators(spool.fileName())
                              + QStringLiteral(" не ") + QLatin1StringView(what) + QStringLiteral(": "),
                          spool.errorString());
    };
    LevelTracker levels;

    ReadProgress reading(progress, decoder.fileSize());
    for (bool last = false; !last;) {
        if (reading.cancelRequested())
            return cancelled();
        const std::vector<float> &block = decoder.readBlock();
        if (!decoder.status().ok())
            return failed(decoder.status());
        if (decoder.sourcePeak() > kLoudestImportPeak)
            return failed(tooLoudMessage(shownSource, decoder.sourcePeak()));
        last = block.empty();
        const std::vector<float> &converted = resampler.convert(block, last);
        if (!resampler.status().ok())
            return conversionFailed();
        levels.add(converted);
        if (!spool.append(converted))
            return spoolFailed("записывается");
        // A recording longer than its header says is spooled no further than the limit.
        if (levels.count() > kMaxSoundDataSize)
            break;
        reading.update(decoder.bytesRead());
    }

    if (levels.count() > kMaxSoundDataSize)
        return failed(tooLongMessage(shownSource, QStringLiteral("длиннее")));
    const double peak = levels.peak();
    if (decibelsOf(peak) < kSilentPeakDb)
        return failed(QStringLiteral("Файл %1 не содержит звука: его пик ниже %2 дБ").arg(shownSource).arg(kSilentPeakDb));
    const LevelTracker::Span span = options.trim ? levels.spanReaching(float(peak * amplitudeOf(kTrimBelowPeakDb)))
                                                 : LevelTracker::Span{0, levels.count()};

    QSaveFile output(target.path);
    if (!output.open(QIODevice::WriteOnly))
        return fileFailed(QStringLiteral("Файл ") + QDir::toNativeSeparators(target.path) + QStringLiteral(" не создаётся: "),
                          output.errorString());
    output.write(announcerWaveHeader(quint32(span.count())));
    DitherQuantizer quantizer(options.keepLevel ? 1.0f : float(amplitudeOf(options.peakDb) / peak));
    if (!spool.seek(span.begin))
        return spoolFailed("записывается");
    std::vector<float> samples;
    QByteArray bytes;
    for (qint64 done = 0; done < span.count();) {
        if (reading.cancelRequested())
            return cancelled();
        const qint64 count = std::min(kSpoolBlock, span.count() - done);
        if (!spool.read(count, samples))
            return spoolFailed("читается");
        quantizer.reduce(samples, bytes);
        output.write(bytes);
        done += count;
    }
    if (span.count() % 2)
        output.write(QByteArray(1, '\0')); // chunks are padded to an even size
    if (!commitFully(output))
        return fileFailed(QStringLiteral("Файл ") + QDir::toNativeSeparators(target.path) + QStringLiteral(" не записан: "),
                          output.errorString());

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
