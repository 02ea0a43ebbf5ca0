#include "common/crc16.h"
#include "fixtures.h"
#include "project/boardcontent.h"
#include "project/projectbuilder.h"
#include "project/projectreader.h"
#include "sound/soundlibrary.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace tirvela;
using namespace tirvela::fixture;
using namespace Qt::StringLiterals;

namespace {

// A stop as the flash image holds it, read back by the test's own reading of the layout.
struct StoredStop
{
    quint8 flags = 0;
    QByteArray text;
    int atStopFragments = 0;
    std::vector<quint32> times;
    std::vector<std::pair<quint32, quint32>> fragments; // offset, size
    qint64 end = 0; // where the stop's records end
};

std::vector<StoredStop> readStopTable(const QByteArray &file, qint64 table, int stops)
{
    std::vector<StoredStop> stored;
    for (int i = 0; i < stops; ++i) {
        const qint64 record = table + 9 * i;
        StoredStop stop;
        stop.flags = quint8(file[record]);
        qint64 at = table + le32At(file, record + 1);
        stop.text = file.mid(at, quint8(file[record + 5]));
        at += stop.text.size();
        stop.atStopFragments = quint8(file[record + 7]);
        for (int t = 0; t < quint8(file[record + 8]); ++t, at += 4)
            stop.times.push_back(le32At(file, at));
        for (int f = 0; f < quint8(file[record + 6]); ++f, at += 7)
            stop.fragments.emplace_back(le32At(file, at), le32At(file, at + 3) >> 8);
        stop.end = at;
        stored.push_back(stop);
    }
    return stored;
}

} // namespace

class TestProjectBuilder : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;
    SoundTable mSounds;

    QString path(const QString &name) const { return mDir.filePath(name); }

    void addSound(const QString &name, const QByteArray &file)
    {
        QVERIFY(writeFile(path(u"sounds/"_s + name), file));
    }

    void listSounds()
    {
        ListLog log;
        listSoundsFolder(mSounds, mDir.path(), log);
        QVERIFY(log.lines.isEmpty());
    }

    // A project whose route 1 has the number 7 and the given stream.
    static Project oneRoute(const QByteArray &stream)
    {
        Project project;
        newProject(project);
        setRouteNumber(project, 0, "7");
        project.routeStreams[0] = stream;
        return project;
    }

