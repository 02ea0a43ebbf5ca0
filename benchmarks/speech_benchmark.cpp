// Voices 500 stop names into sound files and sets the time a name takes against the synthesiser
// alone writing its WAVE file for the same name, measured in the same run, name by name, so that
// both see the same load; prints both figures per name and their ratio (wanted at most 1.2: the
// pronunciation list, the import to 16 kHz 8 bits and the safe write add at most 20 %).
//   speech_benchmark [--names N]

#include "sound/soundname.h"
#include "sound/speech/soundspeaker.h"
#include "sound/speech/speechsynthesizer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

using namespace tirvela;

namespace {

// Stop names as a town has them: abbreviations, numbers, names of one to four words.
QString stopName(int index)
{
    static const QStringList kinds = {QStringLiteral("ул."), QStringLiteral("пл."), QStringLiteral("пр."),
                                      QStringLiteral("мкр."), QStringLiteral("Школа №"), QStringLiteral("д/с"),
                                      QStringLiteral("Поликлиника"), QStringLiteral("Завод")};
    static const QStringList names = {QStringLiteral("Ленина"),    QStringLiteral("Победы"),
                                      QStringLiteral("Гагарина"),  QStringLiteral("Строителей"),
                                      QStringLiteral("Северный"),  QStringLiteral("Октябрьская"),
                                      QStringLiteral("Мира"),      QStringLiteral("Садовая"),
                                      QStringLiteral("Молодёжная"), QStringLiteral("Центральный рынок"),
                                      QStringLiteral("Речной вокзал"), QStringLiteral("Индустриальная")};
    return QStringLiteral("%1 %2 %3").arg(kinds[index % kinds.size()], names[(index / 8) % names.size()]).arg(index + 1);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const qsizetype namesAt = arguments.indexOf(QStringLiteral("--names"));
    const int count = namesAt > 0 && namesAt + 1 < arguments.size() ? arguments[namesAt + 1].toInt() : 500;

    const SpeechSettings settings;
    if (const Status synthesizer = checkSpeechSynthesizer(settings); !synthesizer.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(synthesizer.message));
        return 1;
    }
    QTemporaryDir folder;
    if (!QDir().mkpath(folder.filePath(QStringLiteral("sounds")))) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    PronunciationList pronunciation;
    pronunciation.load(QCoreApplication::applicationDirPath() + QStringLiteral("/") + PronunciationList::fileName());
    SoundSpeaker speaker(folder.path(), settings, pronunciation);
    const QString wave = folder.filePath(QStringLiteral("alone.wav"));

    qint64 aloneNs = 0;
    qint64 voicedNs = 0;
    double seconds = 0;
    QElapsedTimer clock;
    for (int i = 0; i < count; ++i) {
        const QString name = stopName(i);
        const QString spoken = pronunciation.spoken(name);
        clock.start();
        if (synthesizeSpeech(spoken, wave, settings).ending != SpeechOutcome::Ending::Spoken) {
            std::fprintf(stderr, "the synthesiser failed on %s\n", qPrintable(name));
            return 1;
        }
        aloneNs += clock.nsecsElapsed();
        QFile::remove(wave);

        clock.start();
        const SoundImportResult result = speaker.speak(name, soundNameFor(name), false);
        voicedNs += clock.nsecsElapsed();
        if (result.outcome != SoundImportResult::Outcome::Imported) {
            std::fprintf(stderr, "%s\n", qPrintable(result.status.message));
            return 1;
        }
        seconds += result.seconds();
    }
    const double aloneMs = double(aloneNs) / 1e6 / count;
    const double voicedMs = double(voicedNs) / 1e6 / count;
    std::printf("%d stop names, %.1f s of speech\n", count, seconds);
    std::printf("synthesiser alone writing WAVE: %.2f ms a name\n", aloneMs);
    std::printf("voiced into a sound file:       %.2f ms a name\n", voicedMs);
    std::printf("ratio: %.3f (target at most 1.2)\n", voicedMs / aloneMs);
    return 0;
}
