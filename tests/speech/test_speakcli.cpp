#include "../files/clirun.h"
#include "../files/fixtures.h"
#include "project/boardcontent.h"
#include "project/projectbuilder.h"
#include "sound/soundtable.h"
#include "sound/wavecheck.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tirvela;
using namespace tirvela::fixture;
using namespace Qt::StringLiterals;

// tirvela-cli speak and speak-missing, run as a user runs them, with espeak-ng as installed.
class TestSpeakCli : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;

    QString path(const QString &name) const { return mDir.filePath(name); }
    QStringList soundFiles() const
    {
        QStringList names = QDir(path(u"program/sounds"_s)).entryList(QDir::Files);
        names.sort();
        return names;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(QDir().mkpath(path(u"program/sounds"_s)));
        QVERIFY(QFile::copy(QStringLiteral(TIRVELA_PRONUNCIATION_LIST), path(u"program/произношение.txt"_s)));
        QVERIFY(QDir().mkpath(path(u"broken/sounds"_s)));
        QVERIFY(writeFile(path(u"broken/editor.ini"_s), "[SPEECH]\r\nPROGRAM=/nonexistent/espeak-ng\r\n"));
        QVERIFY(writeFile(path(u"broken/sounds/Вокзал.wav"_s), waveFile(samples(100, 1))));

        Project project;
        newProject(project);
        project.routeStreams[0] = routeStream({stopNode(u"Вокзал"_s, {u"Вокзал.wav"_s}, {u"ул. Мира, 2.wav"_s})},
                                              {stopNode(u"Мира"_s, {u"УЛ. МИРА, 2.WAV"_s})});
        ListLog log;
        QVERIFY(buildProjectFile(project, SoundTable{}, path(u"route.stm"_s), log, BuildMode::ProjectFile).ok());
    }

    void speakMakesOneFileAndReplacesOnlyWithForce()
    {
        const QStringList speak{u"speak"_s, u"пл. Победы, 9"_s, u"--name"_s, u"Победа"_s, u"--program-dir"_s,
                                path(u"program"_s)};
        const CliRun run = runCli(speak, mDir.path());
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.startsWith(u"Победа.wav\t"_s) && run.out.endsWith(u"\tплощадь Победы, девять\n"_s),
                 qPrintable(run.out));
        QVERIFY(checkWaveFile(path(u"program/sounds/Победа.wav"_s)).ok());
        const QByteArray made = readFile(path(u"program/sounds/Победа.wav"_s));

        const CliRun again = runCli(speak, mDir.path());
        QCOMPARE(again.exitCode, 1);
        QVERIFY2(again.err.contains(u"уже есть"_s), qPrintable(again.err));
        QCOMPARE(readFile(path(u"program/sounds/Победа.wav"_s)), made);

        QCOMPARE(runCli(speak + QStringList{u"--force"_s}, mDir.path()).exitCode, 0);
        QVERIFY(QFile::remove(path(u"program/sounds/Победа.wav"_s)));
    }

    void speakMissingMakesWhatTheProjectLacksOnce()
    {
        QVERIFY(writeFile(path(u"program/sounds/вокзал.WAV"_s), waveFile(samples(100, 2))));
        const QStringList command{u"speak-missing"_s, u"route.stm"_s, u"--program-dir"_s, path(u"program"_s)};
        const CliRun run = runCli(command, mDir.path());
        QCOMPARE(run.exitCode, 0);
        const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 7);
        QVERIFY2(lines[5].startsWith(u"ул. Мира, 2.wav\t"_s) && lines[5].endsWith(u"\tулица Мира, два"_s),
                 qPrintable(lines[5]));
        QCOMPARE(lines.last(), u"Озвучено файлов: 6 из 6"_s);
        QStringList expected{u"Двери закрываются.wav"_s, u"Конечная.wav"_s, u"Остановка по требованию.wav"_s,
                                   u"Остановка.wav"_s, u"Следующая остановка.wav"_s, u"ул. Мира, 2.wav"_s,
                                   u"вокзал.WAV"_s};
        expected.sort();
        QCOMPARE(soundFiles(), expected);
        for (const QString &name : expected)
            QVERIFY2(checkWaveFile(path(u"program/sounds/"_s + name)).ok(), qPrintable(name));

        const CliRun again = runCli(command, mDir.path());
        QCOMPARE(again.exitCode, 0);
        QCOMPARE(again.out, u"Все звуковые файлы проекта есть\n"_s);
        QCOMPARE(soundFiles(), expected);
    }

    void withoutTheSynthesiserTheCommandsSayWhatToInstall_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("speak") << QStringList{u"speak"_s, u"Вокзал"_s, u"--name"_s, u"Новый.wav"_s};
        QTest::newRow("speak-missing") << QStringList{u"speak-missing"_s, u"route.stm"_s};
    }

    void withoutTheSynthesiserTheCommandsSayWhatToInstall()
    {
        QFETCH(QStringList, arguments);
        const CliRun run = runCli(arguments << u"--program-dir"_s << path(u"broken"_s), mDir.path());
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(u"sudo apt install espeak-ng"_s), qPrintable(run.err));
        QCOMPARE(QDir(path(u"broken/sounds"_s)).entryList(QDir::Files), QStringList{u"Вокзал.wav"_s});
        // The rest of the tool does not depend on it.
        QCOMPARE(runCli({u"sounds"_s, u"--program-dir"_s, path(u"broken"_s)}, mDir.path()).exitCode, 0);
    }

    void badInputAndUsageHaveTheirExitCodes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("speak without text") << QStringList{u"speak"_s} << 2 << u"usage: tirvela-cli speak TEXT"_s;
        QTest::newRow("speak with two texts") << QStringList{u"speak"_s, u"a"_s, u"b"_s} << 2 << u"usage:"_s;
        QTest::newRow("speak with an empty name")
            << QStringList{u"speak"_s, u"a"_s, u"--name"_s, QString()} << 2 << u"usage:"_s;
        QTest::newRow("speak with an unknown option") << QStringList{u"speak"_s, u"a"_s, u"--loud"_s} << 2 << u"usage:"_s;
        QTest::newRow("speak a name with a folder")
            << QStringList{u"speak"_s, u"a"_s, u"--name"_s, u"../a.wav"_s} << 1 << u"a.wav"_s;
        QTest::newRow("speak-missing without a project") << QStringList{u"speak-missing"_s} << 2
                                                         << u"usage: tirvela-cli speak-missing PROJECT.stm"_s;
        QTest::newRow("speak-missing of a project that is not there")
            << QStringList{u"speak-missing"_s, u"none.stm"_s} << 1 << u"none.stm"_s;
    }

    void badInputAndUsageHaveTheirExitCodes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const QStringList before = soundFiles();
        const CliRun run = runCli(arguments << u"--program-dir"_s << path(u"program"_s), mDir.path());
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QCOMPARE(soundFiles(), before);
    }
};

QTEST_GUILESS_MAIN(TestSpeakCli)
#include "test_speakcli.moc"