private slots:
    void init()
    {
        QVERIFY(mDir.isValid());
        QDir(path(u"sounds"_s)).removeRecursively();
        QVERIFY(QDir().mkpath(path(u"sounds"_s)));
        const QStringList common = commonPhraseSounds();
        for (int i = 0; i < common.size(); ++i)
            addSound(common[i], waveFile(samples(100, i + 1)));
        listSounds();
    }

    void emptyProjectIsLaidOutByteForByte()
    {
        Project project;
        newProject(project);
        ListLog log;
        const QString stm = path(u"new.stm"_s);
        QVERIFY(writeFile(stm, QByteArray(5000, 'x'))); // a longer old file leaves nothing behind
        const Status result = buildProjectFile(project, mSounds, stm, log, BuildMode::ProjectFile);
        QVERIFY(result.ok());
        QCOMPARE(log.lines, QStringList{u"Сохранение файла "_s + QDir::toNativeSeparators(stm)});

        // Three minimum-size board images: one route numbered 1 whose element list is empty.
        QByteArray image(512, char(0xFF));
        image.replace(4, 9, QByteArray("\x01\x00\x4C\x00\x4C\x00\x00\x00\x00", 9));
        const quint16 crc = crc16Xmodem(0, image.mid(4) + QByteArray(4, char(0xFF)));
        image[0] = char(crc >> 8);
        image[1] = char(crc);
        image[2] = char(0xFC);
        image[3] = 0x01;
        QByteArray boardBlock("\x0D\x06\x00\x03", 4);
        for (char id : {1, 2, 4})
            boardBlock += QByteArray(1, id) + QByteArray("\x00\x02", 2) + image;

        const qint64 commonTable = 64 + 1549 + 4;
        QByteArray common;
        QByteArray commonData;
        const char flags[] = {0x22, 0x02, 0x02, 0x02, 0x0A};
        const QStringList texts = {u"Остановка"_s, u"Следующая остановка"_s, u"Конечная"_s, u"Двери"_s, u"По требованию"_s};
        for (int i = 0; i < 5; ++i) {
            const QByteArray text = toCp1251(texts[i]);
            common += QByteArray(1, flags[i]) + le32(quint32(45 + commonData.size())) + char(text.size())
                      + QByteArray("\x01\x00\x00", 3);
            commonData += text + QByteArray(7, '\0');
        }
        QCOMPARE(commonData.size(), 134 - 45);
        const qint64 routeTable = commonTable + 134;

        QByteArray header(32, '\0');
        header.replace(0, 4, "KV21");
        header.replace(12, 4, le32(quint32(commonTable)));
        QByteArray routeHeader(32, '\0');
        routeHeader[0] = '1';
        routeHeader[9] = char(0xFF);
        routeHeader[10] = char(0xFF);
        routeHeader.replace(12, 4, le32(quint32(routeTable)));
        routeHeader[17] = '1';
        routeHeader.replace(20, 12, le32(64) + le32(64 + 320) + le32(64 + 640));

        const QByteArray expected = header + routeHeader + boardBlock + QByteArray(4, '\0') + common + commonData;
        QCOMPARE(expected.size(), routeTable);
        QCOMPARE(readFile(stm), expected);
    }

    void flashImageStoresEachSoundOnce()
    {
        addSound(u"x.wav"_s, waveFile(samples(300, 6), {}, chunk("LIST", "INFOISFTEdit")));
        addSound(u"Y.WAV"_s, waveFile(samples(13, 7)));
        addSound(u"ж.wav"_s, waveFile(samples(1, 8)));
        listSounds();

        Project project;
        newProject(project);
        project.routeCount = 2;
        setRouteNumber(project, 0, "12");
        setRouteNumber(project, 1, "1a");
        project.routeStreams[0] = routeStream(
            {stopNode(u"Вокзал имени двадцати пяти"_s, {u"x.wav"_s, u"y.wav"_s}, {u"X.WAV"_s}, {u"7:05:30"_s, u"полдень"_s}),
             stopNode(u"Рынок"_s, {}), stopNode(u"Парк"_s, {u"Ж.WAV"_s})},
            {stopNode(u"Депо"_s, {u"Y.wav"_s})});
        std::vector<StopNode> longRoute{stopNode(u"S1"_s, {u"ж.wav"_s, u"x.wav"_s})};
        for (int i = 2; i <= 12; ++i)
            longRoute.push_back(stopNode(u"S"_s + QString::number(i), {}));
        project.routeStreams[1] = routeStream(longRoute);

        ListLog log;
        const QString bin = path(u"route.bin"_s);
        const Status result = buildProjectFile(project, mSounds, bin, log, BuildMode::FlashImage);
        QVERIFY2(result.ok(), qPrintable(log.lines.join(u'\n')));
        QCOMPARE(log.lines, QStringList{u"Сохранение двоичного файла "_s + QDir::toNativeSeparators(bin)});
        const QByteArray file = readFile(bin);

        QCOMPARE(file.left(4), QByteArray("KV21"));
        QCOMPARE(le32At(file, 5), 1024u); // 5 × 100 + 300 + 13 + 1 bytes, rounded up to 512
        QCOMPARE(file[11], char(1));

        const auto common = readStopTable(file, le32At(file, 12), 5);
        const std::vector<int> commonFlags{0x22, 0x02, 0x02, 0x02, 0x0A};
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(common[i].flags, commonFlags[i]);
            QCOMPARE(common[i].atStopFragments, 1);
            const auto [offset, size] = common[i].fragments.at(0);
            QCOMPARE(file.mid(offset, size), samples(100, i + 1));
        }

        const QByteArray route0 = file.mid(32, 32);
        QCOMPARE(route0.left(12), QByteArray("12\0\0\0\0\0\0\0\x02\x00\x04", 12));
        QCOMPARE(route0.mid(16, 4), QByteArray("\x00" "12" "\x00", 4));
        QCOMPARE(route0.mid(20, 12), le32(96) + le32(96 + 320) + le32(96 + 640));
        const auto stops = readStopTable(file, le32At(route0, 12), 4);
        QCOMPARE(stops[0].flags, 0x22);
        QCOMPARE(stops[1].flags, 0x02);
        QCOMPARE(stops[2].flags, 0x0A);
        QCOMPARE(stops[3].flags, 0x15);
        QCOMPARE(stops[0].text, toCp1251(u"Вокзал имени двадцати пяти").left(20));
        QCOMPARE(stops[0].times, (std::vector<quint32>{0x00070530, 0}));
        QCOMPARE(file.mid(stops[0].end - 3 * 7 - 2 * 4, 4), QByteArray("\x30\x05\x07\x00", 4));
        QCOMPARE(stops[0].atStopFragments, 2);
        QCOMPARE(stops[0].fragments.size(), size_t(3));
        const auto x = stops[0].fragments[0];
        QCOMPARE(stops[0].fragments[2], x);
        QCOMPARE(file.mid(x.first, x.second), samples(300, 6));
        QCOMPARE(x.first, quint32(stops[0].end)); // stored right behind the first stop that plays it
        QCOMPARE(file.count(samples(300, 6)), 1);
        QCOMPARE(stops[3].fragments.at(0), stops[0].fragments[1]);
        QCOMPARE(file.mid(stops[0].fragments[1].first, 13), samples(13, 7));

        const QByteArray route1 = file.mid(64, 32);
        QCOMPARE(route1.mid(9, 3), QByteArray("\x11\xFF\x0C", 3));
        QCOMPARE(route1.mid(17, 2), QByteArray("1a"));
        const auto longStops = readStopTable(file, le32At(route1, 12), 12);
        QCOMPARE(longStops[0].fragments, (std::vector<std::pair<quint32, quint32>>{stops[2].fragments.at(0), x}));
        QCOMPARE(longStops[11].flags, 0x0A);
        QCOMPARE(longStops[11].end, file.size()); // the file ends right after the last stop
    }

    void failedFlashImageLeavesAnEmptyFile_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QStringList>("lines");

        const QString route = u"(ОШИБКА!!!) Маршрут 1 («7»): "_s;
        const QString stopGroup = u"маршрут 7, прямое направление, остановка «Вокзал», группа «Остановка»"_s;
        QTest::newRow("missing sound ends its group only")
            << routeStream({stopNode(u"Вокзал"_s, {u"нет.wav"_s, u"a.wav"_s, u"нет2.wav"_s}, {u"a.wav"_s})})
            << QStringList{u"(ОШИБКА!!!) Отсутствует остановка: нет.wav"_s, stopGroup};
        QTest::newRow("eleventh fragment, in both groups")
            << routeStream({stopNode(u"Вокзал"_s, QStringList(12, u"a.wav"_s), {u"A.wav"_s, u"нет.wav"_s})})
            << QStringList{u"(ОШИБКА!!!) Ограничение по количеству фрагментов: Вокзал"_s, stopGroup,
                           u"(ОШИБКА!!!) Ограничение по количеству фрагментов: Вокзал"_s,
                           u"маршрут 7, прямое направление, остановка «Вокзал», группа «Следующая остановка»"_s};
        QTest::newRow("failing SoundFile reported once")
            << routeStream({stopNode(u"Вокзал"_s, {u"stereo.wav"_s}), stopNode(u"Рынок"_s, {u"STEREO.wav"_s})})
            << QStringList{u"Файл %1 Данные не в формате МОНО!"_s, stopGroup};
        QTest::newRow("101 stops in a direction")
            << routeStream(std::vector<StopNode>(101, stopNode(u"s"_s, {})))
            << QStringList{route + u"слишком много остановок (прямое направление 101, обратное 0); "
                                   "допускается не более 100 в направлении и 127 всего"_s};
        QTest::newRow("128 stops in all")
            << routeStream(std::vector<StopNode>(100, stopNode(u"s"_s, {})), std::vector<StopNode>(28, stopNode(u"s"_s, {})))
            << QStringList{route + u"слишком много остановок (прямое направление 100, обратное 28); "
                                   "допускается не более 100 в направлении и 127 всего"_s};
        QTest::newRow("256 control times")
            << routeStream({stopNode(u"Вокзал"_s, {u"a.wav"_s}, {}, QStringList(256, u"07:05"_s))})
            << QStringList{u"(ОШИБКА!!!) Ограничение по количеству контрольных времён (255): Вокзал"_s};
        const QByteArray jump = toCp1251(u"Прямое направление\r\n\t\t\tВокзал\r\n");
        QTest::newRow("level jump")
            << jump << QStringList{route + u"список остановок повреждён, строка 2: "_s + readRouteStream(jump).error};
        QTest::newRow("third direction")
            << routeStream({}) + toCp1251(u"Лишнее\r\n\tВокзал\r\n")
            << QStringList{route + u"список остановок повреждён, строка 3: третье направление «Лишнее»"_s};
    }

    void failedFlashImageLeavesAnEmptyFile()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QStringList, lines);
        addSound(u"a.wav"_s, waveFile(samples(10, 9)));
        addSound(u"stereo.wav"_s, waveFile(samples(10, 9), {1, 2, 16000, 8}));
        listSounds();
        lines.replaceInStrings(u"%1"_s, QDir::toNativeSeparators(path(u"sounds/stereo.wav"_s)));

        Project project = oneRoute(stream);
        const QString bin = path(u"route.bin"_s);
        QVERIFY(writeFile(bin, "an older flash image"));
        ListLog log;
        const Status result = buildProjectFile(project, mSounds, bin, log, BuildMode::FlashImage);
        QVERIFY(!result.ok());
        QVERIFY(result.message.isEmpty());
        QCOMPARE(log.lines.mid(1), lines);
        QVERIFY(QFileInfo::exists(bin));
        QCOMPARE(QFileInfo(bin).size(), 0);

        // The project file keeps the route stream as it is.
        const QString stm = path(u"route.stm"_s);
        QVERIFY(buildProjectFile(project, mSounds, stm, log, BuildMode::ProjectFile).ok());
        Project reread;
        QVERIFY(readProjectFile(reread, stm).ok());
        QCOMPARE(reread.routeStreams[0], stream);
    }

    // The old image goes the way a rename takes it: a reader that has it open reads it whole,
    // another name of it keeps it, and the new image has its permissions. An image the build is
    // told to keep is as it was after a failed build.
    void oldImageIsReplacedAsByARename()
    {
        const QString bin = path(u"old.bin"_s);
        const QString otherName = path(u"other.bin"_s);
        const QByteArray old = "an older flash image";
        QVERIFY(writeFile(bin, old));
        QVERIFY(::link(QFile::encodeName(bin).constData(), QFile::encodeName(otherName).constData()) == 0);
        const QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(bin, permissions));
        QFile reader(bin);
        QVERIFY(reader.open(QIODevice::ReadOnly));

        Project project;
        newProject(project);
        ListLog log;
        QVERIFY(buildProjectFile(project, mSounds, bin, log, BuildMode::FlashImage).ok());
        QVERIFY(readFile(bin).startsWith("KV21"));
        QCOMPARE(QFileInfo(bin).permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser), permissions);
        QCOMPARE(reader.readAll(), old);
        QCOMPARE(readFile(otherName), old);

        QVERIFY(QFile::remove(bin) && writeFile(bin, old));
        const Project broken = oneRoute(routeStream({stopNode(u"Вокзал"_s, {u"нет.wav"_s})}));
        QVERIFY(!buildProjectFile(broken, mSounds, bin, log, BuildMode::FlashImage, FailedBuild::KeepFile).ok());
        QCOMPARE(readFile(bin), old);
    }

    void everySoundIsLookedUp()
    {
        QVERIFY(QFile::remove(path(u"sounds/Конечная.wav"_s)));
        listSounds();
        Project project = oneRoute({});
        ListLog log;
        QVERIFY(!buildProjectFile(project, mSounds, path(u"a.bin"_s), log, BuildMode::FlashImage).ok());
        QCOMPARE(log.lines.mid(1), (QStringList{u"(ОШИБКА!!!) Отсутствует остановка: Конечная.wav"_s,
                                                u"общие фразы двоичного файла, фраза «Конечная»"_s}));
        QCOMPARE(log.places.at(0).route, -1); // no route of the project to go to

        log.lines.clear();
        QVERIFY(!buildProjectFile(project, SoundTable{}, path(u"a.bin"_s), log, BuildMode::FlashImage).ok());
        QCOMPARE(log.lines.size(), 1 + 5 * 2);
    }

    // A problem in a stop names its route, direction, stop and group, and leads to its item.
    void problemsInAStopSayWhere()
    {
        addSound(u"a.wav"_s, waveFile(samples(10, 9)));
        listSounds();
        Project project = oneRoute({});
        project.routeCount = 2;
        setRouteNumber(project, 1, "12");
        project.routeStreams[1] = routeStream({stopNode(u"Школа"_s, {u"a.wav"_s})},
                                              {stopNode(u"Рынок"_s, {}), stopNode(u"Вокзал"_s, {u"a.wav"_s}, {u"a.wav"_s, u"Вокзалл.wav"_s})});
        ListLog log;
        QVERIFY(!buildProjectFile(project, mSounds, path(u"a.bin"_s), log, BuildMode::FlashImage).ok());
        QCOMPARE(log.lines.mid(1), (QStringList{u"(ОШИБКА!!!) Отсутствует остановка: Вокзалл.wav"_s,
                                                u"маршрут 12, обратное направление, остановка «Вокзал», группа «Следующая остановка»"_s}));
        QCOMPARE(log.places.size(), size_t(1));
        QCOMPARE(log.places[0].route, 1);
        QCOMPARE(log.places[0].path, (std::vector<int>{1, 1, 1, 1}));
    }

    void soundTooLongForItsSizeField()
    {
        const QString big = path(u"sounds/big.wav"_s);
        QVERIFY(writeFile(big, waveFile({}, {}, {}, 0x1000000)));
        QFile file(big);
        QVERIFY(file.resize(44 + 0x1000000)); // sparse on most file systems
        listSounds();

        Project project = oneRoute(routeStream({stopNode(u"Вокзал"_s, {u"big.wav"_s})}));
        ListLog log;
        QVERIFY(!buildProjectFile(project, mSounds, path(u"a.bin"_s), log, BuildMode::FlashImage).ok());
        QCOMPARE(log.lines.mid(1), (QStringList{u"Файл "_s + QDir::toNativeSeparators(big)
                                                    + u" Звуковые данные длиннее 16777215 байт!"_s,
                                                u"маршрут 7, прямое направление, остановка «Вокзал», группа «Остановка»"_s}));
    }

    void projectFileOpensNoSound()
    {
        SoundTable absent;
        absent.append({u"a.wav"_s, "A.WAV", path(u"nowhere/"_s)});
        Project project = oneRoute(routeStream({stopNode(u"Вокзал"_s, {u"a.wav"_s, u"нет.wav"_s}, {u"a.wav"_s})}));
        ListLog log;
        const QString stm = path(u"a.stm"_s);
        QVERIFY(buildProjectFile(project, absent, stm, log, BuildMode::ProjectFile).ok());
        QCOMPARE(log.lines.size(), 1);

        const QByteArray file = readFile(stm);
        QCOMPARE(le32At(file, 5), 0u);
        const auto stops = readStopTable(file, le32At(file, 32 + 12), 1);
        QCOMPARE(stops[0].atStopFragments, 0);
        QCOMPARE(stops[0].fragments, (std::vector<std::pair<quint32, quint32>>(3, {0, 0})));
        QCOMPARE(file.mid(stops[0].end - 21, 21), QByteArray(21, '\0'));
    }

    void refusedSaveKeepsTheTarget_data()
    {
        QTest::addColumn<QByteArrayList>("numbers");     // route number texts; their count is the route count
        QTest::addColumn<int>("elementRoute");           // the route that gets display elements, or -1
        QTest::addColumn<int>("elementCount");
        QTest::addColumn<int>("elementX");
        QTest::addColumn<int>("textLength");
        QTest::addColumn<int>("streamSize");             // a route stream of this many bytes on route 1, or 0
        QTest::addColumn<QString>("line");               // empty: the save goes on

        QTest::newRow("board content over the image")
            << QByteArrayList{"1"} << 0 << 60 << 0 << 25 << 0 << u"(ОШИБКА!!!) Содержимое табло 20x28x4 не помещается в образ: лишних 25 байт"_s;
        QTest::newRow("number that is not hexadecimal")
            << QByteArrayList{"1", toCp1251(u"1Ж"), ""} << -1 << 0 << 0 << 25 << 0
            << u"(ОШИБКА!!!) Маршрут 2 («1Ж»): номер маршрута должен быть шестнадцатеричным числом больше 0, "
               "иначе содержимое табло этого и следующих маршрутов не сохранится"_s;
        QTest::newRow("no number, content later")
            << QByteArrayList{"1", "", ""} << 2 << 1 << 0 << 25 << 0
            << u"(ОШИБКА!!!) Маршрут 2: номер маршрута должен быть шестнадцатеричным числом больше 0, "
               "иначе содержимое табло этого и следующих маршрутов не сохранится"_s;
        QTest::newRow("number 0, later number")
            << QByteArrayList{"0", "5"} << -1 << 0 << 0 << 25 << 0
            << u"(ОШИБКА!!!) Маршрут 1 («0»): номер маршрута должен быть шестнадцатеричным числом больше 0, "
               "иначе содержимое табло этого и следующих маршрутов не сохранится"_s;
        QTest::newRow("position over one byte")
            << QByteArrayList{"1"} << 0 << 1 << 200 << 25 << 0
            << u"(ОШИБКА!!!) Маршрут 1, табло 20x28x4, строка 1: Координаты 0:200 не сохранятся: каждая должна быть "
               "от -128 до 127"_s;
        QTest::newRow("text over 29 characters")
            << QByteArrayList{"1"} << 0 << 1 << 0 << 40 << 0
            << u"(ОШИБКА!!!) Маршрут 1, табло 20x28x4, строка 1: Текст длиннее 29 символов не сохранится"_s;
        QTest::newRow("stop list longer than a file may hold")
            << QByteArrayList{"1"} << -1 << 0 << 0 << 25 << (4 << 20) + 1
            << u"(ОШИБКА!!!) Маршрут 1 («1»): список остановок длиной 4194305 байт, больше 4 МБ; такой файл не откроется"_s;
        QTest::newRow("no numbers, nothing to lose") << QByteArrayList{"1", "", ""} << -1 << 0 << 0 << 25 << 0 << QString();
    }

    void refusedSaveKeepsTheTarget()
    {
        QFETCH(QByteArrayList, numbers);
        QFETCH(int, elementRoute);
        QFETCH(int, elementCount);
        QFETCH(int, elementX);
        QFETCH(int, textLength);
        QFETCH(int, streamSize);
        QFETCH(QString, line);

        Project project;
        newProject(project);
        project.routeCount = int(numbers.size());
        for (int route = 0; route < numbers.size(); ++route)
            setRouteNumber(project, route, numbers[route]);
        if (elementRoute >= 0) {
            for (int i = 0; i < elementCount; ++i)
                project.boards[1].routes[size_t(elementRoute)].elements.push_back({1, 0, elementX, QByteArray(textLength, 'A')});
        }
        if (streamSize > 0)
            project.routeStreams[0] = QByteArray(streamSize, '\t');

        const QString stm = path(u"kept.stm"_s);
        const QString bin = path(u"kept.bin"_s);
        QVERIFY(writeFile(stm, "the saved project"));
        QVERIFY(writeFile(bin, "the built image"));
        ListLog log;
        const bool saved = buildProjectFile(project, mSounds, stm, log, BuildMode::ProjectFile).ok();
        const bool built = buildProjectFile(project, mSounds, bin, log, BuildMode::FlashImage).ok();
        if (line.isEmpty()) {
            QVERIFY(saved);
            QVERIFY2(built, qPrintable(log.lines.join(u'\n')));
            QCOMPARE(log.lines.size(), 2);
            return;
        }
        QVERIFY(!saved);
        QVERIFY(!built);
        QCOMPARE(log.lines, (QStringList{u"Сохранение файла "_s + QDir::toNativeSeparators(stm), line,
                                         u"Сохранение двоичного файла "_s + QDir::toNativeSeparators(bin), line}));
        QCOMPARE(readFile(stm), QByteArray("the saved project"));
        QCOMPARE(QFileInfo(bin).size(), 0);
    }

    // A save or a build over a FIFO or a folder would replace it with a regular file.
    void targetThatIsNoRegularFileIsLeftAlone()
    {
        const QString fifo = path(u"fifo.bin"_s);
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        const QString folder = path(u"folder.stm"_s);
        QVERIFY(QDir().mkdir(folder));
        Project project;
        newProject(project);
        for (const QString &target : {fifo, folder}) {
            for (const BuildMode mode : {BuildMode::ProjectFile, BuildMode::FlashImage}) {
                ListLog log;
                const Status result = buildProjectFile(project, mSounds, target, log, mode);
                QVERIFY(!result.ok());
                QVERIFY2(result.message.startsWith(QDir::toNativeSeparators(target) + u" не обычный файл"_s),
                         qPrintable(result.message));
            }
        }
        QVERIFY(QFileInfo(fifo).isFile() == false && QFileInfo(fifo).exists());
        QVERIFY(QFileInfo(folder).isDir());
    }

    void unwritableTargetGivesTheFileError()
    {
        Project project;
        newProject(project);
        ListLog log;
        const Status result =
            buildProjectFile(project, mSounds, path(u"no/such/folder/a.stm"_s), log, BuildMode::ProjectFile);
        QVERIFY(!result.ok());
        QVERIFY(!result.message.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestProjectBuilder)
#include "test_projectbuilder.moc"
