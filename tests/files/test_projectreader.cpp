#include "fixtures.h"
#include "project/boardcontent.h"
#include "project/boardimage.h"
#include "project/projectbuilder.h"
#include "project/projectdump.h"
#include "project/projectreader.h"
#include "sound/soundlibrary.h"

#include <QDir>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace tirvela;
using namespace tirvela::fixture;
using namespace Qt::StringLiterals;

namespace {

QByteArray dump(const Project &project)
{
    return QJsonDocument(projectToJson(project)).toJson();
}

void addElement(Project &project, int board, int route, int font, int x, int y, const char16_t *text)
{
    DisplayElement element;
    element.font = font;
    element.x = x;
    element.y = y;
    element.text = toCp1251(text);
    project.boards[size_t(board)].routes[size_t(route)].elements.push_back(element);
}

// Three routes with stops in both directions, control times and board content on every board type.
Project richProject()
{
    Project project;
    newProject(project);
    project.routeCount = 3;
    setRouteNumber(project, 0, "12");
    setRouteNumber(project, 1, "1a");
    setRouteNumber(project, 2, "9999");
    project.routeStreams[0] = routeStream(
        {stopNode(u"Вокзал"_s, {u"a.wav"_s, u"b.wav"_s}, {u"A.WAV"_s}, {u"07:05:30"_s}), stopNode(u"Рынок"_s, {u"b.wav"_s})},
        {stopNode(u"Депо"_s, {}, {u"b.wav"_s})});
    project.routeStreams[1] = routeStream({stopNode(u"Парк"_s, {u"a.wav"_s})});
    addElement(project, 0, 0, 1, 0, 0, u"12");
    addElement(project, 0, 0, 2, 40, -3, u"Вокзал");
    addElement(project, 1, 0, 1, 100, 5, u"12");
    addElement(project, 2, 1, 1, -4, 0, u"1A");
    addElement(project, 2, 2, 3, 0, 2, u"9999");
    return project;
}

} // namespace

class TestProjectReader : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;

    QString path(const QString &name) const { return mDir.filePath(name); }

    // Saves a project in mode 0 and returns the file's bytes.
    QByteArray save(const Project &project, const QString &name)
    {
        ListLog log;
        const Status result = buildProjectFile(project, SoundTable{}, path(name), log, BuildMode::ProjectFile);
        return result.ok() ? readFile(path(name)) : QByteArray();
    }

