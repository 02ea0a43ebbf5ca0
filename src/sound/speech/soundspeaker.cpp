#include "sound/speech/soundspeaker.h"

#include "sound/speech/speechsynthesizer.h"

#include <QDir>
#include <QFile>

#include <utility>

namespace tirvela {

SoundSpeaker::SoundSpeaker(const QString &programFolder, const SpeechSettings &settings, PronunciationList pronunciation)
    : mProgramFolder(programFolder), mSettings(settings), mPronunciation(std::move(pronunciation))
{
}

QString SoundSpeaker::textOfSoundName(const QString &fileName)
{
    QString text = fileName;
    if (text.endsWith(QStringLiteral(".wav"), Qt::CaseInsensitive))
        text.chop(4);
    return text.replace(u'_', u' ').simplified();
}

SoundImportResult SoundSpeaker::speak(const QString &text, const QString &name, bool replace, TransferProgress *progress)
{
    SoundImportResult result;
    const QString spoken = spokenText(text).simplified();
    if (spoken.isEmpty()) {
        result.status = Status::failure(QStringLiteral("Звуковой файл %1 не озвучен: нечего произносить").arg(name));
        return result;
    }
    if (!mScratch.isValid()) {
        const QString reason = mScratch.errorString();
        result.status = Status::failure(
            QStringLiteral("Не удалось создать временный каталог для синтеза речи: %1").arg(reason), reason);
        return result;
    }
    const QString wave = mScratch.filePath(QStringLiteral("speech.wav"));
    const SpeechOutcome outcome = synthesizeSpeech(spoken, wave, mSettings, progress);
    if (outcome.ending != SpeechOutcome::Ending::Spoken) {
        QFile::remove(wave);
        result.outcome = outcome.ending == SpeechOutcome::Ending::Cancelled ? SoundImportResult::Outcome::Cancelled
                                                                              : SoundImportResult::Outcome::Failed;
        result.status = outcome.status;
        return result;
    }
    SoundImportOptions options;
    options.name = name;
    options.replace = replace;
    result = importSound(wave, mProgramFolder, options);
    QFile::remove(wave);
    // The temporary file means nothing to the user; the import's refusals name it.
    result.status.message.replace(QDir::toNativeSeparators(wave), QStringLiteral("с речью «%1»").arg(spoken));
    return result;
}

} // namespace tirvela
