#include "../device/recordingprogress.h"
#include "../files/fixtures.h"
#include "project/boardcontent.h"
#include "sound/soundlibrary.h"
#include "sound/soundsamples.h"
#include "sound/soundtable.h"
#include "sound/wavecheck.h"
#include "project/missingsounds.h"
#include "sound/speech/soundspeaker.h"
#include "sound/speech/speechsynthesizer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace tirvela;
using namespace tirvela::fixture;
using namespace Qt::StringLiterals;

namespace {

// A stand-in for the synthesiser: a shell script that does what `body` says.
QString fakeSynthesizer(const QTemporaryDir &dir, const QString &name, const QByteArray &body)
{
    const QString path = dir.filePath(name);
    if (!writeFile(path, "#!/bin/sh\n" + body + '\n')
        || !QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner))
        qFatal("cannot write the script");
    return path;
}

int peakOf(const QByteArray &samples)
{
    int peak = 0;
    for (const char sample : samples)
        peak = std::max(peak, std::abs(int(quint8(sample)) - 128));
    return peak;
}

} // namespace

// Sound files spoken by the synthesiser (espeak-ng, run as it is installed) and the sounds a
// project lacks.
class TestSpeech : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;

    QString soundPath(const QString &name) const { return mDir.filePath(u"sounds/"_s + name); }