private slots:
    void savedProjectsReadBackWhole()
    {
        Project original = richProject();
        original.boards[1].image.fill(0x5A);
        const Project beforeSave = original;
        const QByteArray saved = save(original, u"rich.stm"_s);
        QVERIFY(!saved.isEmpty());
        // Saving leaves the project alone, the image it was read from included.
        QVERIFY(original == beforeSave);
        QCOMPARE(original.boards[1].image, beforeSave.boards[1].image);
        const BoardImages images = buildBoardImages(original).images;

        Project reread;
        newProject(reread);
        reread.routeStreams[7] = "left over from before";
        QVERIFY(readProjectFile(reread, path(u"rich.stm"_s)).ok());
        QCOMPARE(dump(reread), dump(original));
        QVERIFY(reread == original);
        QVERIFY(reread.routeStreams[7].isEmpty());
        for (int row = 0; row < BoardTypeCount; ++row) {
            QCOMPARE(reread.boards[size_t(row)].image, images[size_t(row)]);
            for (int route = 0; route < 3; ++route) {
                BoardRouteEntry drawn = original.boards[size_t(row)].routes[size_t(route)];
                redrawRoutePicture(drawn);
                QCOMPARE(reread.boards[size_t(row)].routes[size_t(route)].picture.bits, drawn.picture.bits);
            }
        }
        QCOMPARE(save(reread, u"again.stm"_s), saved);

        // Numbers come back as the board stores them.
        setRouteNumber(original, 1, "1A");
        save(original, u"upper.stm"_s);
        QVERIFY(readProjectFile(reread, path(u"upper.stm"_s)).ok());
        QCOMPARE(reread.routeNumberText(1), QByteArray("1a"));
    }

    // The longest stop list a file may hold is saved and read back, and so is the route after it.
    void stopListAtTheSizeLimitReadsBack()
    {
        Project original;
        newProject(original);
        original.routeCount = 2;
        const qsizetype shortest = routeStream({stopNode(QString(), {u"a.wav"_s})}).size();
        const QString longName(MaxRouteStreamSize - shortest, u'ж');
        original.routeStreams[0] = routeStream({stopNode(longName, {u"a.wav"_s})});
        QCOMPARE(original.routeStreams[0].size(), MaxRouteStreamSize);
        original.routeStreams[1] = routeStream({stopNode(u"Парк"_s, {u"b.wav"_s})});

        QVERIFY(!save(original, u"limit.stm"_s).isEmpty());
        Project reread;
        newProject(reread);
        QVERIFY(readProjectFile(reread, path(u"limit.stm"_s)).ok());
        QCOMPARE(reread.routeStreams[0].size(), MaxRouteStreamSize);
        QVERIFY(reread.routeStreams[0] == original.routeStreams[0]);
        QCOMPARE(reread.routeStreams[1], original.routeStreams[1]);
    }

    void flashImageOpensAsItsProjectFile()
    {
        QVERIFY(QDir().mkpath(path(u"program/sounds"_s)));
        QStringList names = commonPhraseSounds() << u"a.wav"_s << u"b.wav"_s;
        for (int i = 0; i < names.size(); ++i)
            QVERIFY(writeFile(path(u"program/sounds/"_s + names[i]), waveFile(samples(50 + i, i))));
        SoundTable sounds;
        ListLog log;
        listSoundsFolder(sounds, path(u"program"_s), log);

        Project project = richProject();
        QVERIFY(buildProjectFile(project, sounds, path(u"rich.bin"_s), log, BuildMode::FlashImage).ok());
        const QByteArray stm = save(project, u"rich.stm"_s);

        Project fromStm;
        Project fromBin;
        QVERIFY(readProjectFile(fromStm, path(u"rich.stm"_s)).ok());
        QVERIFY(readProjectFile(fromBin, path(u"rich.bin"_s)).ok());
        QCOMPARE(dump(fromBin), dump(fromStm));
        QCOMPARE(save(fromBin, u"frombin.stm"_s), stm);
    }

    void damagedFileIsRefused_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("problem");

        Project project = richProject();
        const QByteArray good = save(project, u"good.stm"_s);
        const qint64 block = 32 * 4;
        const qint64 streams = block + le32At(good, block) % 0x1000000;
        const qint64 secondStream = streams + 4 + le32At(good, streams);
        auto changed = [&good](qint64 at, const QByteArray &bytes) { return QByteArray(good).replace(at, bytes.size(), bytes); };

        QTest::newRow("shorter than its header") << good.left(20) << u"файл короче заголовка"_s;
        QTest::newRow("route count below 0") << changed(11, "\xFE") << u"число маршрутов -1 вне пределов от 0 до 50"_s;
        QTest::newRow("route count above 50") << changed(11, "\x32") << u"число маршрутов 51 вне пределов от 0 до 50"_s;
        QTest::newRow("ends in the route headers") << good.left(32 + 40) << u"файл обрывается в заголовках маршрутов"_s;
        QTest::newRow("board block past the end")
            << changed(block, "\xFF\xFF\xFF") << u"блок табло выходит за конец файла"_s;
        QTest::newRow("ends in the board block") << good.left(block + 100) << u"блок табло выходит за конец файла"_s;
        QTest::newRow("board block shorter than its head")
            << changed(block, QByteArray("\x02\x00\x00", 3)) << u"длина блока табло меньше его заголовка"_s;
        QTest::newRow("image past the block end")
            << changed(block, QByteArray("\x10\x00\x00", 3)) << u"образ табло 1 выходит за конец блока табло"_s;
        QTest::newRow("negative stream length")
            << changed(streams, "\xFF\xFF\xFF\xFF") << u"длина списка остановок маршрута 1 отрицательна"_s;
        QTest::newRow("stream past the end")
            << changed(streams, "\xFF\xFF\xFF\x7F") << u"список остановок маршрута 1 выходит за конец файла"_s;
        QTest::newRow("stream longer than any stop list")
            << changed(streams, QByteArray("\x01\x00\x40\x00", 4)) + QByteArray(4 << 20, '\t')
            << u"список остановок маршрута 1 длиной 4194305 байт, а список остановок не бывает длиннее 4 МБ"_s;
        QTest::newRow("ends before a stream")
            << good.left(secondStream + 2) << u"файл обрывается перед списком остановок маршрута 2"_s;
        QTest::newRow("older layout ends in the pictures")
            << QByteArray("KV20").leftJustified(32, '\0').replace(11, 1, "\x01") + QByteArray(64 + 1000, '\0')
            << u"файл обрывается в картинках маршрутов"_s;
    }

    void damagedFileIsRefused()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, problem);
        const QString name = path(u"damaged.stm"_s);
        QVERIFY(writeFile(name, file));

        Project project = richProject();
        save(project, u"before.stm"_s); // finalises the images, as a loaded project has them
        const QByteArray before = dump(project);
        const std::array<Board, BoardTypeCount> boardsBefore = project.boards;
        const ProjectReadResult result = readProjectFile(project, name);
        QCOMPARE(result.outcome, ProjectReadResult::Outcome::Damaged);
        QCOMPARE(result.status.message, u"Файл "_s + QDir::toNativeSeparators(name) + u" повреждён: "_s + problem);
        QCOMPARE(dump(project), before);
        for (int row = 0; row < BoardTypeCount; ++row)
            QCOMPARE(project.boards[size_t(row)].image, boardsBefore[size_t(row)].image);
    }

    void missingFileChangesNothing()
    {
        Project project = richProject();
        const QByteArray before = dump(project);
        const ProjectReadResult result = readProjectFile(project, path(u"missing.stm"_s));
        QCOMPARE(result.outcome, ProjectReadResult::Outcome::NotFound);
        QCOMPARE(result.status.message, u"Файл "_s + QDir::toNativeSeparators(path(u"missing.stm"_s)) + u" не найден"_s);
        QCOMPARE(dump(project), before);
    }

    // A file that is there but cannot be read: the user's line names it, and the system's reason
    // is kept apart as well, for a caller that logs it on its own.
    void unreadableFileKeepsItsReason()
    {
        const QString folder = path(u"folder.stm"_s);
        QVERIFY(QDir().mkpath(folder));
        Project project = richProject();
        const QByteArray before = dump(project);
        const ProjectReadResult result = readProjectFile(project, folder);
        QCOMPARE(result.outcome, ProjectReadResult::Outcome::Unreadable);
        const QString reason = u"это не обычный файл (папка, устройство, канал или сокет)"_s;
        QCOMPARE(result.status.reason, reason);
        QCOMPARE(result.status.message, u"Файл "_s + QDir::toNativeSeparators(folder) + u" не открывается: "_s + reason);
        QCOMPARE(dump(project), before);
    }

    void boardBlockIsReadAsItsLengthsSay()
    {
        const BoardImage real = buildBoardImages(richProject()).images[0];
        const QByteArray realBytes(reinterpret_cast<const char *>(real.data()), BoardImageSize);

        // One route; four images: the first longer than an image, the second 100 bytes, the third
        // empty, the fourth beyond the three board types; the block claims 20 bytes more.
        QByteArray images = QByteArray("\x01\x08\x07", 3) + realBytes + QByteArray(1800 - 1728, 'x');
        images += QByteArray("\x02\x64\x00", 3) + realBytes.left(100);
        images += QByteArray("\x04\x00\x00", 3);
        images += QByteArray("\x08\x02\x00", 3) + "zz";
        const qint64 blockSize = 4 + images.size() + 20;
        QByteArray file = QByteArray("KV21").leftJustified(64, '\0');
        file += QByteArray(1, char(blockSize)) + char(blockSize >> 8) + char(blockSize >> 16) + char(4) + images;
        file += QByteArray(20, 'j') + le32(3) + "abc" + "stop tables are not read";
        QVERIFY(writeFile(path(u"lengths.stm"_s), file));

        Project project = richProject();
        QVERIFY(readProjectFile(project, path(u"lengths.stm"_s)).ok());
        QCOMPARE(project.routeCount, 1);
        QCOMPARE(project.routeStreams[0], QByteArray("abc"));
        QCOMPARE(project.boards[0].image, real);
        BoardImage second;
        second.fill(0xFF);
        std::copy_n(real.begin(), 100, second.begin());
        QCOMPARE(project.boards[1].image, second);
        BoardImage third;
        third.fill(0xFF);
        QCOMPARE(project.boards[2].image, third);
        QCOMPARE(project.boards[0].routes[0].elements.size(), size_t(2));

        // A header whose route count byte is 0xFF holds no route; images missing from the block hold none either.
        QVERIFY(writeFile(path(u"empty.stm"_s), QByteArray("KV21").leftJustified(32, '\0').replace(11, 1, "\xFF")
                                                   + QByteArray("\x04\x00\x00\x00", 4)));
        QVERIFY(readProjectFile(project, path(u"empty.stm"_s)).ok());
        QCOMPARE(project.routeCount, 0);
        BoardImage zero{};
        for (const Board &board : project.boards) {
            QCOMPARE(board.image, zero);
            QVERIFY(board.routes[0].elements.empty());
        }
    }

    void olderLayoutTakesTheBoardDataFiles()
    {
        const QString objcopy = QStandardPaths::findExecutable(u"objcopy"_s);
        if (objcopy.isEmpty())
            QSKIP("objcopy (binutils) is not installed");

        Project original;
        newProject(original);
        original.routeCount = 2;
        setRouteNumber(original, 0, "12");
        setRouteNumber(original, 1, "34");
        original.routeStreams[0] = routeStream({stopNode(u"Вокзал"_s, {u"a.wav"_s})});
        addElement(original, 0, 0, 1, 1, 2, u"12");
        addElement(original, 1, 1, 2, 3, 4, u"34 Рынок");
        const BoardImages images = buildBoardImages(original).images;

        // The board data files as the board's memory, written by a real Intel HEX tool.
        const QString boardDir = path(u"boards"_s);
        QVERIFY(QDir().mkpath(boardDir));
        for (int row = 0; row < 2; ++row) {
            const BoardImage &image = images[size_t(row)];
            const QString raw = path(u"image%1.raw"_s.arg(row));
            QVERIFY(writeFile(raw, QByteArray(reinterpret_cast<const char *>(image.data()), BoardImageSize)));
            const QString hex = boardDir + (row == 0 ? u"/blinker4_16.hex"_s : u"/blinker4_20.hex"_s);
            QProcess tool;
            tool.start(objcopy, {u"-I"_s, u"binary"_s, u"-O"_s, u"ihex"_s, u"--change-addresses"_s, u"0x40"_s, raw, hex});
            QVERIFY(tool.waitForFinished());
            QCOMPARE(tool.exitCode(), 0);
        }

        QVERIFY(writeFile(path(u"older.stm"_s), olderLayoutFile(original)));

        Project project = richProject();
        const ProjectReadResult read = readProjectFile(project, path(u"older.stm"_s), boardDir);
        QVERIFY(read.ok());
        QVERIFY(read.notes.isEmpty());
        // The third board type has no data file: no elements, but the routes keep their numbers.
        Project expected = original;
        for (BoardRouteEntry &entry : expected.boards[2].routes)
            entry.elements.clear();
        QCOMPARE(dump(project), dump(expected));
        QCOMPARE(project.boards[0].image, images[0]);
        QCOMPARE(project.boards[2].image, BoardImage{});

        // Without a folder the data files are looked for beside the project file.
        QVERIFY(writeFile(boardDir + u"/beside.stm"_s, olderLayoutFile(original)));
        Project beside;
        QVERIFY(readProjectFile(beside, boardDir + u"/beside.stm"_s).notes.isEmpty());
        QVERIFY(beside == project);

        // Without its board data files the project opens without board content, and saves; the
        // notes name each missing file.
        const ProjectReadResult bare = readProjectFile(project, path(u"older.stm"_s), path(u"noboards"_s));
        QVERIFY(bare.ok());
        const QString missing = u"Файл данных табло %1 не найден: картинки табло %2 начинаются пустыми"_s;
        QCOMPARE(bare.notes, (QStringList{missing.arg(QDir::toNativeSeparators(path(u"noboards/blinker4_16.hex"_s)), u"16x28x4"_s),
                                          missing.arg(QDir::toNativeSeparators(path(u"noboards/blinker4_20.hex"_s)), u"20x28x4"_s)}));
        QCOMPARE(project.routeCount, 2);
        QCOMPARE(project.routeStreams[0], original.routeStreams[0]);
        for (const Board &board : project.boards) {
            QCOMPARE(board.image, BoardImage{});
            QVERIFY(board.routes[0].routeNumberText.isEmpty());
        }
        QVERIFY(!save(project, u"older-saved.stm"_s).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestProjectReader)
#include "test_projectreader.moc"
