#include "clirun.h"
#include "common/outofmemory.h"
#include "fixtures.h"
#include "project/boardcontent.h"
#include "project/projectbuilder.h"
#include "sound/soundtable.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace tirvela;
using namespace tirvela::fixture;
using namespace Qt::StringLiterals;

namespace {

// A run that ends within this is no hang. Generous: a hang never ends, while the dump of a big
// project on a loaded machine, under the sanitizers, can take well over ten seconds.
constexpr int kNoHangMs = 90000;

// A memory limit for the child; none under AddressSanitizer, which reserves terabytes of address space.
CliLimits memoryLimit(rlim_t bytes)
{
    return {kAddressSanitizer ? 0 : bytes, 0};
}

constexpr qint64 kFourGigabytes = qint64(4) << 30;

bool makeFifo(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

bool makeSparse(const QString &path, const QByteArray &head, qint64 size)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(head) == head.size() && file.resize(size);
}

bool isFifo(const QString &path)
{
    struct stat status;
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISFIFO(status.st_mode);
}

// The head of a current-layout project file of one route, up to its route stream's length.
QByteArray projectHeadClaimingStream(quint32 streamLength)
{
    QByteArray head = QByteArray("KV21").leftJustified(64, '\0');
    head[11] = 0; // one route
    return head + QByteArray("\x04\x00\x00\x00", 4) + le32(streamLength);
}

} // namespace

// tirvela-cli given what a careless user or an attacker gives it: outputs that are its inputs or
// not regular files, FIFOs and devices as inputs, huge sparse files, a full disk, too little memory.
// Every run must end within its time-out, leave the inputs as they were and say what happened.
class TestHostileFiles : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;
    QByteArray mProject;

    QString path(const QString &name) const { return mDir.filePath(name); }

    CliRun run(const QStringList &arguments, CliLimits limits = {})
    {
        const CliRun result = runCli(arguments, mDir.path(), limits, kNoHangMs);
        if (!result.finished)
            qWarning() << "hung:" << arguments;
        return result;
    }

    void addSounds(const QString &programFolder, int size)
    {
        QVERIFY(QDir().mkpath(path(programFolder + u"/sounds"_s)));
        const QStringList sounds = commonPhraseSounds() << u"Вокзал.wav"_s;
        for (int i = 0; i < sounds.size(); ++i)
            QVERIFY(writeFile(path(programFolder + u"/sounds/"_s + sounds[i]), waveFile(samples(size, i))));
    }

