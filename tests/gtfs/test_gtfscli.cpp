#include "../files/clirun.h"
#include "../files/fixtures.h"
#include "feedfixture.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tirvela;
using namespace tirvela::fixture;
using namespace Qt::StringLiterals;

// tirvela-cli gtfs, run as a user runs it: from a feed to a project that builds a flash image.
class TestGtfsCli : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;

    QString path(const QString &name) const { return mDir.filePath(name); }
    CliRun run(const QStringList &arguments) const { return runCli(arguments, mDir.path()); }

private slots:
    void initTestCase()
    {
        QVERIFY(writeFeedZip(path(u"feed.zip"_s), baseFeed()));
        QVERIFY(QDir().mkpath(path(u"program/sounds"_s)));
        QVERIFY(QDir().mkpath(path(u"empty"_s)));
        const QStringList sounds = commonPhraseSounds() << u"Центр.wav"_s << u"площадь.WAV"_s << u"Вокзал.wav"_s;
        for (int i = 0; i < sounds.size(); ++i)
            QVERIFY(writeFile(path(u"program/sounds/"_s + sounds[i]), waveFile(samples(40, i))));
    }

    void listsRoutes()
    {
        const CliRun listed = run({u"gtfs"_s, u"feed.zip"_s});
        QCOMPARE(listed.exitCode, 0);
        QVERIFY2(listed.out.contains(u"R5\t5\tЦентр — Вокзал\tГоравто\t3/1/0\tпн–сб\n"_s), qPrintable(listed.out));
        QVERIFY(listed.out.contains(u"R7\t7\tКольцо\tГоравто\t0/0/1\tпн–пт\n"_s));
    }

    void importedProjectBuildsAFlashImage()
    {
        const CliRun imported = run({u"gtfs"_s, u"feed.zip"_s, u"--route"_s, u"5"_s, u"--into"_s, u"route.stm"_s,
                                     u"--program-dir"_s, u"program"_s});
        QCOMPARE(imported.exitCode, 0);
        QVERIFY2(imported.out.contains(u"Маршрут 5 добавлен в route.stm"_s), qPrintable(imported.out));
        QVERIFY(!imported.out.contains(u"Нет в папке звуков"_s)); // found without regard to letter case

        const CliRun built = run({u"build"_s, u"route.stm"_s, u"--program-dir"_s, u"program"_s});
        QVERIFY2(built.exitCode == 0, qPrintable(built.out + built.err));
        QVERIFY(QFileInfo(path(u"route.bin"_s)).size() > 0);
        const CliRun dumped = run({u"dump"_s, u"route.stm"_s});
        QVERIFY(dumped.out.contains(u"Площадь.wav"_s) && dumped.out.contains(u"00:10:00"_s));
    }

    // An existing route is replaced only with --force; a refusal leaves the file as it was.
    void replacesOnlyWhenTold()
    {
        const QStringList arguments = {u"gtfs"_s, u"feed.zip"_s, u"--route"_s, u"5"_s, u"--into"_s, u"twice.stm"_s,
                                       u"--date"_s, u"20260110"_s};
        QCOMPARE(run(arguments).exitCode, 0);
        const QByteArray first = readFile(path(u"twice.stm"_s));
        const CliRun again = run(QStringList(arguments) << u"--times"_s << u"none"_s);
        QCOMPARE(again.exitCode, 1);
        QVERIFY2(again.err.contains(u"Маршрут 5 уже есть в проекте (--force заменит его список остановок)"_s), qPrintable(again.err));
        QCOMPARE(readFile(path(u"twice.stm"_s)), first);

        const CliRun forced = run(QStringList(arguments) << u"--times"_s << u"none"_s << u"--force"_s);
        QCOMPARE(forced.exitCode, 0);
        QVERIFY(forced.out.contains(u"Маршрут 5: список остановок заменён в twice.stm"_s));
        QVERIFY(readFile(path(u"twice.stm"_s)) != first);
        QVERIFY(!run({u"dump"_s, u"twice.stm"_s}).out.contains(u"10:00:00"_s));
    }

    void refusals_data()
    {
        QTest::addColumn<FeedFiles>("files");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("error");

        FeedFiles foreign = baseFeed();
        foreign[u"stops.txt"_s] = "stop_id,stop_name\nS1,Центр ★\nS2,Площадь\nS3,Вокзал\n";
        QTest::newRow("a character Windows-1251 lacks")
            << foreign << QStringList() << u"«Центр ★» (★)"_s;
        FeedFiles lettered = baseFeed();
        lettered[u"routes.txt"_s] = "route_id,route_short_name,route_type\nR5,5А,3\n";
        lettered[u"trips.txt"_s].replace("R7,WK,T5,,\n", "");
        QTest::newRow("a short name that is no number") << lettered << QStringList() << u"укажите --number N"_s;
        QTest::newRow("a project that does not read") << baseFeed() << QStringList{u"--into"_s, u"damaged.stm"_s}
                                                      << u"damaged.stm"_s;
    }
    void refusals()
    {
        QFETCH(FeedFiles, files);
        QFETCH(QStringList, options);
        QFETCH(QString, error);
        const QString feed = path(u"refused-"_s + QString::fromLatin1(QTest::currentDataTag()).left(12));
        QVERIFY(writeFeedFolder(feed, files));
        QVERIFY(writeFile(path(u"damaged.stm"_s), "not a project"));
        const QStringList into = options.isEmpty() ? QStringList{u"--into"_s, u"refused.stm"_s} : options;
        const CliRun refused = run(QStringList{u"gtfs"_s, feed, u"--route"_s, u"R5"_s} << into);
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.err.contains(error), qPrintable(refused.err));
        QVERIFY(!QFile::exists(path(u"refused.stm"_s)));
        QCOMPARE(readFile(path(u"damaged.stm"_s)), QByteArray("not a project"));
    }

    void refusedCharactersCanBeReplaced()
    {
        FeedFiles foreign = baseFeed();
        foreign[u"stops.txt"_s] = "stop_id,stop_name\nS1,Центр ★\nS2,Площадь\nS3,Вокзал\n";
        QVERIFY(writeFeedFolder(path(u"replaced"_s), foreign));
        const CliRun replaced = run({u"gtfs"_s, u"replaced"_s, u"--route"_s, u"5"_s, u"--replace"_s, u" ★="_s,
                                     u"--program-dir"_s, u"empty"_s});
        QCOMPARE(replaced.exitCode, 0);
        QVERIFY2(replaced.out.contains(u"Нет в папке звуков: Центр.wav, Площадь.wav, Вокзал.wav"_s), qPrintable(replaced.out));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no feed") << QStringList{};
        QTest::newRow("project options without a project") << QStringList{u"feed.zip"_s, u"--route"_s, u"5"_s, u"--force"_s};
        QTest::newRow("route options without a route") << QStringList{u"feed.zip"_s, u"--date"_s, u"20260105"_s};
        QTest::newRow("unknown times") << QStringList{u"feed.zip"_s, u"--route"_s, u"5"_s, u"--times"_s, u"all"_s};
        QTest::newRow("no such day") << QStringList{u"feed.zip"_s, u"--route"_s, u"5"_s, u"--date"_s, u"2026-01-05"_s};
        QTest::newRow("pattern 0") << QStringList{u"feed.zip"_s, u"--route"_s, u"5"_s, u"--pattern"_s, u"0"_s};
        QTest::newRow("replacement without =") << QStringList{u"feed.zip"_s, u"--route"_s, u"5"_s, u"--replace"_s, u"x"_s};
    }
    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        const CliRun refused = run(QStringList{u"gtfs"_s} << arguments);
        QCOMPARE(refused.exitCode, 2);
        QVERIFY2(refused.err.contains(u"usage: tirvela-cli gtfs FEED"_s), qPrintable(refused.err));
    }
};

QTEST_GUILESS_MAIN(TestGtfsCli)
#include "test_gtfscli.moc"
