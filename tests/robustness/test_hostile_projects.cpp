#include "../files/fixtures.h"

#include "project/boardcontent.h"
#include "project/boardimage.h"
#include "project/projectbuilder.h"
#include "project/projectreader.h"
#include "sound/soundlibrary.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

#include <sys/resource.h>

using namespace tirvela;
using namespace tirvela::fixture;

namespace {

// Every Windows-1251 byte a stored text can hold: all but NUL, line ends, and (first) TAB and blank.
QByteArray everyStorableByte()
{
    QByteArray bytes;
    for (int code = 1; code < 256; ++code) {
        if (code != '\r' && code != '\n' && code != '\t' && code != ' ')
            bytes.append(char(code));
    }
    return bytes;
}

// A route at every limit: 100 forward and 27 reverse stops, 10 fragments each (5 at the stop,
// 5 before it), stop names longer than the 20 bytes the device keeps, every byte value in names.
QByteArray fullRouteStream(int route, const QStringList &sounds)
{
    const QByteArray alphabet = everyStorableByte();
    auto stopsOf = [&](int count, int first) {
        std::vector<StopNode> stops;
        for (int s = 0; s < count; ++s) {
            const int at = (first + s) * 7 % int(alphabet.size() - 40);
            StopNode stop = stopNode({}, {}, {}, {QStringLiteral("%1:%2:%3").arg(s % 24).arg(s % 60).arg(route)});
            stop.text = alphabet.mid(at, 40) + QByteArray::number(route);
            for (int f = 0; f < 10; ++f)
                stop.child(f < 5 ? 0 : 1).appendChild(textNode(sounds[(route + s + f) % sounds.size()]));
            stops.push_back(std::move(stop));
        }
        return stops;
    };
    return routeStream(stopsOf(100, 0), stopsOf(27, 100));
}

// Board content that fills the 1728-byte image exactly on every board type.
void fillBoards(Project &project)
{
    const QByteArray alphabet = everyStorableByte();
    for (int boardRow = 0; boardRow < BoardTypeCount; ++boardRow) {
        // the table (4 + 300 + 2) and 50 list ends leave 1372 bytes: 41 elements of 33, and one of 19
        for (int e = 0; e < 42; ++e) {
            const int length = e < 41 ? MaxElementTextLength : 15;
            DisplayElement element{1 + e % 6, e % 2 ? -20 + e : e, e * 3 - 10,
                                   alphabet.mid((e * 29 + boardRow) % (alphabet.size() - 29), length), 0, 0};
            project.boards[boardRow].routes[(e * 13) % MaxRoutes].elements.push_back(element);
        }
        for (BoardRouteEntry &entry : project.boards[boardRow].routes)
            redrawRoutePicture(entry);
    }
}

std::unique_ptr<Project> hostileProject(const QStringList &sounds)
{
    auto project = std::make_unique<Project>();
    project->routeCount = MaxRoutes;
    for (int route = 0; route < MaxRoutes; ++route) {
        setRouteNumber(*project, route, routeNumberText(quint16(0xFFFF - route)));
        project->routeStreams[route] = fullRouteStream(route, sounds);
    }
    fillBoards(*project);
    return project;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// `expected` was saved and `actual` read from its file.
void compareProjects(const Project &actual, const Project &expected)
{
    QVERIFY(actual == expected);
    const BoardImages savedImages = buildBoardImages(expected).images;
    QCOMPARE(actual.routeCount, expected.routeCount);
    for (int route = 0; route < MaxRoutes; ++route)
        QCOMPARE(actual.routeStreams[route], route < expected.routeCount ? expected.routeStreams[route] : QByteArray());
    for (int boardRow = 0; boardRow < BoardTypeCount; ++boardRow) {
        QVERIFY(actual.boards[boardRow].image == savedImages[boardRow]);
        for (int route = 0; route < MaxRoutes; ++route) {
            const BoardRouteEntry &a = actual.boards[boardRow].routes[route];
            const BoardRouteEntry &e = expected.boards[boardRow].routes[route];
            QCOMPARE(a.routeNumberText, e.routeNumberText);
            QCOMPARE(a.elements.size(), e.elements.size());
            for (size_t i = 0; i < a.elements.size(); ++i) {
                QCOMPARE(a.elements[i].font, e.elements[i].font);
                QCOMPARE(a.elements[i].x, e.elements[i].x);
                QCOMPARE(a.elements[i].y, e.elements[i].y);
                QCOMPARE(a.elements[i].text, e.elements[i].text);
            }
            QVERIFY(a.picture.bits == e.picture.bits);
        }
    }
}

} // namespace

// Projects at every limit, with every byte value in their texts: saved, read, built and compared.
class TestHostileProjects : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(mDir.isValid());
        QVERIFY(QDir(mDir.path()).mkpath(QStringLiteral("sounds")));
        mSounds = commonPhraseSounds();
        for (int i = 0; i < 12; ++i)
            mSounds.append(QStringLiteral("Звук %1 ЁёЪъ.wav").arg(i));
        for (int i = 0; i < mSounds.size(); ++i)
            QVERIFY(writeFile(soundsFolderOf(mDir.path() + u'/') + mSounds[i], waveFile(samples(700 + i * 13, i))));
        ListLog log;
        QCOMPARE(listSoundsFolder(mTable, mDir.path() + u'/', log).outcome, SoundListing::Outcome::Listed);
    }

    void fullProjectSurvivesSaveAndRead()
    {
        auto project = hostileProject(mSounds);
        const QString stm = mDir.filePath(QStringLiteral("full.stm"));
        ListLog log;
        QVERIFY2(buildProjectFile(*project, mTable, stm, log, BuildMode::ProjectFile).ok(), qPrintable(log.lines.join(u'\n')));
        // the board content fills every image to its last byte
        for (const BoardImage &image : buildBoardImages(*project).images)
            QCOMPARE(storedBoardImageSize(image), BoardImageSize);

        auto reread = std::make_unique<Project>();
        QVERIFY(readProjectFile(*reread, stm).ok());
        compareProjects(*reread, *project);

        const QString again = mDir.filePath(QStringLiteral("again.stm"));
        QVERIFY(buildProjectFile(*reread, mTable, again, log, BuildMode::ProjectFile).ok());
        QCOMPARE(readAll(again), readAll(stm));
    }

    void fullProjectBuildsAndTheImageReadsBack()
    {
        auto project = hostileProject(mSounds);
        const QString bin = mDir.filePath(QStringLiteral("full.bin"));
        ListLog log;
        QVERIFY2(buildProjectFile(*project, mTable, bin, log, BuildMode::FlashImage).ok(), qPrintable(log.lines.join(u'\n')));
        QVERIFY(QFileInfo(bin).size() > 50 * 127 * 9);

        auto reread = std::make_unique<Project>();
        QVERIFY(readProjectFile(*reread, bin).ok());
        compareProjects(*reread, *project);
    }

    void oneByteMoreOnABoardIsRefused()
    {
        auto project = hostileProject(mSounds);
        project->boards[1].routes[49].elements.push_back({2, 0, 0, QByteArray(), 0, 0});
        const QString stm = mDir.filePath(QStringLiteral("over.stm"));
        QVERIFY(writeFile(stm, "previous"));
        ListLog log;
        QVERIFY(!buildProjectFile(*project, mTable, stm, log, BuildMode::ProjectFile).ok());
        QCOMPARE(readAll(stm), QByteArray("previous"));
        QVERIFY(log.lines.join(u'\n').contains(QString::fromUtf8(kBoardTypes[1].caption)));
    }

    // A disk that fills up half way through a save: the project file keeps its previous content,
    // the flash image is left empty, and both report the failure.
    void fullDiskKeepsWhatWasThere()
    {
        auto project = hostileProject(mSounds);
        const QString stm = mDir.filePath(QStringLiteral("disk.stm"));
        const QString bin = mDir.filePath(QStringLiteral("disk.bin"));
        QVERIFY(writeFile(stm, "previous project"));
        QVERIFY(writeFile(bin, "previous image"));

        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 100 * 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        ListLog log;
        const Status saved = buildProjectFile(*project, mTable, stm, log, BuildMode::ProjectFile);
        const Status built = buildProjectFile(*project, mTable, bin, log, BuildMode::FlashImage);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(!saved.ok());
        QVERIFY(!saved.message.isEmpty());
        QCOMPARE(readAll(stm), QByteArray("previous project"));
        QVERIFY(!built.ok());
        QCOMPARE(readAll(bin), QByteArray());
    }

private:
    QTemporaryDir mDir;
    QStringList mSounds;
    SoundTable mTable;
};

QTEST_GUILESS_MAIN(TestHostileProjects)
#include "test_hostile_projects.moc"
