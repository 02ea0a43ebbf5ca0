#include "common/cp1251.h"
#include "../files/fixtures.h"
#include "sound/soundlibrary.h"
#include "sound/undecodablenames.h"
#include "sound/wavecheck.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <unistd.h>

using namespace tirvela;
using namespace tirvela::fixture;
using namespace Qt::StringLiterals;

class TestSoundLibrary : public QObject
{
    Q_OBJECT

private slots:
    void acceptedFilesGiveTheirData_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<qint64>("dataOffset");
        QTest::addColumn<qint64>("dataSize");

        QTest::newRow("canonical header") << waveFile(samples(100, 1)) << qint64(44) << qint64(100);
        QTest::newRow("LIST chunk before the data")
            << waveFile(samples(100, 1), {}, chunk("LIST", QByteArray("INFOISFT\x05\0\0\0Edit\0", 17))) << qint64(44 + 26)
            << qint64(100);
        QTest::newRow("odd chunk padded")
            << waveFile(samples(7, 1), {}, chunk("fact", "abc")) << qint64(44 + 12) << qint64(7);
        QTest::newRow("no samples") << waveFile({}) << qint64(44) << qint64(0);
    }

    void acceptedFilesGiveTheirData()
    {
        QFETCH(QByteArray, file);
        QFETCH(qint64, dataOffset);
        QFETCH(qint64, dataSize);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.wav"));
        QVERIFY(writeFile(path, file));

        const WaveCheckResult result = checkWaveFile(path);
        QVERIFY2(result.ok(), qPrintable(result.status().message));
        QCOMPARE(result.value().dataOffset, dataOffset);
        QCOMPARE(result.value().dataSize, dataSize);
        QCOMPARE(file.mid(dataOffset, dataSize), samples(int(dataSize), 1));
    }

    void failuresNameTheFirstDefect_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("message");

        const QByteArray good = waveFile(samples(64, 2));
        QTest::newRow("shorter than a header") << good.left(40) << u"Не WAVE - формат файла %s !"_s;
        QTest::newRow("not RIFF") << QByteArray("RIFX") + good.mid(4) << u"Не WAVE - формат файла %s !"_s;
        QTest::newRow("not WAVE") << good.left(8) + "AVI " + good.mid(12) << u"Не WAVE - формат файла %s !"_s;
        QTest::newRow("no data chunk") << good.left(36) + chunk("LIST", "x") << u"Не WAVE - формат файла %s !"_s;
        QTest::newRow("stereo") << waveFile(samples(64, 2), {1, 2, 16000, 8}) << u"Файл %s Данные не в формате МОНО!"_s;
        QTest::newRow("stereo 16-bit: mono comes first")
            << waveFile(samples(64, 2), {1, 2, 16000, 16}) << u"Файл %s Данные не в формате МОНО!"_s;
        QTest::newRow("16-bit") << waveFile(samples(64, 2), {1, 1, 16000, 16}) << u"Файл %s Разрядность не 8 бит!"_s;
        QTest::newRow("8 bits but A-law")
            << waveFile(samples(64, 2), {6, 1, 16000, 8}) << u"Файл %s Данные не в простом формате PCM!"_s;
        QTest::newRow("8 bits in the extensible format")
            << waveFile(samples(64, 2), {0xFFFE, 1, 16000, 8}) << u"Файл %s Данные не в простом формате PCM!"_s;
        QTest::newRow("22 kHz 16-bit: bits come first")
            << waveFile(samples(64, 2), {1, 1, 22050, 16}) << u"Файл %s Разрядность не 8 бит!"_s;
        QTest::newRow("22 kHz") << waveFile(samples(64, 2), {1, 1, 22050, 8})
                                << u"Файл %s Частота дискретизации не 16КГц!"_s;
        QTest::newRow("data cut short") << waveFile(samples(64, 2), {}, {}, 65)
                                        << u"Файл %s Звуковых данных меньше, чем указано в заголовке!"_s;
        QTest::newRow("more data than the flash image can store")
            << waveFile({}, {}, {}, 0x1000000) + QByteArray(0x1000000, '\x80')
            << u"Файл %s Звуковые данные длиннее 16777215 байт!"_s;
    }

    void failuresNameTheFirstDefect()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Звук.wav"));
        QVERIFY(writeFile(path, file));

        const WaveCheckResult result = checkWaveFile(path);
        QVERIFY(!result.ok());
        QCOMPARE(result.status().message, message.replace(u"%s"_s, QDir::toNativeSeparators(path)));
    }

    void missingFileIsNotFound()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("нет.wav"));
        const WaveCheckResult result = checkWaveFile(path);
        QVERIFY(!result.ok());
        QCOMPARE(result.status().message, u"Файл "_s + QDir::toNativeSeparators(path) + u" не найден!"_s);
        QCOMPARE(result.status().reason, u"нет такого файла или каталога (No such file or directory)"_s);
    }

    void longPathsShowTheirLastHundredCharacters()
    {
        const QString path = u"/"_s + QString(119, u'ж');
        QCOMPARE(shownSoundPath(path), u"..."_s + QString(100, u'ж'));
        const QString shortPath = QString(100, u'a');
        QCOMPARE(shownSoundPath(shortPath), shortPath);
    }

    void missingFolderIsCreated()
    {
        QTemporaryDir programDir;
        SoundTable table;
        ListLog log;
        const SoundListing listing = listSoundsFolder(table, programDir.path(), log);
        QCOMPARE(listing.outcome, SoundListing::Outcome::FolderCreated);
        QCOMPARE(listing.message, u"Каталог со звуковыми файлами SOUNDS не найден, создан автоматически"_s);
        QVERIFY(QDir(programDir.filePath(u"sounds"_s)).exists());

        QVERIFY(writeFile(programDir.filePath(u"sounds/readme.txt"_s), "x"));
        const SoundListing second = listSoundsFolder(table, programDir.path(), log);
        QCOMPARE(second.outcome, SoundListing::Outcome::NoSoundFiles);
        QCOMPARE(second.message, u"На найдены звуковые файлы *.wav"_s);
        QVERIFY(second.reason.isEmpty());
        QVERIFY(table.isEmpty());
    }

    // A mistyped program folder must not become a tree of new folders.
    void onlyTheSoundsFolderItselfIsMade()
    {
        QTemporaryDir dir;
        SoundTable table;
        ListLog log;
        const QString typo = dir.filePath(u"typo/deeper"_s);
        const SoundListing listing = listSoundsFolder(table, typo, log);
        QCOMPARE(listing.outcome, SoundListing::Outcome::FolderNotMade);
        QCOMPARE(listing.reason, u"нет папки программы "_s + QDir::toNativeSeparators(typo));
        QVERIFY(!QFileInfo::exists(dir.filePath(u"typo"_s)));

        const SoundListing reported = listSoundsFolder(table, dir.path(), log, MissingSoundsFolder::Report);
        QCOMPARE(reported.outcome, SoundListing::Outcome::FolderNotMade);
        QVERIFY(!QFileInfo::exists(dir.filePath(u"sounds"_s)));
    }

    void unlistableFolderGivesTheReason()
    {
        if (::geteuid() == 0)
            QSKIP("the superuser lists every folder");
        QTemporaryDir dir;
        QVERIFY(QDir().mkdir(dir.filePath(u"sounds"_s)));
        QVERIFY(QFile::setPermissions(dir.filePath(u"sounds"_s), QFileDevice::WriteOwner));
        SoundTable table;
        ListLog log;
        const SoundListing listing = listSoundsFolder(table, dir.path(), log);
        QFile::setPermissions(dir.filePath(u"sounds"_s), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(listing.message, u"На найдены звуковые файлы *.wav"_s);
        QCOMPARE(listing.reason, u"нет доступа (Permission denied)"_s);
    }

    void listingKeysNamesForCaseBlindLookup()
    {
        QTemporaryDir programDir;
        const QString sounds = programDir.filePath(u"sounds/"_s);
        QVERIFY(QDir().mkpath(sounds + u"folder.wav"_s));
        for (const QString &name : {u"Остановка.wav"_s, u"ДВЕРИ.WAV"_s, u"b.Wav"_s, u"notes.txt"_s, u"中.wav"_s})
            QVERIFY(writeFile(sounds + name, waveFile({})));

        SoundTable table;
        table.append({u"stale.wav"_s, "STALE.WAV", sounds});
        ListLog log;
        const SoundListing listing = listSoundsFolder(table, programDir.path(), log);
        QCOMPARE(listing.outcome, SoundListing::Outcome::Listed);
        QCOMPARE(table.count(), 3);
        QCOMPARE(log.lines, QStringList{u"Имя файла "_s + QDir::toNativeSeparators(sounds + u"中.wav"_s)
                                        + u" не записывается в кодировке Windows-1251, файл пропущен"_s});

        const int stop = table.find(toCp1251(u"оСТАНОВКА.WAV"));
        QVERIFY(stop >= 0);
        QCOMPARE(table.at(stop).fileName, u"Остановка.wav"_s);
        QCOMPARE(table.at(stop).key, toCp1251(u"ОСТАНОВКА.WAV"));
        QCOMPARE(table.at(stop).path(), sounds + u"Остановка.wav"_s);
        QVERIFY(checkWaveFile(table.at(stop).path()).ok());
        QCOMPARE(table.at(table.find(toCp1251(u"двери.wav"))).fileName, u"ДВЕРИ.WAV"_s);
        QVERIFY(table.find("B.WAV") >= 0);
        QCOMPARE(table.find("stale.wav"), -1);
        QCOMPARE(table.find("notes.txt"), -1);
    }

    void soundsFolderIsFoundInAnyLetterCase()
    {
        QTemporaryDir programDir;
        QVERIFY(QDir().mkpath(programDir.filePath(u"SOUNDS"_s)));
        QVERIFY(writeFile(programDir.filePath(u"SOUNDS/a.wav"_s), waveFile({})));
        SoundTable table;
        ListLog log;
        QCOMPARE(listSoundsFolder(table, programDir.path(), log).outcome, SoundListing::Outcome::Listed);
        QCOMPARE(table.count(), 1);
        QCOMPARE(table.at(0).path(), programDir.filePath(u"SOUNDS/a.wav"_s));
        QVERIFY(log.lines.isEmpty());
        QVERIFY(!QDir(programDir.filePath(u"sounds"_s)).exists());

        // With both, "sounds" wins and the other is named.
        QVERIFY(QDir().mkpath(programDir.filePath(u"sounds"_s)));
        QVERIFY(writeFile(programDir.filePath(u"sounds/b.wav"_s), waveFile({})));
        QCOMPARE(listSoundsFolder(table, programDir.path(), log).outcome, SoundListing::Outcome::Listed);
        QCOMPARE(table.count(), 1);
        QCOMPARE(table.at(0).fileName, u"b.wav"_s);
        QCOMPARE(log.lines, QStringList{u"Каталог "_s + QDir::toNativeSeparators(programDir.filePath(u"SOUNDS"_s))
                                        + u" не используется: звуковые файлы берутся из "_s
                                        + QDir::toNativeSeparators(programDir.filePath(u"sounds/"_s))});
    }

#ifdef Q_OS_UNIX
    void windows1251NamesAreNamedInTheLog()
    {
        QTemporaryDir programDir;
        const QString sounds = programDir.filePath(u"sounds/"_s);
        QVERIFY(QDir().mkpath(sounds));
        QVERIFY(writeFile(sounds + u"a.wav"_s, waveFile({})));
        // "Вокзал.wav" in Windows-1251 bytes, as an archive made on Windows leaves it.
        const QByteArray raw = QFile::encodeName(sounds) + toCp1251(u"Вокзал.wav");
        FILE *file = std::fopen(raw.constData(), "wb");
        QVERIFY(file);
        std::fclose(file);

        SoundTable table;
        ListLog log;
        listSoundsFolder(table, programDir.path(), log);
        QCOMPARE(table.count(), 1);
        QCOMPARE(log.lines.size(), 1);
        QVERIFY2(log.lines[0].contains(u"«Вокзал.wav»"_s), qPrintable(log.lines[0]));
    }

    void windows1251NamesAreRenamedWithoutReplacing()
    {
        QTemporaryDir programDir;
        const QString sounds = programDir.filePath(u"sounds/"_s);
        QVERIFY(QDir().mkpath(sounds));
        QVERIFY(writeFile(sounds + u"Рынок.wav"_s, waveFile(samples(10, 1))));
        const auto writeRaw = [&](const QString &name, const QByteArray &bytes) {
            FILE *file = std::fopen((QFile::encodeName(sounds) + toCp1251(name)).constData(), "wb");
            const bool written = file && std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file) == size_t(bytes.size());
            return file && std::fclose(file) == 0 && written;
        };
        QVERIFY(writeRaw(u"Вокзал.wav"_s, waveFile(samples(10, 2))));
        QVERIFY(writeRaw(u"Рынок.wav"_s, waveFile(samples(10, 3))));

        ListLog log;
        QCOMPARE(renameUndecodableWaveNames(sounds, log), 1);
        QCOMPARE(log.lines.size(), 2);
        QVERIFY2(log.lines.filter(u"Вокзал.wav переименован"_s).size() == 1, qPrintable(log.lines.join(u'\n')));
        QVERIFY(log.lines.contains(u"Файл с именем «Рынок.wav» в кодировке Windows-1251 не переименован: файл с таким именем уже есть"_s));
        QCOMPARE(readFile(sounds + u"Вокзал.wav"_s), waveFile(samples(10, 2)));
        QCOMPARE(readFile(sounds + u"Рынок.wav"_s), waveFile(samples(10, 1)));
        QCOMPARE(undecodableWaveNames(sounds), QByteArrayList{toCp1251(u"Рынок.wav")});

        SoundTable table;
        listSoundsFolder(table, programDir.path(), log);
        QVERIFY(table.find(toCp1251(u"ВОКЗАЛ.WAV")) >= 0);
    }
#endif

    void firstEntryOfAKeyWins()
    {
        SoundTable table;
        table.append({u"a.wav"_s, "A.WAV", u"/one/"_s});
        table.append({u"A.WAV"_s, "A.WAV", u"/two/"_s});
        QCOMPARE(table.find("a.wav"), 0);
    }
};

QTEST_GUILESS_MAIN(TestSoundLibrary)
#include "test_soundlibrary.moc"