private slots:
    void initTestCase()
    {
        addSounds(u"program"_s, 30);
        addSounds(u"bigsounds"_s, 40000);
        QVERIFY(QDir().mkpath(path(u"sub"_s)));
        Project project;
        newProject(project);
        project.routeStreams[0] = routeStream({stopNode(u"Вокзал"_s, {u"Вокзал.wav"_s})});
        ListLog log;
        QVERIFY(buildProjectFile(project, SoundTable{}, path(u"route.stm"_s), log, BuildMode::ProjectFile).ok());
        mProject = readFile(path(u"route.stm"_s));
    }

    void init()
    {
        QVERIFY(writeFile(path(u"route.stm"_s), mProject));
    }

    // A build that fails (here: no sounds) would leave an empty file where the project was.
    void outputThatIsTheInputIsRefused_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("input");

        const QStringList noSounds{u"--program-dir"_s, u"nowhere"_s};
        QTest::newRow("the project itself") << QStringList{u"build"_s, u"route.stm"_s, u"-o"_s, u"route.stm"_s} + noSounds
                                            << u"route.stm"_s;
        QTest::newRow("another spelling")
            << QStringList{u"build"_s, u"route.stm"_s, u"-o"_s, u"sub/../route.stm"_s} + noSounds << u"route.stm"_s;
        QTest::newRow("a link to it") << QStringList{u"build"_s, u"route.stm"_s, u"-o"_s, u"link.stm"_s} + noSounds
                                      << u"route.stm"_s;
        QTest::newRow("a hard link to it") << QStringList{u"build"_s, u"route.stm"_s, u"-o"_s, u"hard.stm"_s} + noSounds
                                           << u"route.stm"_s;
        QTest::newRow("a flash image's default output")
            << QStringList{u"build"_s, u"image.bin"_s} + noSounds << u"image.bin"_s;
        QTest::newRow("save onto itself") << QStringList{u"save"_s, u"image.bin"_s, u"./image.bin"_s} << u"image.bin"_s;
    }

    void outputThatIsTheInputIsRefused()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, input);
        QFile::remove(path(u"link.stm"_s));
        QFile::remove(path(u"hard.stm"_s));
        QVERIFY(QFile::link(u"route.stm"_s, path(u"link.stm"_s)));
        QVERIFY(::link(QFile::encodeName(path(u"route.stm"_s)).constData(), QFile::encodeName(path(u"hard.stm"_s)).constData()) == 0);
        QVERIFY(writeFile(path(u"image.bin"_s), mProject));

        const CliRun result = run(arguments);
        QVERIFY(result.finished);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.contains(u"это исходный файл "_s + input), qPrintable(result.err));
        QCOMPARE(readFile(path(input)), mProject);
    }

    void outputThatIsNoRegularFileIsRefused_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("output");

        for (const QString &command : {u"build"_s, u"save"_s}) {
            QTest::addRow("%s to a FIFO", qPrintable(command)) << command << u"fifo"_s;
            QTest::addRow("%s to a folder", qPrintable(command)) << command << u"sub"_s;
            QTest::addRow("%s to a device", qPrintable(command)) << command << u"/dev/null"_s;
        }
    }

    void outputThatIsNoRegularFileIsRefused()
    {
        QFETCH(QString, command);
        QFETCH(QString, output);
        if (!QFileInfo::exists(path(u"fifo"_s)))
            QVERIFY(makeFifo(path(u"fifo"_s)));
        const QStringList arguments = command == u"build"_s
            ? QStringList{u"build"_s, u"route.stm"_s, u"-o"_s, output, u"--program-dir"_s, path(u"program"_s)}
            : QStringList{u"save"_s, u"route.stm"_s, output};

        const CliRun result = run(arguments);
        QVERIFY(result.finished);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.contains(u" не обычный файл"_s), qPrintable(result.err));
        QVERIFY(isFifo(path(u"fifo"_s)));
        QVERIFY(QFileInfo(path(u"sub"_s)).isDir());
        QVERIFY(!QFileInfo(u"/dev/null"_s).isFile());
        QCOMPARE(readFile(path(u"route.stm"_s)), mProject);
    }

    void linkToARegularFileIsWrittenThrough()
    {
        QVERIFY(writeFile(path(u"target.bin"_s), "an older image"));
        QVERIFY(QFile::link(u"target.bin"_s, path(u"current.bin"_s)));
        const CliRun result = run({u"build"_s, u"route.stm"_s, u"-o"_s, u"current.bin"_s, u"--program-dir"_s, path(u"program"_s)});
        QCOMPARE(result.exitCode, 0);
        QVERIFY(QFileInfo(path(u"current.bin"_s)).isSymLink());
        QVERIFY(readFile(path(u"target.bin"_s)).startsWith("KV21"));
    }

    // As after a failed build, so that an older image never passes for this project's.
    void unreadableProjectLeavesAnEmptyImage_data()
    {
        QTest::addColumn<QString>("project");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << u"none.stm"_s << u"Файл none.stm не найден"_s;
        QTest::newRow("damaged") << u"damaged.stm"_s << u"Файл damaged.stm повреждён: файл короче заголовка"_s;
        QTest::newRow("FIFO") << u"fifo"_s << u"Файл fifo не открывается: это не обычный файл"_s;
    }

    void unreadableProjectLeavesAnEmptyImage()
    {
        QFETCH(QString, project);
        QFETCH(QString, message);
        if (!QFileInfo::exists(path(u"fifo"_s)))
            QVERIFY(makeFifo(path(u"fifo"_s)));
        QVERIFY(writeFile(path(u"damaged.stm"_s), "KV21"));
        QVERIFY(writeFile(path(u"old.bin"_s), "an older image"));
        const CliRun result = run({u"build"_s, project, u"-o"_s, u"old.bin"_s, u"--program-dir"_s, path(u"program"_s)});
        QVERIFY(result.finished);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.startsWith(message), qPrintable(result.err));
        QVERIFY(QFileInfo::exists(path(u"old.bin"_s)));
        QCOMPARE(QFileInfo(path(u"old.bin"_s)).size(), 0);
    }

    void specialFilesAsInputsAreRefused_data()
    {
        QTest::addColumn<QString>("special"); // made as a FIFO unless it exists
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message"); // on standard error or output

        const QString notRegular = u"это не обычный файл"_s;
        QTest::newRow("project") << u"fifo.stm"_s << QStringList{u"dump"_s, u"fifo.stm"_s} << 1
                                 << u"Файл fifo.stm не открывается: "_s + notRegular;
        QTest::newRow("project from a device") << u"/dev/zero"_s << QStringList{u"dump"_s, u"/dev/zero"_s} << 1
                                               << u"Файл /dev/zero не открывается: "_s + notRegular;
        QTest::newRow("editor.ini")
            << u"fifoprogram/editor.ini"_s
            << QStringList{u"blinker-route"_s, u"12"_s, u"--port"_s, path(u"no-such-port"_s), u"--program-dir"_s, path(u"fifoprogram"_s)}
            << 1 << u"Файл настроек "_s + path(u"fifoprogram/editor.ini"_s) + u" не прочитан: "_s + notRegular;
        QTest::newRow("board data file")
            << u"blinker4_16.hex"_s << QStringList{u"dump"_s, u"older.stm"_s} << 0
            << u"blinker4_16.hex не прочитан: "_s + notRegular;
        QTest::newRow("sound file")
            << u"fifo.wav"_s << QStringList{u"sounds"_s, u"--program-dir"_s, path(u"fifoprogram"_s)} << 1
            << u"link.wav\tФайл "_s + path(u"fifoprogram/sounds/link.wav"_s) + u" не найден!\t"_s + notRegular;
        QTest::newRow("flash image")
            << u"fifo.bin"_s << QStringList{u"program"_s, u"fifo.bin"_s, u"--port"_s, path(u"no-such-port"_s)} << 1
            << u"Невозможно открыть файл fifo.bin: "_s + notRegular;
    }

    void specialFilesAsInputsAreRefused()
    {
        QFETCH(QString, special);
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QVERIFY(QDir().mkpath(path(u"fifoprogram/sounds"_s)));
        const QString fifo = QDir(mDir.path()).filePath(special);
        if (!QFileInfo::exists(fifo))
            QVERIFY(makeFifo(fifo));
        QFile::link(fifo, path(u"fifoprogram/sounds/link.wav"_s)); // listed as a file, unlike the FIFO itself
        QVERIFY(writeFile(path(u"older.stm"_s), QByteArray("KV20").leftJustified(32, '\0').replace(11, 1, "\xFF")));

        const CliRun result = run(arguments);
        QVERIFY(result.finished);
        QCOMPARE(result.exitCode, exitCode);
        QVERIFY2((result.err + result.out).contains(message), qPrintable(result.err + result.out));
    }

    // The file sizes are what the issue met: 4 GB, nearly all of it a hole.
    void hugeSparseFilesAreRefusedInBoundedMemory_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");

        QTest::newRow("project claiming a 2 GB stop list")
            << u"huge.stm"_s << projectHeadClaimingStream(0x7FFFFFFF) << QStringList{u"dump"_s, u"huge.stm"_s}
            << u"Файл huge.stm повреждён: список остановок маршрута 1 длиной 2147483647 байт, "
               "а список остановок не бывает длиннее 4 МБ"_s;
        QTest::newRow("editor.ini")
            << u"hugeprogram/editor.ini"_s << QByteArray("[UART]\r\n")
            << QStringList{u"blinker-route"_s, u"12"_s, u"--port"_s, path(u"no-such-port"_s), u"--program-dir"_s, path(u"hugeprogram"_s)}
            << u"не прочитан: файл больше 1 МБ (4294967296 байт)"_s;
        QTest::newRow("board data file")
            << u"blinker4_20.hex"_s << QByteArray(":00000001FF\r\n") << QStringList{u"dump"_s, u"older.stm"_s}
            << u"blinker4_20.hex не прочитан: файл больше 1 МБ (4294967296 байт)"_s;
    }

    void hugeSparseFilesAreRefusedInBoundedMemory()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, head);
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QVERIFY(QDir().mkpath(QFileInfo(path(file)).absolutePath()));
        QVERIFY(makeSparse(path(file), head, kFourGigabytes));
        QVERIFY(writeFile(path(u"older.stm"_s), QByteArray("KV20").leftJustified(32, '\0').replace(11, 1, "\xFF")));

        const CliRun result = runCli(arguments, mDir.path(), memoryLimit(rlim_t(512) << 20), kNoHangMs);
        QFile::remove(path(file));
        QVERIFY(result.finished);
        QVERIFY(result.exitCode >= 0); // no abort
        QVERIFY2(result.err.contains(message), qPrintable(result.err));
    }

    // A project the reader takes but whose dump needs more memory than the process may have.
    void outOfMemoryEndsTheCommandWithAMessage()
    {
        if (kAddressSanitizer)
            QSKIP("AddressSanitizer cannot run under an address space limit");
        Project project;
        newProject(project);
        project.routeCount = 10;
        for (int route = 0; route < project.routeCount; ++route)
            project.routeStreams[size_t(route)] = routeStream(std::vector<StopNode>(30000, stopNode(u"Стоп"_s, {u"a.wav"_s})));
        ListLog log;
        QVERIFY(buildProjectFile(project, SoundTable{}, path(u"large.stm"_s), log, BuildMode::ProjectFile).ok());

        QCOMPARE(run({u"dump"_s, u"large.stm"_s}).exitCode, 0);
        const CliRun result = run({u"dump"_s, u"large.stm"_s}, memoryLimit(rlim_t(400) << 20));
        QVERIFY(result.finished);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.endsWith(outOfMemoryMessage() + u'\n'), qPrintable(result.err.right(300)));
    }

    // RLIMIT_FSIZE makes writes fail past a size, as a disk that fills during the write does.
    void fullDiskGivesTheSystemsReason()
    {
        QVERIFY(writeFile(path(u"full.bin"_s), "an older image"));
        const CliRun build = run({u"build"_s, u"route.stm"_s, u"-o"_s, u"full.bin"_s, u"--program-dir"_s, path(u"bigsounds"_s)},
                                 {0, 100000});
        QCOMPARE(build.exitCode, 1);
        QVERIFY2(build.err.contains(u"File too large"_s), qPrintable(build.err));
        QVERIFY(QFileInfo::exists(path(u"full.bin"_s)));
        QCOMPARE(QFileInfo(path(u"full.bin"_s)).size(), 0);

        QVERIFY(writeFile(path(u"full.stm"_s), "the previous project"));
        const CliRun save = run({u"save"_s, u"route.stm"_s, u"full.stm"_s}, {0, 1000});
        QCOMPARE(save.exitCode, 1);
        QVERIFY2(save.err.contains(u"File too large"_s), qPrintable(save.err));
        QCOMPARE(readFile(path(u"full.stm"_s)), QByteArray("the previous project"));
    }

    void soundsFolderIsNeverMadeByTheCommandLine()
    {
        const CliRun typo = run({u"sounds"_s, u"--program-dir"_s, u"typo/deeper"_s});
        QCOMPARE(typo.exitCode, 1);
        QVERIFY2(typo.out.contains(u"Каталог со звуковыми файлами SOUNDS не найден: "_s), qPrintable(typo.out));
        QVERIFY(!QFileInfo::exists(path(u"typo"_s)));

        QVERIFY(QDir().mkpath(path(u"bare"_s)));
        const CliRun build = run({u"build"_s, u"route.stm"_s, u"-o"_s, u"bare.bin"_s, u"--program-dir"_s, path(u"bare"_s)});
        QCOMPARE(build.exitCode, 1);
        QVERIFY(!QFileInfo::exists(path(u"bare/sounds"_s)));
    }

    void soundNamesKeepTheTableShape()
    {
        QVERIFY(QDir().mkpath(path(u"oddnames/sounds"_s)));
        QVERIFY(writeFile(path(u"oddnames/sounds/a\tb.wav"_s), waveFile(samples(10, 1))));
        QVERIFY(writeFile(path(u"oddnames/sounds/c\nd\\.wav"_s), waveFile(samples(10, 1), {1, 2, 16000, 8})));
        const CliRun result = run({u"sounds"_s, u"--program-dir"_s, path(u"oddnames"_s)});
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.out.split(u'\n', Qt::SkipEmptyParts),
                 (QStringList{u"a\\tb.wav"_s, u"c\\nd\\\\.wav\tФайл "_s + path(u"oddnames/sounds/c\\nd\\\\.wav"_s)
                                                  + u" Данные не в формате МОНО!"_s}));
    }
};

QTEST_GUILESS_MAIN(TestHostileFiles)
#include "test_hostilefiles.moc"