private slots:
    void initTestCase()
    {
        QVERIFY(QDir().mkpath(mDir.filePath(u"sounds"_s)));
        QVERIFY2(checkSpeechSynthesizer({}).ok(), "espeak-ng is not installed (apt-get install espeak-ng)");
    }

    void aSpokenNameBecomesASoundFileTheAnnouncerPlays()
    {
        PronunciationList list;
        list.setEntries({{u"ул."_s, u"улица"_s}});
        SoundSpeaker speaker(mDir.path(), SpeechSettings{}, list);
        QCOMPARE(speaker.spokenText(u"ул. 8 Марта"_s), u"улица восемь Марта"_s);
        const SoundImportResult result = speaker.speak(u"ул. 8 Марта"_s, u"ул. 8 Марта.wav"_s, false);
        QCOMPARE(result.outcome, SoundImportResult::Outcome::Imported);
        QCOMPARE(result.fileName, u"ул. 8 Марта.wav"_s);
        QVERIFY(result.seconds() > 0.5 && result.seconds() < 5);
        QVERIFY(checkWaveFile(soundPath(result.fileName)).ok());
        const Result<QByteArray> sound = readSoundSamples(soundPath(result.fileName));
        QVERIFY(sound.ok());
        // The peak at -1 dB of full scale: 127 * 0.891, give or take the dither.
        QVERIFY2(std::abs(peakOf(sound.value()) - 113) <= 2, qPrintable(QString::number(peakOf(sound.value()))));
        QCOMPARE(QDir(mDir.filePath(u"sounds"_s)).entryList(QDir::Files), QStringList{result.fileName});
    }

    void anExistingFileIsReplacedOnlyWhenAsked()
    {
        const QString name = u"Замена.wav"_s;
        const QByteArray old = waveFile(samples(16000, 1));
        QVERIFY(writeFile(soundPath(u"ЗАМЕНА.wav"_s), old));
        SoundSpeaker speaker(mDir.path(), SpeechSettings{}, PronunciationList{});
        const SoundImportResult refused = speaker.speak(u"Замена"_s, name, false);
        QCOMPARE(refused.outcome, SoundImportResult::Outcome::Failed);
        QVERIFY2(refused.status.message.contains(u"уже есть"_s), qPrintable(refused.status.message));
        QCOMPARE(readFile(soundPath(u"ЗАМЕНА.wav"_s)), old);

        const SoundImportResult replaced = speaker.speak(u"Замена"_s, name, true);
        QCOMPARE(replaced.outcome, SoundImportResult::Outcome::Imported);
        QVERIFY(readFile(soundPath(replaced.fileName)) != old);
        QVERIFY(checkWaveFile(soundPath(replaced.fileName)).ok());
    }

    void aSynthesiserThatFailsLeavesNoFile_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("voice");
        QTest::addColumn<QString>("message");
        QTest::newRow("no such voice") << QByteArray() << u"xx-none"_s << u"voice does not exist"_s;
        QTest::newRow("gives an error") << QByteArray("echo 'сломалось' >&2; exit 3") << u"ru"_s << u"сломалось"_s;
        QTest::newRow("crashes") << QByteArray("kill -SEGV $$") << u"ru"_s << u"аварийно"_s;
        QTest::newRow("writes no speech") << QByteArray("exit 0") << u"ru"_s << u"Файл с речью «Отказ»"_s;
    }

    void aSynthesiserThatFailsLeavesNoFile()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, voice);
        QFETCH(QString, message);
        QTemporaryDir scripts;
        SpeechSettings settings;
        settings.voice = voice;
        if (!script.isEmpty())
            settings.program = fakeSynthesizer(scripts, u"synth"_s, script);
        SoundSpeaker speaker(mDir.path(), settings, PronunciationList{});
        const SoundImportResult result = speaker.speak(u"Отказ"_s, u"Отказ.wav"_s, false);
        QCOMPARE(result.outcome, SoundImportResult::Outcome::Failed);
        QVERIFY2(result.status.message.contains(message), qPrintable(result.status.message));
        QVERIFY(!QFile::exists(soundPath(u"Отказ.wav"_s)));
    }


    // The user's line names the text; what the program said stays apart as well, unchanged.
    void whatTheSynthesiserSaidIsKeptApart()
    {
        QTemporaryDir scripts;
        SpeechSettings settings;
        settings.program = fakeSynthesizer(scripts, u"synth"_s, "echo 'голос не найден' >&2; exit 2");
        const SpeechOutcome outcome = synthesizeSpeech(u"Рынок"_s, scripts.filePath(u"out.wav"_s), settings);
        QCOMPARE(outcome.ending, SpeechOutcome::Ending::Failed);
        QCOMPARE(outcome.status.message, u"Синтезатор речи не озвучил «Рынок»: голос не найден"_s);
        QCOMPARE(outcome.status.reason, u"голос не найден"_s);
    }
    void aMissingSynthesiserSaysWhatToInstall()
    {
        SpeechSettings settings;
        settings.program = mDir.filePath(u"no/espeak-ng"_s);
        const QString problem = checkSpeechSynthesizer(settings).message;
        QVERIFY2(problem.contains(u"apt install espeak-ng"_s), qPrintable(problem));
        SoundSpeaker speaker(mDir.path(), settings, PronunciationList{});
        const SoundImportResult result = speaker.speak(u"Нет"_s, u"Нет.wav"_s, false);
        QCOMPARE(result.outcome, SoundImportResult::Outcome::Failed);
        QCOMPARE(result.status.message, problem);
        settings.program = u"espeak-ng-that-is-not-there"_s;
        QVERIFY(!checkSpeechSynthesizer(settings).ok());
    }

    void aHangingSynthesiserIsKilledWhenTheUserStops()
    {
        QTemporaryDir scripts;
        SpeechSettings settings;
        settings.program = fakeSynthesizer(scripts, u"synth"_s, "exec sleep 60");
        SoundSpeaker speaker(mDir.path(), settings, PronunciationList{});
        test::RecordingProgress progress;
        QElapsedTimer clock;
        clock.start();
        progress.cancelWhen = [&] { return clock.elapsed() > 300; };
        const SoundImportResult result = speaker.speak(u"Долго"_s, u"Долго.wav"_s, false, &progress);
        QCOMPARE(result.outcome, SoundImportResult::Outcome::Cancelled);
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(progress.eventRounds > 0);
        QVERIFY(!QFile::exists(soundPath(u"Долго.wav"_s)));
    }

    void theProjectLacksTheSoundsItsStopsNameAndTheCommonPhrases()
    {
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath(u"sounds"_s)));
        for (const QString &name : {u"Остановка.wav"_s, u"конечная.WAV"_s, u"Вокзал.wav"_s})
            QVERIFY(writeFile(dir.filePath(u"sounds/"_s + name), waveFile(samples(100, 1))));
        Project project;
        newProject(project);
        project.routeCount = 3;
        project.routeStreams[0] = routeStream(
            {stopNode(u"Вокзал"_s, {u"ВОКЗАЛ.wav"_s, u"Рынок.wav"_s}, {u"Следующая остановка.wav"_s, u"Школа 5.wav"_s},
                      {u"07:05"_s})},
            {stopNode(u"Рынок"_s, {u"рынок.WAV"_s, u"Рынок"_s, u"  "_s})});
        project.routeStreams[1] = "\tсломано\r\n\t\t\tглубже\r\n";
        ListLog log;
        SoundTable sounds;
        listSoundsFolder(sounds, dir.path(), log);

        const MissingSounds missing = findMissingSounds(project, sounds);
        QCOMPARE(missing.names, (QStringList{u"Следующая остановка.wav"_s, u"Двери закрываются.wav"_s,
                                             u"Остановка по требованию.wav"_s, u"Рынок.wav"_s, u"Школа 5.wav"_s}));
        QCOMPARE(missing.problems.size(), 2);
        QVERIFY2(missing.problems[0].contains(u"«Рынок»"_s), qPrintable(missing.problems[0]));
        QVERIFY2(missing.problems[1].contains(u"Маршрут 2"_s), qPrintable(missing.problems[1]));
    }
};

QTEST_GUILESS_MAIN(TestSpeech)
#include "test_speech.moc"
