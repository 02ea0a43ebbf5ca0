#include "../device/recordingprogress.h"
#include "../files/fixtures.h"
#include "sound/import/soundimport.h"
#include "sound/soundlibrary.h"
#include "sound/wavecheck.h"
#include "recordings.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace tirvela;
using namespace tirvela::fixture;
using namespace Qt::StringLiterals;

namespace {

// What a SoundFile holds, measured from its bytes.
struct Measured
{
    qint64 samples = 0;
    double peakDb = 0;
    int clipped = 0;     // samples at either end of the 8-bit range
    int crossings = 0;   // passes through zero, with a margin that the dither cannot cross
};

Measured measure(const QByteArray &file)
{
    Measured measured;
    const QByteArray data = file.mid(44, le32At(file, 40));
    measured.samples = data.size();
    int peak = 0;
    int side = 0;
    for (const char byte : data) {
        const int level = int(quint8(byte)) - 128;
        peak = std::max(peak, std::abs(level));
        measured.clipped += level == -128 || level == 127;
        const int now = level > 8 ? 1 : level < -8 ? -1 : side;
        measured.crossings += side != 0 && now != side;
        side = now;
    }
    measured.peakDb = decibelsOf(peak / 128.0);
    return measured;
}

} // namespace

class TestSoundImport : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;

    QString path(const QString &name) const { return mDir.filePath(name); }
    QString program() const { return path(u"program"_s); }
    QString sounds() const { return path(u"program/sounds/"_s); }
    QStringList soundFolderEntries() const
    {
        return QDir(sounds()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

private slots:
    void init()
    {
        QDir(program()).removeRecursively();
        QVERIFY(QDir().mkpath(sounds()));
    }

    void recordingsBecomeSoundFiles_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<double>("frequency");
        QTest::addColumn<double>("amplitude");

        QTest::newRow("44.1 kHz stereo FLAC") << (SF_FORMAT_FLAC | SF_FORMAT_PCM_16) << 44100 << 2 << 440.0 << 0.5;
        QTest::newRow("44.1 kHz stereo float WAVE") << (SF_FORMAT_WAV | SF_FORMAT_FLOAT) << 44100 << 2 << 1000.0 << 0.25;
        QTest::newRow("44.1 kHz stereo 16-bit WAVE") << (SF_FORMAT_WAV | SF_FORMAT_PCM_16) << 44100 << 2 << 440.0 << 0.5;
        QTest::newRow("48 kHz 3-channel 16-bit WAVE") << (SF_FORMAT_WAV | SF_FORMAT_PCM_16) << 48000 << 3 << 800.0 << 0.4;
        QTest::newRow("8 kHz mono 16-bit WAVE") << (SF_FORMAT_WAV | SF_FORMAT_PCM_16) << 8000 << 1 << 300.0 << 0.7;
        QTest::newRow("48 kHz 24-bit WAVE") << (SF_FORMAT_WAV | SF_FORMAT_PCM_24) << 48000 << 1 << 1000.0 << 0.1;
        QTest::newRow("16 kHz 8-bit WAVE") << (SF_FORMAT_WAV | SF_FORMAT_PCM_U8) << 16000 << 1 << 500.0 << 0.3;
        QTest::newRow("22.05 kHz Ogg Vorbis") << (SF_FORMAT_OGG | SF_FORMAT_VORBIS) << 22050 << 1 << 700.0 << 0.5;
        QTest::newRow("44.1 kHz MP3") << (SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III) << 44100 << 1 << 440.0 << 0.5;
    }

    void recordingsBecomeSoundFiles()
    {
        QFETCH(int, format);
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(double, frequency);
        QFETCH(double, amplitude);
        const QString source = path(u"Вокзал.rec"_s);
        QVERIFY(writeRecording(source, {format, rate, channels, 1.5, sine(frequency, amplitude)}));
        const QByteArray sourceBytes = readFile(source);

        const SoundImportResult result = importSound(source, program(), {});
        QVERIFY2(result.outcome == SoundImportResult::Outcome::Imported, qPrintable(result.status.message));
        QCOMPARE(result.fileName, u"Вокзал.wav"_s);
        const QString written = sounds() + result.fileName;
        const WaveCheckResult check = checkWaveFile(written);
        QVERIFY2(check.ok(), qPrintable(check.status().message));
        QCOMPARE(check.value().dataOffset, 44);
        QCOMPARE(readFile(source), sourceBytes);

        const Measured measured = measure(readFile(written));
        QCOMPARE(measured.samples, result.sampleCount);
        QVERIFY2(std::abs(measured.samples - decodedSeconds(source) * 16000) <= 1, qPrintable(QString::number(measured.samples)));
        const double heardFrequency = measured.crossings / 2.0 / result.seconds();
        QVERIFY2(std::abs(heardFrequency - frequency) < frequency * 0.01, qPrintable(QString::number(heardFrequency)));
        QVERIFY2(std::abs(measured.peakDb - -1.0) <= 0.5, qPrintable(QString::number(measured.peakDb)));
        QCOMPARE(result.peakDb, measured.peakDb);
        QCOMPARE(measured.clipped, 0);
        QVERIFY2(std::abs(result.sourcePeakDb - decibelsOf(amplitude)) < 0.6, qPrintable(QString::number(result.sourcePeakDb)));

        // The dither is the same every time: the same recording gives the same bytes.
        const QByteArray first = readFile(written);
        SoundImportOptions again;
        again.replace = true;
        QVERIFY(importSound(source, program(), again).outcome == SoundImportResult::Outcome::Imported);
        QCOMPARE(readFile(written), first);
    }

    void levelIsSetOrKept_data()
    {
        QTest::addColumn<double>("amplitude");
        QTest::addColumn<bool>("clipHard");
        QTest::addColumn<bool>("keepLevel");
        QTest::addColumn<double>("wantedDb");
        QTest::addColumn<double>("expectedDb");
        QTest::addColumn<bool>("clips");

        QTest::newRow("clipped recording brought under full scale") << 2.0 << true << false << -1.0 << -1.0 << false;
        QTest::newRow("quiet recording raised to -6 dB") << 0.01 << false << false << -6.0 << -6.0 << false;
        QTest::newRow("level kept") << 0.25 << false << true << -1.0 << decibelsOf(0.25) << false;
        QTest::newRow("full scale kept, clipped and told") << 2.0 << true << true << -1.0 << 0.0 << true;
    }

    void levelIsSetOrKept()
    {
        QFETCH(double, amplitude);
        QFETCH(bool, clipHard);
        QFETCH(bool, keepLevel);
        QFETCH(double, wantedDb);
        QFETCH(double, expectedDb);
        QFETCH(bool, clips);
        const auto signal = sine(440, amplitude);
        const QString source = path(u"level.wav"_s);
        QVERIFY(writeRecording(source, {SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, 1.0,
                                        [&](double t) { return clipHard ? std::clamp(signal(t), -1.0, 1.0) : signal(t); }}));

        SoundImportOptions options;
        options.peakDb = wantedDb;
        options.keepLevel = keepLevel;
        const SoundImportResult result = importSound(source, program(), options);
        QVERIFY2(result.outcome == SoundImportResult::Outcome::Imported, qPrintable(result.status.message));
        const Measured measured = measure(readFile(sounds() + result.fileName));
        QVERIFY2(std::abs(measured.peakDb - expectedDb) <= 0.5, qPrintable(QString::number(measured.peakDb)));
        QCOMPARE(measured.clipped > 0, clips);
        QCOMPARE(result.clippedCount > 0, clips);
        QCOMPARE(clippingNote(result).contains(u"перегрузка: обрезано отсчётов"_s), clips);
    }

    void trimCutsTheSilenceAround()
    {
        const auto tone = sine(440, 0.5);
        const QString source = path(u"padded.wav"_s);
        // 0.5 s of silence, 1 s of sound, 0.25 s of silence.
        QVERIFY(writeRecording(source, {SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, 1.75,
                                        [&](double t) { return t >= 0.5 && t < 1.5 ? tone(t - 0.5) : 0.0; }}));
        SoundImportOptions options;
        options.trim = true;
        const SoundImportResult trimmed = importSound(source, program(), options);
        QVERIFY2(trimmed.outcome == SoundImportResult::Outcome::Imported, qPrintable(trimmed.status.message));
        // The converter's filter spreads each edge of the sound by a sample at most.
        QVERIFY2(std::abs(trimmed.sampleCount - 16000) <= 2, qPrintable(QString::number(trimmed.sampleCount)));
        QVERIFY(checkWaveFile(sounds() + trimmed.fileName).ok());

        options.trim = false;
        options.replace = true;
        const SoundImportResult whole = importSound(source, program(), options);
        QVERIFY2(std::abs(whole.sampleCount - 28000) <= 1, qPrintable(QString::number(whole.sampleCount)));
    }

    void refusedImportsWriteNothing_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("replace");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("systemReason"); // the system's or the format library's words, kept apart too

        QTest::newRow("silent recording") << u"silent.wav"_s << QString() << false << u"не содержит звука"_s << false;
        QTest::newRow("not a recording") << u"notes.txt"_s << QString() << false << u"не является звукозаписью"_s << true;
        QTest::newRow("missing file") << u"absent.wav"_s << QString() << false << u"не открывается"_s << true;
        QTest::newRow("folder") << u"folder.wav"_s << QString() << false << u"не является обычным файлом"_s << false;
        QTest::newRow("name Windows-1251 cannot store")
            << u"tone.wav"_s << u"Станция 中"_s << false << u"символ «中»"_s << false;
        QTest::newRow("name with a folder") << u"tone.wav"_s << u"../up"_s << false << u"символ «/»"_s << false;
        QTest::newRow("name taken, letter case aside") << u"tone.wav"_s << u"двери"_s << false << u"ДВЕРИ.WAV уже есть"_s << false;
        QTest::newRow("recording replacing itself")
            << u"program/sounds/ДВЕРИ.WAV"_s << QString() << true << u"не может заменить сам себя"_s << false;
    }

    void refusedImportsWriteNothing()
    {
        QFETCH(QString, source);
        QFETCH(QString, name);
        QFETCH(bool, replace);
        QFETCH(QString, message);
        QFETCH(bool, systemReason);
        QVERIFY(writeRecording(path(u"silent.wav"_s), {SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, 1.0,
                                                       [](double) { return 0.0; }}));
        QVERIFY(writeRecording(path(u"tone.wav"_s), {SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, 0.5, sine(440, 0.5)}));
        QVERIFY(writeFile(path(u"notes.txt"_s), "not a recording at all, only text"));
        QVERIFY(QDir().mkpath(path(u"folder.wav"_s)));
        const QByteArray doors = waveFile(samples(100, 3));
        QVERIFY(writeFile(sounds() + u"ДВЕРИ.WAV"_s, doors));

        SoundImportOptions options;
        options.name = name;
        options.replace = replace;
        const SoundImportResult result = importSound(path(source), program(), options);
        QCOMPARE(result.outcome, SoundImportResult::Outcome::Failed);
        QVERIFY2(result.status.message.contains(message), qPrintable(result.status.message));
        QCOMPARE(!result.status.reason.isEmpty(), systemReason);
        QVERIFY2(result.status.message.contains(result.status.reason), qPrintable(result.status.reason));
        QCOMPARE(soundFolderEntries(), QStringList{u"ДВЕРИ.WAV"_s});
        QCOMPARE(readFile(sounds() + u"ДВЕРИ.WAV"_s), doors);
    }

    void replaceKeepsTheNameTheStopListsFind()
    {
        QVERIFY(writeFile(sounds() + u"ДВЕРИ.WAV"_s, waveFile(samples(100, 3))));
        const QString source = path(u"двери.flac"_s);
        QVERIFY(writeRecording(source, {SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 1, 0.5, sine(440, 0.5)}));
        SoundImportOptions options;
        options.replace = true;
        const SoundImportResult result = importSound(source, program(), options);
        QVERIFY2(result.outcome == SoundImportResult::Outcome::Imported, qPrintable(result.status.message));
        QCOMPARE(result.fileName, u"ДВЕРИ.WAV"_s);
        QCOMPARE(soundFolderEntries(), QStringList{u"ДВЕРИ.WAV"_s});
        QVERIFY(std::abs(measure(readFile(sounds() + u"ДВЕРИ.WAV"_s)).samples - 8000) <= 1);
    }

    void cancelledImportLeavesNothing()
    {
        const QString source = path(u"long.flac"_s);
        QVERIFY(writeRecording(source, {SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2, 20.0, sine(440, 0.5)}));
        test::RecordingProgress progress;
        int asked = 0;
        progress.cancelWhen = [&asked] { return ++asked > 5; };
        const SoundImportResult result = importSound(source, program(), {}, &progress);
        QCOMPARE(result.outcome, SoundImportResult::Outcome::Cancelled);
        QCOMPARE(progress.maximum, int(QFileInfo(source).size()));
        QCOMPARE(soundFolderEntries(), QStringList());
    }

    void missingSoundsFolderIsMade()
    {
        QVERIFY(QDir(sounds()).removeRecursively());
        const QString source = path(u"a.wav"_s);
        QVERIFY(writeRecording(source, {SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000, 1, 0.25, sine(440, 0.5)}));
        SoundImportOptions options;
        options.name = u"Остановка"_s;
        const SoundImportResult result = importSound(source, program(), options);
        QCOMPARE(result.fileName, u"Остановка.wav"_s);
        QCOMPARE(soundFolderEntries(), QStringList{u"Остановка.wav"_s});
    }
};

QTEST_GUILESS_MAIN(TestSoundImport)
#include "test_soundimport.moc"
