#include "clirun.h"
#include "fixtures.h"
#include "project/boardcontent.h"
#include "project/boardimage.h"
#include "project/projectbuilder.h"
#include "sound/soundtable.h"
#include "../sound/recordings.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace tirvela;
using namespace tirvela::fixture;
using namespace Qt::StringLiterals;

namespace {

// A board image as a board data file: 16-byte data records from board address 64, then the end.
QByteArray intelHex(const BoardImage &image)
{
    QByteArray hex;
    for (int offset = 0; offset < BoardImageSize; offset += 16) {
        const QByteArray data(reinterpret_cast<const char *>(image.data()) + offset, 16);
        hex += ":10" + QByteArray::number(offset + BoardAddressBase, 16).rightJustified(4, '0') + "00" + data.toHex()
               + "00\r\n";
    }
    return hex.toUpper() + ":00000001FF\r\n";
}

} // namespace

// The project file commands of tirvela-cli, run as a user runs them.
class TestCli : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;

    QString path(const QString &name) const { return mDir.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(QDir().mkpath(path(u"program/sounds"_s)));
        const QStringList sounds = commonPhraseSounds() << u"Вокзал.wav"_s;
        for (int i = 0; i < sounds.size(); ++i)
            QVERIFY(writeFile(path(u"program/sounds/"_s + sounds[i]), waveFile(samples(30, i))));

        Project project;
        newProject(project);
        setRouteNumber(project, 0, "12");
        project.routeStreams[0] = routeStream({stopNode(u"Вокзал"_s, {u"вокзал.WAV"_s}, {}, {u"07:05"_s})});
        project.boards[0].routes[0].elements.push_back({1, 2, 3, "12"});
        ListLog log;
        QVERIFY(buildProjectFile(project, SoundTable{}, path(u"route.stm"_s), log, BuildMode::ProjectFile).ok());
    }

    void buildWritesTheFlashImageBesideTheProject()
    {
        const CliRun run = runCli({u"build"_s, u"route.stm"_s, u"--program-dir"_s, path(u"program"_s)}, mDir.path());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, u"Сохранение двоичного файла "_s + QDir::toNativeSeparators(u"route.bin"_s)
                              + u"\nСохранение двоичного файла успешно завершено\n"_s);
        QVERIFY(readFile(path(u"route.bin"_s)).startsWith("KV21"));

        // Without its sounds the build fails and leaves an empty file.
        const CliRun failed = runCli({u"build"_s, u"route.stm"_s, u"-o"_s, u"other.bin"_s, u"--program-dir"_s,
                                   path(u"nowhere"_s)},
                                  mDir.path());
        QCOMPARE(failed.exitCode, 1);
        QVERIFY(failed.out.contains(u"(ОШИБКА!!!) Отсутствует остановка: вокзал.WAV\n"_s));
        // Where, on standard error: the output stays the message log.
        QVERIFY2(failed.err.contains(u"маршрут 12, прямое направление, остановка «Вокзал», группа «Остановка»\n"_s),
                 qPrintable(failed.err));
        QVERIFY(!failed.out.contains(u"маршрут 12"_s));
        QVERIFY(failed.out.endsWith(u"Двоичный файл не сохранен!!!\n"_s));
        QCOMPARE(QFileInfo(path(u"other.bin"_s)).size(), 0);
    }

    void saveAndDumpReadEitherFile()
    {
        QCOMPARE(runCli({u"build"_s, u"route.stm"_s, u"--program-dir"_s, path(u"program"_s)}, mDir.path()).exitCode, 0);
        // Every command takes --program-dir, so scripts can pass the same options everywhere.
        QCOMPARE(runCli({u"save"_s, u"--program-dir"_s, path(u"program"_s), u"route.bin"_s, u"copy.stm"_s}, mDir.path())
                     .exitCode,
                 0);
        QCOMPARE(readFile(path(u"copy.stm"_s)), readFile(path(u"route.stm"_s)));

        const CliRun dump = runCli({u"dump"_s, u"route.bin"_s, u"--program-dir"_s, path(u"program"_s)}, mDir.path());
        QCOMPARE(dump.exitCode, 0);
        const QJsonObject project = QJsonDocument::fromJson(dump.out.toUtf8()).object();
        QCOMPARE(project[u"routeCount"_s].toInt(), 1);
        const QJsonObject route = project[u"routes"_s][0].toObject();
        QCOMPARE(route[u"number"_s].toString(), u"12"_s);
        const QJsonObject stop = route[u"directions"_s][0][u"stops"_s][0].toObject();
        QCOMPARE(stop[u"text"_s].toString(), u"Вокзал"_s);
        QCOMPARE(stop[u"groups"_s][0][u"items"_s][0].toString(), u"вокзал.WAV"_s);
        QCOMPARE(stop[u"groups"_s][2][u"items"_s][0].toString(), u"07:05"_s);
        const QJsonObject element = project[u"boards"_s][0][u"routes"_s][0][u"elements"_s][0].toObject();
        QCOMPARE(element, (QJsonObject{{u"font"_s, 1}, {u"x"_s, 3}, {u"y"_s, 2}, {u"text"_s, u"12"_s}}));
    }

    // Older projects take their board pictures from the data files beside them, wherever the
    // command runs; a missing one is named on standard error.
    void olderProjectsFindTheirBoardDataFiles()
    {
        Project project;
        newProject(project);
        setRouteNumber(project, 0, "34");
        project.boards[0].routes[0].elements.push_back({1, 2, 3, "34"});
        QVERIFY(QDir().mkpath(path(u"old"_s)));
        QVERIFY(writeFile(path(u"old/old.stm"_s), olderLayoutFile(project)));
        QVERIFY(writeFile(path(u"old/blinker4_16.hex"_s), intelHex(buildBoardImages(project).images[0])));

        const CliRun dump = runCli({u"dump"_s, u"old/old.stm"_s}, mDir.path());
        QCOMPARE(dump.exitCode, 0);
        const QJsonObject read = QJsonDocument::fromJson(dump.out.toUtf8()).object();
        QCOMPARE(read[u"routes"_s][0][u"number"_s].toString(), u"34"_s);
        QCOMPARE(read[u"boards"_s][0][u"routes"_s][0][u"elements"_s][0][u"text"_s].toString(), u"34"_s);
        QCOMPARE(dump.err, u"Файл данных табло "_s + QDir::toNativeSeparators(path(u"old/blinker4_20.hex"_s))
                               + u" не найден: картинки табло 20x28x4 начинаются пустыми\n"_s);
    }

    void soundsListsEveryFileWithItsProblem()
    {
        QVERIFY(writeFile(path(u"program/sounds/stereo.wav"_s), waveFile(samples(30, 1), {1, 2, 16000, 8})));
        const CliRun run = runCli({u"sounds"_s, u"--program-dir"_s, path(u"program"_s)}, mDir.path());
        QCOMPARE(run.exitCode, 1);
        const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 7);
        QVERIFY(lines.contains(u"Вокзал.wav"_s));
        QVERIFY(lines.contains(u"stereo.wav\tФайл "_s + QDir::toNativeSeparators(path(u"program/sounds/stereo.wav"_s))
                               + u" Данные не в формате МОНО!"_s));
        QVERIFY(QFile::remove(path(u"program/sounds/stereo.wav"_s)));
        QCOMPARE(runCli({u"sounds"_s, u"--program-dir"_s, path(u"program"_s)}, mDir.path()).exitCode, 0);
    }

    void soundImportGivesALineForEachFile()
    {
        QVERIFY(writeRecording(path(u"tone.flac"_s), {SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2, 0.5, sine(440, 0.5)}));
        QVERIFY(writeFile(path(u"text.wav"_s), "not a recording"));
        QVERIFY(QDir().mkpath(path(u"imports"_s)));
        const QStringList arguments{u"sound-import"_s, u"tone.flac"_s, u"text.wav"_s, u"--level"_s, u"-3"_s,
                                    u"--program-dir"_s, path(u"imports"_s)};
        const CliRun run = runCli(arguments, mDir.path());
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(QRegularExpression(u"^tone\\.wav\t0\\.500 с\tпик -6\\.0 -> -(3\\.0|2\\.9) дБ\n$"_s).match(run.out).hasMatch(),
                 qPrintable(run.out));
        QVERIFY2(run.err.startsWith(u"Файл text.wav не является звукозаписью"_s), qPrintable(run.err));
        QCOMPARE(QDir(path(u"imports/sounds"_s)).entryList(QDir::Files), QStringList{u"tone.wav"_s});

        const CliRun again = runCli(arguments.mid(0, 2) + arguments.mid(5), mDir.path());
        QCOMPARE(again.exitCode, 1);
        QVERIFY2(again.err.contains(u"tone.wav уже есть"_s), qPrintable(again.err));
        QCOMPARE(runCli(arguments.mid(0, 2) + arguments.mid(5) << u"--force"_s, mDir.path()).exitCode, 0);
    }

    void badInputAndUsageHaveTheirExitCodes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("error");

        QTest::newRow("no command") << QStringList{} << 2 << u"usage: tirvela-cli COMMAND"_s;
        QTest::newRow("build without a project") << QStringList{u"build"_s} << 2 << u"usage: tirvela-cli build"_s;
        QTest::newRow("-o without a file") << QStringList{u"build"_s, u"route.stm"_s, u"-o"_s} << 2 << u"Отсутствует значение после «-o»"_s;
        QTest::newRow("-o with an empty name") << QStringList{u"build"_s, u"route.stm"_s, u"-o"_s, QString()} << 2
                                               << u"usage: tirvela-cli build"_s;
        QTest::newRow("version with an argument") << QStringList{u"version"_s, u"extra"_s} << 2
                                                  << u"usage: tirvela-cli version"_s;
        QTest::newRow("save with one file") << QStringList{u"save"_s, u"route.stm"_s} << 2 << u"usage: tirvela-cli save"_s;
        QTest::newRow("--program-dir without a folder")
            << QStringList{u"dump"_s, u"route.stm"_s, u"--program-dir"_s} << 2
            << u"Отсутствует значение после «--program-dir»"_s;
        QTest::newRow("unknown option") << QStringList{u"build"_s, u"route.stm"_s, u"--out"_s, u"x.bin"_s} << 2
                                        << u"Неизвестный параметр «out»"_s;
        QTest::newRow("unknown short option") << QStringList{u"dump"_s, u"-x"_s, u"route.stm"_s} << 2
                                              << u"Неизвестный параметр «x»"_s;
        QTest::newRow("value given to a switch")
            << QStringList{u"sound-import"_s, u"a.wav"_s, u"--trim=yes"_s} << 2
            << u"Неожиданное значение после «--trim»"_s;
        QTest::newRow("unknown command") << QStringList{u"bild"_s, u"route.stm"_s} << 2 << u"Неизвестная команда: bild"_s;
        QTest::newRow("help of an unknown command") << QStringList{u"help"_s, u"bild"_s} << 2 << u"Неизвестная команда: bild"_s;
        QTest::newRow("--version with an argument") << QStringList{u"--version"_s, u"x"_s} << 2 << u"usage:"_s;
        QTest::newRow("missing file") << QStringList{u"dump"_s, u"none.stm"_s} << 1 << u"Файл none.stm не найден"_s;
        QTest::newRow("damaged file") << QStringList{u"save"_s, u"damaged.stm"_s, u"out.stm"_s} << 1
                                      << u"Файл damaged.stm повреждён: файл короче заголовка"_s;
        QTest::newRow("sound-import without a file") << QStringList{u"sound-import"_s} << 2 << u"usage: tirvela-cli sound-import"_s;
        QTest::newRow("one name for two files")
            << QStringList{u"sound-import"_s, u"a.wav"_s, u"b.wav"_s, u"--name"_s, u"c"_s} << 2 << u"usage:"_s;
        QTest::newRow("level and keep-level")
            << QStringList{u"sound-import"_s, u"a.wav"_s, u"--level"_s, u"-3"_s, u"--keep-level"_s} << 2 << u"usage:"_s;
        QTest::newRow("level not a number")
            << QStringList{u"sound-import"_s, u"a.wav"_s, u"--level"_s, u"loud"_s} << 2 << u"usage:"_s;
    }

    void badInputAndUsageHaveTheirExitCodes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, error);
        QVERIFY(writeFile(path(u"damaged.stm"_s), "KV21"));
        const CliRun run = runCli(arguments, mDir.path());
        QCOMPARE(run.exitCode, exitCode);
        // A usage error says what is wrong before the usage line.
        QVERIFY2(run.err.startsWith(error), qPrintable(run.err));
        if (exitCode == 2)
            QVERIFY2(run.err.contains(u"usage: tirvela-cli"_s), qPrintable(run.err));
        QVERIFY(run.out.isEmpty());
        QVERIFY(!QFileInfo::exists(path(u"out.stm"_s)));
    }

    // The overview names every command; each has a help of its own that `help NAME` and
    // `NAME --help` both print on standard output, and a section in the manual page.
    void helpDescribesEveryCommand()
    {
        const CliRun overview = runCli({u"--help"_s}, mDir.path());
        QCOMPARE(overview.exitCode, 0);
        QVERIFY(overview.err.isEmpty());
        QCOMPARE(runCli({u"help"_s}, mDir.path()).out, overview.out);
        const CliRun manual = runCli({u"man-page"_s}, mDir.path());
        QCOMPARE(manual.exitCode, 0);
        QVERIFY(manual.out.startsWith(u".TH TIRVELA\\-CLI 1"_s));

        static const QRegularExpression commandLine(u"^  ([a-z-]+)  "_s, QRegularExpression::MultilineOption);
        QStringList names;
        for (auto match = commandLine.globalMatch(overview.out); match.hasNext();)
            names += match.next().captured(1);
        for (const QString &command : {u"build"_s, u"save"_s, u"dump"_s, u"sounds"_s, u"sound-import"_s, u"program"_s,
                                      u"blinker-route"_s, u"blinker-program"_s, u"font-sheet"_s, u"version"_s})
            QVERIFY2(names.contains(command), qPrintable(command));
        for (const QString &command : std::as_const(names)) {
            const CliRun help = runCli({u"help"_s, command}, mDir.path());
            QCOMPARE(help.exitCode, 0);
            QVERIFY2(help.out.startsWith(u"usage: tirvela-cli "_s + command + u' '), qPrintable(help.out));
            QVERIFY(help.out.contains(u"--program-dir DIR"_s));
            QVERIFY(help.out.contains(u"-h, --help"_s));
            QCOMPARE(runCli({command, u"--help"_s}, mDir.path()).out, help.out);
            QVERIFY2(manual.out.contains(u".SS "_s + QString(command).replace(u'-', u"\\-"_s) + u'\n'),
                     qPrintable(command));
        }
    }

    void helpOfACommandDescribesItsOptions()
    {
        const CliRun help = runCli({u"build"_s, u"route.stm"_s, u"--help"_s, u"-o"_s, u"x.bin"_s}, mDir.path());
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.startsWith(u"usage: tirvela-cli build PROJECT.stm [-o OUT.bin] [--program-dir DIR]\n"_s));
        QVERIFY(help.out.contains(u"\n  -o OUT.bin "_s));
        QVERIFY(help.out.contains(u"\n  PROJECT.stm "_s));
        // --help only describes: nothing is built.
        QVERIFY(!QFileInfo::exists(path(u"x.bin"_s)));
        const CliRun import = runCli({u"help"_s, u"sound-import"_s}, mDir.path());
        for (const QString &option : {u"--name NAME"_s, u"--level DB"_s, u"--keep-level"_s, u"--trim"_s, u"--force"_s})
            QVERIFY2(import.out.contains(u"\n  "_s + option + u' '), qPrintable(option));
    }

    // The sheet is a whole PNG of every font, or no file and a message in Russian.
    void fontSheetIsAPngOrNothing()
    {
        const CliRun run = runCli({u"font-sheet"_s, u"fonts.png"_s}, mDir.path());
        QCOMPARE(run.exitCode, 0);
        QFile sheet(path(u"fonts.png"_s));
        QVERIFY(sheet.open(QIODevice::ReadOnly));
        const QByteArray png = sheet.readAll();
        QVERIFY(png.startsWith("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR"));
        const auto bigEndian = [&](int at) { return qFromBigEndian<quint32>(png.constData() + at); };
        QVERIFY2(bigEndian(16) > 400 && bigEndian(20) > 2000, qPrintable(u"%1x%2"_s.arg(bigEndian(16)).arg(bigEndian(20))));
        QVERIFY(png.endsWith(QByteArray("IEND\xae\x42\x60\x82", 8)));

        const CliRun failed = runCli({u"font-sheet"_s, u"absent/fonts.png"_s}, mDir.path());
        QCOMPARE(failed.exitCode, 1);
        QVERIFY2(failed.err.contains(u"не записан"_s), qPrintable(failed.err));
        QVERIFY(!QFile::exists(path(u"absent"_s)));
    }

    // An executable without the module of the other commands (an installation gone wrong) still
    // builds, and the other commands say what is missing.
    void withoutItsCommandModuleTheToolStillBuilds()
    {
        QVERIFY(QDir().mkpath(path(u"lone/bin"_s)));
        const QString lone = path(u"lone/bin/tirvela-cli"_s);
        QVERIFY(QFile::copy(QStringLiteral(TIRVELA_CLI), lone));
        const CliRun build = runCli({u"build"_s, u"route.stm"_s, u"-o"_s, u"lone.bin"_s, u"--program-dir"_s,
                                     path(u"program"_s)}, mDir.path(), {}, 60000, lone);
        QCOMPARE(build.exitCode, 0);
        QVERIFY(QFileInfo(path(u"lone.bin"_s)).size() > 0);
        const CliRun sheet = runCli({u"font-sheet"_s, u"lone.png"_s}, mDir.path(), {}, 60000, lone);
        QCOMPARE(sheet.exitCode, 1);
        QVERIFY2(sheet.err.startsWith(u"Не удалось загрузить команды tirvela-cli: "_s), qPrintable(sheet.err));
        QVERIFY(!QFile::exists(path(u"lone.png"_s)));
    }

    void versionIsPrinted()
    {
        const CliRun version = runCli({u"--version"_s}, mDir.path());
        QCOMPARE(version.exitCode, 0);
        QVERIFY2(QRegularExpression(u"^tirvela-cli \\d+\\.\\d+"_s).match(version.out).hasMatch(), qPrintable(version.out));
        QCOMPARE(runCli({u"version"_s}, mDir.path()).out, version.out);
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
