// Recordings a careless user or an attacker hands to `tirvela-cli sound-import`, run as the user
// runs it: overflowing samples, lying rates and lengths, odd things in the sounds folder. Each is
// refused with a message that says why, and nothing is written where it must not be.

#include "../files/clirun.h"
#include "../files/fixtures.h"
#include "recordings.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

#include <sys/stat.h>

using namespace tirvela::fixture;
using namespace Qt::StringLiterals;

namespace {

constexpr int kNoHangMs = 30000;

// The address space the command may take; no limit under AddressSanitizer, which reserves terabytes.
constexpr rlim_t kAddressSpace = kAddressSanitizer ? 0 : rlim_t(768) << 20;

QByteArray floatSamples(std::initializer_list<float> values)
{
    QByteArray bytes;
    for (const float value : values)
        bytes += QByteArray(reinterpret_cast<const char *>(&value), sizeof value);
    return bytes;
}

} // namespace

class TestHostileRecordings : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;

    QString path(const QString &name) const { return mDir.filePath(name); }
    QString sounds() const { return path(u"program/sounds/"_s); }
    QStringList soundFolderEntries() const
    {
        return QDir(sounds()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    CliRun import(const QStringList &arguments, CliLimits limits = {}) const
    {
        return runCli(QStringList{u"sound-import"_s} + arguments + QStringList{u"--program-dir"_s, path(u"program"_s)},
                      mDir.path(), limits, kNoHangMs);
    }

private slots:
    void init()
    {
        QVERIFY(mDir.isValid());
        QVERIFY(QDir(path(u"program"_s)).removeRecursively());
        QVERIFY(QDir().mkpath(sounds()));
    }

    void refusedRecordings_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("message");

        QTest::newRow("one stereo frame at the largest float")
            << u"huge.wav"_s << QStringList() << u"пик записи 770.6 дБ"_s;
        QTest::newRow("mono at 3.4e38") << u"huge-mono.wav"_s << QStringList() << u"данные повреждены"_s;
        QTest::newRow("a rate of 915 MHz") << u"rate.wav"_s << QStringList()
                                           << u"частота дискретизации 915515460 Гц не поддерживается"_s;
        QTest::newRow("a rate of 500 Hz") << u"slow.wav"_s << QStringList() << u"500 Гц не поддерживается"_s;
        QTest::newRow("20 minutes, trimmed") << u"long.flac"_s << QStringList{u"--trim"_s}
                                             << u"длится 20 мин 00 с, это дольше 1048 с"_s;
        QTest::newRow("sound after 18 minutes of silence")
            << u"late.flac"_s << QStringList() << u"длится 18 мин 01 с, это дольше 1048 с"_s;
    }

    // Memory and the temporary folder are limited: a refusal must come before either fills.
    void refusedRecordings()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, options);
        QFETCH(QString, message);
        constexpr float kLargest = std::numeric_limits<float>::max();
        const WaveFormat floats{3, 2, 44100, 32};
        QVERIFY(writeFile(path(u"huge.wav"_s), waveFile(floatSamples({kLargest, kLargest}), floats)));
        QVERIFY(writeFile(path(u"huge-mono.wav"_s),
                          waveFile(floatSamples({0.5f, 3.4e38f, -3.4e38f, 0.25f}), {3, 1, 16000, 32})));
        QVERIFY(writeFile(path(u"rate.wav"_s), waveFile("\x01\x02", {1, 1, 915515460, 16})));
        QVERIFY(writeFile(path(u"slow.wav"_s), waveFile(QByteArray(200, '\x10'), {1, 1, 500, 16})));
        QVERIFY(writeRecording(path(u"long.flac"_s), {SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1000, 1, 1200.0,
                                                       [](double t) { return t > 600 && t < 601 ? 0.5 : 0.0; }}));
        QVERIFY(writeRecording(path(u"late.flac"_s), {SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1000, 1, 1081.0,
                                                       [](double t) { return t > 1080 ? 0.5 : 0.0; }}));

        const CliRun run = import(QStringList{file} + options, {kAddressSpace, rlim_t(4) << 20});
        QVERIFY(run.finished);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QVERIFY2(!run.err.contains(u"Временный"_s), qPrintable(run.err));
        QCOMPARE(soundFolderEntries(), QStringList());
    }

    // Past full scale but not absurdly: imported at the wanted level, not refused.
    void floatRecordingsPastFullScaleAreImported()
    {
        QVERIFY(writeRecording(path(u"loud.wav"_s), {SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, 2, 0.5, sine(440, 1e6)}));
        const CliRun run = import({u"loud.wav"_s});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains(u"пик 120.0 -> "_s), qPrintable(run.out));
    }

    // The MPEG decoder's own notes on a damaged stream ("Note: Trying to resync...") never reach
    // the user: a cut stream is imported as far as it goes, a stream with a hole is refused in Russian.
    void damagedMpegStreamsSpeakOnlyRussian_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("cut short") << u"cut.mp3"_s << 0 << QString();
        QTest::newRow("a hole of noise") << u"hole.mp3"_s << 1 << u"поток MPEG повреждён"_s;
    }

    void damagedMpegStreamsSpeakOnlyRussian()
    {
        QFETCH(QString, file);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const QString whole = path(u"whole.mp3"_s);
        QVERIFY(writeRecording(whole, {SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 1, 1.0, sine(440, 0.5)}));
        QFile source(whole);
        QVERIFY(source.open(QIODevice::ReadOnly));
        const QByteArray stream = source.readAll();
        QVERIFY(stream.size() > 4000);
        QByteArray noise(2000, Qt::Uninitialized);
        for (qsizetype i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 7919 + 13) % 251);
        QVERIFY(writeFile(path(u"cut.mp3"_s), stream.left(stream.size() - 1500)));
        QVERIFY(writeFile(path(u"hole.mp3"_s), stream.left(3000) + noise + stream.mid(3000)));

        const CliRun run = import({file});
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        for (const QString &chatter : {u"Note:"_s, u"Warning:"_s, u"error:"_s, u"resync"_s})
            QVERIFY2(!run.err.contains(chatter, Qt::CaseInsensitive), qPrintable(run.err));
    }

    void highestRateIsConvertedInBoundedMemory()
    {
        QVERIFY(writeRecording(path(u"fast.wav"_s), {SF_FORMAT_WAV | SF_FORMAT_PCM_16, 768000, 1, 0.25, sine(440, 0.5)}));
        const CliRun run = import({u"fast.wav"_s}, {kAddressSpace, 0});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.startsWith(u"fast.wav\t0.250 с"_s), qPrintable(run.out + run.err));
    }

    void temporaryFileFailureGivesPathAndReason()
    {
        QVERIFY(writeRecording(path(u"tone.wav"_s), {SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000, 1, 5.0, sine(440, 0.5)}));
        // The spool takes four bytes a sample, the sound file one.
        const CliRun run = import({u"tone.wav"_s}, {0, 150000});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(u"Временный файл "_s + QDir::tempPath()), qPrintable(run.err));
        QVERIFY2(run.err.contains(u"файл слишком велик (File too large)"_s), qPrintable(run.err));
        QCOMPARE(soundFolderEntries(), QStringList());
    }

    // What is in the sounds folder under the wanted name: without --force it stays; with it, only a
    // regular file, or a link to a regular file in the folder, is replaced.
    void entriesOfTheSameNameAreKept_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("force");
        QTest::addColumn<QString>("message"); // empty: imported

        QTest::newRow("link out of the folder") << u"dangling"_s << false << u"уже есть"_s;
        QTest::newRow("link out of the folder, forced") << u"dangling"_s << true << u"ссылка не на звуковой файл"_s;
        QTest::newRow("FIFO") << u"fifo"_s << false << u"уже есть"_s;
        QTest::newRow("FIFO, forced") << u"fifo"_s << true << u"не является обычным файлом"_s;
        QTest::newRow("link loop, forced") << u"loop"_s << true << u"ссылка не на звуковой файл"_s;
        QTest::newRow("folder, forced") << u"folder"_s << true << u"не является обычным файлом"_s;
        QTest::newRow("link to a sound of the folder, forced") << u"inside"_s << true << QString();
    }

    void entriesOfTheSameNameAreKept()
    {
        QFETCH(QString, entry);
        QFETCH(bool, force);
        QFETCH(QString, message);
        QVERIFY(writeRecording(path(u"x.flac"_s), {SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 16000, 1, 0.25, sine(440, 0.5)}));
        QVERIFY(QDir().mkpath(path(u"outside"_s)));
        const QString target = sounds() + u"d.wav"_s;
        const QByteArray other = waveFile(samples(100, 2));
        if (entry == u"dangling")
            QVERIFY(QFile::link(u"../../outside/new.wav"_s, target));
        else if (entry == u"fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
        else if (entry == u"loop")
            QVERIFY(QFile::link(u"d.wav"_s, target));
        else if (entry == u"folder")
            QVERIFY(QDir().mkdir(target));
        else if (entry == u"inside")
            QVERIFY(writeFile(sounds() + u"other.wav"_s, other) && QFile::link(u"other.wav"_s, target));
        const QStringList before = soundFolderEntries();

        const CliRun run = import(QStringList{u"x.flac"_s, u"--name"_s, u"d"_s} + (force ? QStringList{u"--force"_s} : QStringList()));
        QVERIFY(run.finished);
        QCOMPARE(soundFolderEntries(), before);
        QVERIFY(!QFileInfo::exists(path(u"outside/new.wav"_s)));
        if (message.isEmpty()) {
            QCOMPARE(run.exitCode, 0);
            QVERIFY(QFileInfo(target).isSymLink());
            QVERIFY(readFile(sounds() + u"other.wav"_s) != other);
            return;
        }
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
    }

    void namesAndFoldersAreCheckedFirst_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");

        QTest::newRow("126 Cyrillic letters") << QStringList{u"--name"_s, QString(126, u'Ж')}
                                              << u"слишком длинное: 256 байт, допустимо не более 248"_s;
        QTest::newRow("program folder that does not exist")
            << QStringList{u"--program-dir"_s, u"typo/deeper/er"_s} << u"Папка программы "_s;
    }

    void namesAndFoldersAreCheckedFirst()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QVERIFY(writeRecording(path(u"x.flac"_s), {SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 16000, 1, 0.25, sine(440, 0.5)}));
        const CliRun run = runCli(QStringList{u"sound-import"_s, u"x.flac"_s} + arguments
                                      + (arguments.contains(u"--program-dir"_s) ? QStringList()
                                                                                : QStringList{u"--program-dir"_s, path(u"program"_s)}),
                                  mDir.path(), {}, kNoHangMs);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QVERIFY(!QFileInfo::exists(path(u"typo"_s)));
        QCOMPARE(soundFolderEntries(), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestHostileRecordings)
#include "test_hostilerecordings.moc"
