#include "fixtures.h"
#include "fonts/fonttable.h"
#include "project/boardcontent.h"
#include "project/projectbuilder.h"
#include "project/projectreader.h"
#include "sound/soundlibrary.h"
#include "sound/wavecheck.h"

#include <QDir>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace tirvela;
using namespace tirvela::fixture;
using namespace Qt::StringLiterals;

// The sample project a new user starts with (samples/, the program folder of its sounds): it reads,
// its board pictures suit their boards, its sounds are what the Announcer plays, and it builds.
class TestSample : public QObject
{
    Q_OBJECT

    const QString mFolder = QStringLiteral(TIRVELA_SAMPLES "/");
    std::unique_ptr<Project> mProject = std::make_unique<Project>();
    SoundTable mSounds;

private slots:
    void initTestCase()
    {
        const ProjectReadResult read = readProjectFile(*mProject, mFolder + u"sample.stm"_s);
        QVERIFY2(read.ok(), qPrintable(read.status.message));
        ListLog log;
        QCOMPARE(listSoundsFolder(mSounds, mFolder, log).outcome, SoundListing::Outcome::Listed);
        QVERIFY2(log.lines.isEmpty(), qPrintable(log.lines.join(u'\n')));
    }

    void routesRunBothWaysWithSoundsAndTimes()
    {
        QVERIFY(mProject->routeCount >= 3);
        QSet<int> played; // sound table entries
        for (const QString &name : commonPhraseSounds())
            played.insert(mSounds.find(toCp1251(name)));
        for (int route = 0; route < mProject->routeCount; ++route) {
            const RouteStreamReadResult read = readRouteStream(mProject->routeStreams[size_t(route)]);
            QVERIFY(read.ok);
            QCOMPARE(read.tree.root().childCount(), 2);
            int times = 0;
            for (const StopNode &direction : read.tree.root().children()) {
                QVERIFY(direction.childCount() >= 3);
                for (const StopNode &stop : direction.children()) {
                    QCOMPARE(stop.childCount(), 3);
                    QVERIFY(stop.child(0).childCount() > 0);
                    for (int group = 0; group < 2; ++group) {
                        for (const StopNode &item : stop.child(group).children())
                            played.insert(mSounds.find(item.text));
                    }
                    times += stop.child(2).childCount();
                }
            }
            QVERIFY2(times > 0, qPrintable(u"route %1 has no control time"_s.arg(route + 1)));
        }
        // Every sound played is in the folder, and every sound in the folder is played.
        QVERIFY(!played.contains(-1));
        QCOMPARE(played.size(), mSounds.count());
    }

    void boardPicturesUseOfferedFontsAndFit()
    {
        for (int row = 0; row < BoardTypeCount; ++row) {
            const BoardType &type = kBoardTypes[size_t(row)];
            for (int route = 0; route < mProject->routeCount; ++route) {
                BoardRouteEntry entry = mProject->boards[size_t(row)].routes[size_t(route)];
                QVERIFY(entry.elements.size() >= 2);
                QCOMPARE(entry.routeNumberText, mProject->routeNumberText(route));
                redrawRoutePicture(entry);
                for (const DisplayElement &element : entry.elements) {
                    const QString where = u"%1, route %2: %3"_s.arg(QString::fromUtf8(type.caption)).arg(route + 1)
                                              .arg(fromCp1251(element.text));
                    const FontEntry *font = fontByNumber(element.font);
                    QVERIFY2(font && (font->boardTypeMask & type.id), qPrintable(where));
                    QVERIFY2(element.width > 0 && element.x >= 0 && element.x + element.width <= type.columns,
                             qPrintable(where));
                    QVERIFY2(element.y >= 0 && element.y + element.height <= type.rows, qPrintable(where));
                }
            }
        }
    }

    void everySoundIsPlayable()
    {
        for (int i = 0; i < mSounds.count(); ++i) {
            const WaveCheckResult check = checkWaveFile(mSounds.at(i).path());
            QVERIFY2(check.ok(), qPrintable(check.status().message));
            QCOMPARE(check.value().dataOffset, 44);
        }
    }

    void buildsIntoAFlashImageWithoutAMessage()
    {
        QTemporaryDir dir;
        const QString image = dir.filePath(u"sample.bin"_s);
        ListLog log;
        QVERIFY(buildProjectFile(*mProject, mSounds, image, log, BuildMode::FlashImage).ok());
        QCOMPARE(log.lines, QStringList{u"Сохранение двоичного файла "_s + QDir::toNativeSeparators(image)});

        // The image reads back as the same project.
        auto reread = std::make_unique<Project>();
        QVERIFY(readProjectFile(*reread, image).ok());
        QCOMPARE(reread->routeCount, mProject->routeCount);
        QVERIFY(reread->routeStreams == mProject->routeStreams);
    }
};

QTEST_GUILESS_MAIN(TestSample)
#include "test_sample.moc"
