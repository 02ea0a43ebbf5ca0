#include "gtfsrun.h"
#include "gtfs/routeplacement.h"
#include "project/boardcontent.h"
#include "project/stoptree.h"
#include "common/cp1251.h"

#include <QTest>

using namespace tirvela;
using namespace tirvela::fixture;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(tirvela::fixture::FeedFiles)

namespace {

const QStringList kThere = {u"Центр"_s, u"Площадь"_s, u"Вокзал"_s};
const QStringList kBack = {u"Вокзал"_s, u"Площадь"_s, u"Центр"_s};

FeedFiles withFile(FeedFiles files, const QString &name, const QByteArray &contents)
{
    files[name] = contents;
    return files;
}

// The base feed with the trips of route 5 told by `trips` (the trips.txt rows of R5).
FeedFiles withRouteTrips(const QByteArray &routes, const QByteArray &trips)
{
    FeedFiles files = baseFeed();
    files[u"routes.txt"_s] = "route_id,route_short_name,route_long_name,route_type\n" + routes + "R7,7,Кольцо,3\n";
    files[u"trips.txt"_s] = "route_id,service_id,trip_id,direction_id,trip_headsign\n" + trips + "R7,WK,T5,,\n";
    return files;
}

RoutePlanOptions onDay(const char *day)
{
    RoutePlanOptions options;
    options.day = QDate::fromString(QString::fromLatin1(day), u"yyyyMMdd"_s);
    return options;
}

} // namespace

// Reading feeds and planning the import of one route: directions, days, patterns, times, names.
class TestGtfsImport : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;

private slots:
    // The route list, from a folder and from an archive whose files sit in a folder of their own.
    void listsRoutesOfFolderAndArchive()
    {
        const QString zipPath = mDir.filePath(u"feed.zip"_s);
        QVERIFY(writeFeedZip(zipPath, baseFeed(), u"gtfs/"_s));
        QVERIFY(writeFeedFolder(mDir.filePath(u"folder"_s), baseFeed()));
        for (const QString &path : {zipPath, mDir.filePath(u"folder"_s)}) {
            const GtfsRun run = runGtfs(path, {});
            QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
            QCOMPARE(run.catalog.routes.size(), size_t(2));
            const FeedRoute &five = run.catalog.routes[0];
            QCOMPARE(five.shortName, u"5"_s);
            QCOMPARE(five.longName, u"Центр — Вокзал"_s);
            QCOMPARE(five.agency, u"Горавто"_s); // the only agency, named by no agency_id
            QCOMPARE(five.trips, (std::array<int, 3>{3, 1, 0}));
            QCOMPARE(weekdaysText(routeWeekdays(run.catalog, five)), u"пн–сб"_s);
            QCOMPARE(run.catalog.routes[1].trips, (std::array<int, 3>{0, 0, 1}));
            QCOMPARE(weekdaysText(routeWeekdays(run.catalog, run.catalog.routes[1])), u"пн–пт"_s);
        }
        // The same route imported from both gives the same stop list.
        QCOMPARE(routeStreamOf(runGtfs(zipPath, u"5"_s).plan), routeStreamOf(runGtfs(mDir.filePath(u"folder"_s), u"5"_s).plan));
    }

    void findsBothDirections_data()
    {
        QTest::addColumn<FeedFiles>("files");
        QTest::addColumn<QString>("route");
        QTest::addColumn<QString>("reverseRoute");
        QTest::addColumn<QString>("note");

        QTest::newRow("direction_id") << baseFeed() << u"5"_s << QString() << QString();
        QTest::newRow("no direction_id: by the order of the stops")
            << withRouteTrips("R5,5,,3\n", "R5,WK,T1,,\nR5,WK,T2,,\nR5,WK,T3,,\nR5,SA,T4,,\n") << u"R5"_s << QString()
            << u"по порядку остановок"_s;
        QTest::newRow("no direction_id, no common order: the trip starting at the other end")
            << withFile(withRouteTrips("R5,5,,3\n", "R5,WK,T1,,\nR5,WK,T2,,\nR5,WK,T3,,\nR5,SA,T4,,\n"), u"stop_times.txt"_s,
                        "trip_id,departure_time,stop_id,stop_sequence\nT1,08:00:00,S1,1\nT1,08:20:00,S2,2\nT1,08:30:00,S3,3\n"
                        "T2,09:00:00,S1,1\nT2,09:20:00,S2,2\nT2,09:30:00,S3,3\nT3,10:00:00,S3,1\nT3,10:10:00,S4,2\n"
                        "T4,11:00:00,S1,1\nT5,12:00:00,S1,1\n")
            << u"5"_s << QString() << u"по порядку остановок"_s;
        QTest::newRow("two routes of one number, one direction each")
            << withRouteTrips("R5A,5,Туда,3\nR5B,5,Обратно,3\n", "R5A,WK,T1,,\nR5A,WK,T2,,\nR5B,WK,T3,,\nR5A,SA,T4,,\n")
            << u"5"_s << QString() << u"у двух маршрутов"_s;
        QTest::newRow("two routes named explicitly")
            << withRouteTrips("R5A,5,Туда,3\nR5B,5к,Обратно,3\n", "R5A,WK,T1,0,\nR5A,WK,T2,0,\nR5B,WK,T3,0,\nR5A,SA,T4,0,\n")
            << u"R5A"_s << u"5к"_s << u"как указано"_s;
    }
    void findsBothDirections()
    {
        QFETCH(FeedFiles, files);
        QFETCH(QString, route);
        QFETCH(QString, reverseRoute);
        QFETCH(QString, note);
        const GtfsRun run = runGtfsFolder(mDir, files, route, {}, reverseRoute);
        QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
        QCOMPARE(run.stopNames(0).first(), u"Центр"_s);
        QCOMPARE(run.stopNames(1).first(), u"Вокзал"_s);
        if (QTest::currentDataTag() == QByteArrayLiteral("no direction_id, no common order: the trip starting at the other end"))
            QCOMPARE(run.stopNames(1), (QStringList{u"Вокзал"_s, u"Депо"_s}));
        else
            QCOMPARE(run.stopNames(1), kBack);
        const QString notes = run.plan.notes.join(u'\n');
        if (note.isEmpty())
            QVERIFY(!notes.contains(u"порядку"_s));
        else
            QVERIFY2(notes.contains(note), qPrintable(notes));
    }

    void ambiguousRouteNamesAreRefused()
    {
        const FeedFiles files = withRouteTrips("R5A,5,Туда,3\nR5B,5,Обратно,3\n",
                                               "R5A,WK,T1,0,\nR5A,WK,T2,1,\nR5B,WK,T3,0,\nR5B,SA,T4,1,\n");
        const GtfsRun run = runGtfsFolder(mDir, files, u"5"_s);
        QVERIFY2(run.error.contains(u"не один"_s) && run.error.contains(u"R5A"_s) && run.error.contains(u"R5B"_s),
                 qPrintable(run.error));
        QVERIFY(runGtfsFolder(mDir, files, u"R5B"_s).error.isEmpty());
        QVERIFY(runGtfsFolder(mDir, files, u"9"_s).error.contains(u"нет маршрута «9»"_s));
    }

    void choosesTheServiceDay_data()
    {
        QTest::addColumn<FeedFiles>("files");
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("shownDay");
        QTest::addColumn<QStringList>("forward");

        QTest::newRow("busiest weekday, said so") << baseFeed() << QString() << u"05.01.2026, понедельник — самый загруженный"_s
                                                  << kThere;
        QTest::newRow("a Saturday") << baseFeed() << u"20260110"_s << u"10.01.2026, суббота;"_s
                                    << QStringList{u"Центр"_s, u"Вокзал"_s};
        const QByteArray exceptions = "service_id,date,exception_type\nWK,20260107,2\nSA,20260107,1\n";
        QTest::newRow("calendar_dates: weekday service taken off, Saturday's put on")
            << withFile(baseFeed(), u"calendar_dates.txt"_s, exceptions) << u"20260107"_s << u"07.01.2026, среда;"_s
            << QStringList{u"Центр"_s, u"Вокзал"_s};
        QTest::newRow("calendar_dates only")
            << withFile(withFile(baseFeed(), u"calendar_dates.txt"_s, "service_id,date,exception_type\nWK,20260301,1\n"),
                        u"calendar.txt"_s, "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,end_date\n")
            << QString() << u"01.03.2026, воскресенье"_s << kThere;
    }
    void choosesTheServiceDay()
    {
        QFETCH(FeedFiles, files);
        QFETCH(QString, day);
        QFETCH(QString, shownDay);
        QFETCH(QStringList, forward);
        const GtfsRun run = runGtfsFolder(mDir, files, u"5"_s, onDay(day.toLatin1().constData()));
        QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
        QVERIFY2(run.plan.notes.first().contains(shownDay), qPrintable(run.plan.notes.first()));
        QCOMPARE(run.stopNames(0), forward);
    }

    void aDayWithoutTripsIsRefused()
    {
        const GtfsRun run = runGtfsFolder(mDir, baseFeed(), u"5"_s, onDay("20260111"));
        QCOMPARE(run.error, u"11.01.2026, воскресенье: маршрут в этот день не ходит"_s);
    }

    // The most frequent pattern is taken; the short turn is listed and can be chosen.
    void patternsByFrequency()
    {
        FeedFiles files = withRouteTrips("R5,5,,3\n", "R5,WK,T1,0,\nR5,WK,T2,0,\nR5,WK,T3,0,\nR5,WK,T4,0,\n");
        files[u"stop_times.txt"_s] = "trip_id,departure_time,stop_id,stop_sequence\n"
                                     "T4,06:00:00,S1,1\nT4,06:10:00,S2,2\n"
                                     "T1,07:00:00,S1,1\nT1,07:10:00,S2,2\nT1,07:20:00,S3,3\n"
                                     "T2,08:00:00,S1,1\nT2,08:10:00,S2,2\nT2,08:20:00,S3,3\n"
                                     "T3,09:00:00,S1,1\nT3,09:10:00,S2,2\nT3,09:20:00,S3,3\nT5,10:00:00,S4,1\n";
        GtfsRun run = runGtfsFolder(mDir, files, u"5"_s);
        QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
        const PlannedDirection &forward = run.plan.directions[0];
        QCOMPARE(forward.patterns.size(), size_t(2));
        QCOMPARE(forward.patterns[0].trips.size(), size_t(3));
        QCOMPARE(run.stopNames(0), kThere);
        QCOMPARE(run.times(0, 0), (QStringList{u"07:00:00"_s, u"08:00:00"_s, u"09:00:00"_s}));
        QVERIFY(run.plan.notes.contains(u"Прямое направление, вариант 2: 1 рейс, 2 остановки: Центр → Площадь"_s));
        QVERIFY(run.plan.directions[1].stops.empty());

        RoutePlanOptions second;
        second.pattern = {1, 0};
        run = runGtfsFolder(mDir, files, u"5"_s, second);
        QCOMPARE(run.stopNames(0), (QStringList{u"Центр"_s, u"Площадь"_s}));
        QCOMPARE(run.times(0, 0), QStringList{u"06:00:00"_s});

        second.pattern = {2, 0};
        QCOMPARE(runGtfsFolder(mDir, files, u"5"_s, second).error, u"Прямое направление: вариантов маршрута 2, варианта 3 нет"_s);
    }

    void controlTimes_data()
    {
        QTest::addColumn<bool>("timepointColumn");
        QTest::addColumn<ControlTimes>("mode");
        QTest::addColumn<QList<QStringList>>("times"); // of the forward stops

        const QStringList first = {u"08:00:00"_s, u"23:50:00"_s};
        const QStringList last = {u"00:10:00"_s, u"08:20:00"_s}; // 24:10:00 wraps to the next day's clock
        QTest::newRow("timepoints") << true << ControlTimes::Timepoints << QList<QStringList>{first, {}, last};
        QTest::newRow("no timepoint column: the first stop") << false << ControlTimes::Timepoints
                                                             << QList<QStringList>{first, {}, {}};
        QTest::newRow("first") << true << ControlTimes::First << QList<QStringList>{first, {}, {}};
        QTest::newRow("none") << true << ControlTimes::None << QList<QStringList>{{}, {}, {}};
    }
    void controlTimes()
    {
        QFETCH(bool, timepointColumn);
        QFETCH(ControlTimes, mode);
        QFETCH(QList<QStringList>, times);
        FeedFiles files = baseFeed();
        if (!timepointColumn)
            files[u"stop_times.txt"_s].replace(",timepoint\n", "\n").replace(",1\n", "\n").replace(",0\n", "\n");
        RoutePlanOptions options;
        options.times = mode;
        const GtfsRun run = runGtfsFolder(mDir, files, u"5"_s, options);
        QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
        for (int stop = 0; stop < 3; ++stop)
            QCOMPARE(run.times(0, stop), times[stop]);
        const bool wrapped = run.plan.notes.join(u'\n').contains(u"24:10:00 стало 00:10:00"_s);
        QCOMPARE(wrapped, mode == ControlTimes::Timepoints && timepointColumn);
    }

    // A stop holds 255 times: the rest are left out and the notes say from where.
    void timesBeyondTheLimitAreReported()
    {
        QByteArray trips = "route_id,service_id,trip_id,direction_id\n";
        QByteArray stopTimes = "trip_id,departure_time,stop_id,stop_sequence\n";
        for (int trip = 0; trip < 300; ++trip) {
            trips += "R5,WK,X" + QByteArray::number(trip) + ",0\n";
            stopTimes += "X" + QByteArray::number(trip) + "," + clockText(5 * 3600 + trip * 60).toLatin1() + ",S1,1\n";
        }
        FeedFiles files = baseFeed();
        files[u"trips.txt"_s] = trips;
        files[u"stop_times.txt"_s] = stopTimes;
        const GtfsRun run = runGtfsFolder(mDir, files, u"5"_s);
        QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
        QCOMPARE(run.plan.directions[0].stops[0].times.size(), size_t(MaxControlTimes));
        QVERIFY(run.plan.notes.contains(u"Остановка «Центр»: 300 времён, а остановка вмещает 255 — после 09:14:00 времена не записаны"_s));
    }

    void stopNames_data()
    {
        QTest::addColumn<QByteArray>("stops");
        QTest::addColumn<QByteArray>("translations");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("name");  // of the first stop
        QTest::addColumn<QString>("sound");
        QTest::addColumn<QString>("listed"); // among the folded names, or the error
        QTest::addColumn<bool>("refused");

        QTest::newRow("folded diacritics") << QByteArray("S1,\"Piața Ștefan cel Mare, Łódź\"") << QByteArray() << QString()
                                           << u"Piata Stefan cel Mare, Lodz"_s << u"Piata Stefan cel Mare, Lodz.wav"_s
                                           << u"«Piața Ștefan cel Mare, Łódź» → «Piata Stefan cel Mare, Lodz»"_s << false;
        QTest::newRow("refused characters") << QByteArray("S1,東京 Station") << QByteArray() << QString()
                                            << u"東京 Station"_s << QString() << u"«東京 Station» (東, 京)"_s << true;
        QTest::newRow("refused characters replaced") << QByteArray("S1,東京 Station") << QByteArray() << u"東京=Токио"_s
                                                     << u"Токио Station"_s << u"Токио Station.wav"_s << QString() << false;
        QTest::newRow("Russian translation")
            << QByteArray("S1,Centru") << QByteArray("table_name,field_name,language,translation,record_id\n"
                                                     "stops,stop_name,ro,Centru,S1\nstops,stop_name,ru,Центр города,S1\n")
            << QString() << u"Центр города"_s << u"Центр города.wav"_s << QString() << false;
        QTest::newRow("characters no file name holds") << QByteArray("S1,\"ул. Мира / \"\"Дом\"\": 1.\"") << QByteArray()
                                                       << QString() << u"ул. Мира / \"Дом\": 1."_s
                                                       << u"ул. Мира _ _Дом__ 1.wav"_s << QString() << false;
    }
    void stopNames()
    {
        QFETCH(QByteArray, stops);
        QFETCH(QByteArray, translations);
        QFETCH(QString, replacement);
        QFETCH(QString, name);
        QFETCH(QString, sound);
        QFETCH(QString, listed);
        QFETCH(bool, refused);
        FeedFiles files = baseFeed();
        files[u"stops.txt"_s] = "stop_id,stop_name\n" + stops + "\nS2,Площадь\nS3,Вокзал\nS4,Депо\n";
        if (!translations.isEmpty())
            files[u"translations.txt"_s] = translations;
        RoutePlanOptions options;
        if (!replacement.isEmpty())
            options.replacements = {{replacement.section(u'=', 0, 0), replacement.section(u'=', 1)}};
        const GtfsRun run = runGtfsFolder(mDir, files, u"5"_s, options);
        QCOMPARE(run.stopNames(0).first(), name);
        if (refused) {
            QVERIFY2(run.error.contains(listed), qPrintable(run.error));
            return;
        }
        QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
        QCOMPARE(run.plan.directions[0].stops[0].soundFile, sound);
        QCOMPARE(run.plan.foldedNames, listed.isEmpty() ? QStringList() : QStringList{listed});
        QVERIFY(run.plan.directions[0].stops[0].folded == !listed.isEmpty());
    }

    void errorsNameFileAndLine_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("error");

        QTest::newRow("missing required column") << u"stop_times.txt"_s << QByteArray("trip_id,departure_time,stop_sequence\n")
                                                 << u"stop_times.txt, строка 1: нет обязательного столбца stop_id"_s;
        QTest::newRow("unterminated quote") << u"stop_times.txt"_s
                                            << QByteArray("trip_id,departure_time,stop_id,stop_sequence\nT1,08:00:00,S1,1\n"
                                                          "T1,08:10:00,\"S2,2\nT1,08:20:00,S3,3\n")
                                            << u"stop_times.txt, строка 3: незакрытая кавычка"_s;
        QTest::newRow("trip without stop times")
            << u"trips.txt"_s << QByteArray("route_id,service_id,trip_id,direction_id\nR5,WK,T1,0\nR5,WK,T9,0\n")
            << u"trips.txt, строка 3: у рейса T9 нет ни одной строки в stop_times.txt"_s;
        QTest::newRow("stop that stops.txt lacks") << u"stops.txt"_s << QByteArray("stop_id,stop_name\nS1,Центр\nS3,Вокзал\n")
                                                   << u"stop_times.txt, строка 3: остановки S2 нет в stops.txt"_s;
        QTest::newRow("time that is no time")
            << u"stop_times.txt"_s << QByteArray("trip_id,departure_time,stop_id,stop_sequence\nT1,8:1:00,S1,1\n")
            << u"stop_times.txt, строка 2: время «8:1:00» не в виде ЧЧ:ММ:СС"_s;
        QTest::newRow("route that routes.txt lacks") << u"trips.txt"_s
                                                     << QByteArray("route_id,service_id,trip_id\nR5,WK,T1\nR9,WK,T2\n")
                                                     << u"trips.txt, строка 3: маршрута R9 нет в routes.txt"_s;
        QTest::newRow("date that is no date") << u"calendar_dates.txt"_s
                                              << QByteArray("service_id,date,exception_type\nWK,2026-01-07,2\n")
                                              << u"calendar_dates.txt, строка 2: дата не в виде ГГГГММДД"_s;
        QTest::newRow("missing file") << u"routes.txt"_s << QByteArray() << u"В расписании нет файла routes.txt"_s;
    }
    void errorsNameFileAndLine()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, contents);
        QFETCH(QString, error);
        FeedFiles files = baseFeed();
        if (contents.isEmpty())
            files.remove(file);
        else
            files[file] = contents;
        QCOMPARE(runGtfsFolder(mDir, files, u"5"_s).error, error);
    }

    void hostileArchivesAreRefused()
    {
        FeedFiles bomb = baseFeed();
        bomb[u"stop_times.txt"_s] += QByteArray(32 << 20, '\n');
        const QString bombPath = mDir.filePath(u"bomb.zip"_s);
        QVERIFY(writeFeedZip(bombPath, bomb));
        const GtfsRun run = runGtfs(bombPath, u"5"_s);
        QVERIFY2(run.error.startsWith(u"stop_times.txt: распаковывается в"_s), qPrintable(run.error));

        QVERIFY(writeFeedFolder(mDir.filePath(u"x"_s), {{u"notes.zip"_s, "no archive"}}));
        QVERIFY(runGtfs(mDir.filePath(u"x/notes.zip"_s), {}).error.contains(u"не папка и не ZIP-архив"_s));
    }

    // The stop list reads back as the editor shows it: three groups a stop, the sound in both
    // sound groups, the times in the third.
    void stopListReadsBack()
    {
        const GtfsRun run = runGtfsFolder(mDir, baseFeed(), u"5"_s);
        const RouteStreamReadResult read = readRouteStream(routeStreamOf(run.plan));
        QVERIFY(read.ok);
        const StopNode &root = read.tree.root();
        QCOMPARE(root.childCount(), 2);
        QCOMPARE(root.child(0).text, forwardDirectionText());
        QCOMPARE(root.child(1).child(0).text, toCp1251(u"Вокзал"_s));
        const StopNode &centre = root.child(0).child(0);
        QCOMPARE(centre.text, toCp1251(u"Центр"_s));
        QCOMPARE(centre.childCount(), 3);
        QCOMPARE(centre.child(0).child(0).text, toCp1251(u"Центр.wav"_s));
        QCOMPARE(centre.child(1).child(0).text, toCp1251(u"Центр.wav"_s));
        QCOMPARE(centre.child(2).childCount(), 2);
        QCOMPARE(centre.child(2).child(1).text, QByteArray("23:50:00"));
    }

    void placesTheRouteInAProject()
    {
        Project project;
        newProject(project);
        project.boards[0].routes[0].elements.push_back({1, 0, 0, "1"});
        QVERIFY(importRouteStream(project, "5", "new", false).error.isEmpty());
        QCOMPARE(project.routeCount, 2);
        QCOMPARE(project.routeNumberText(1), QByteArray("5"));

        const RoutePlacement taken = importRouteStream(project, "1", "other", false);
        QVERIFY(taken.numberTaken);
        QCOMPARE(project.routeStreams[0], QByteArray());

        const RoutePlacement replaced = importRouteStream(project, "1", "other", true);
        QVERIFY(replaced.replaces);
        QCOMPARE(project.routeStreams[0], QByteArray("other"));
        QCOMPARE(project.boards[0].routes[0].elements.size(), size_t(1)); // the board picture stays
        QCOMPARE(project.routeCount, 2);

        project.routeCount = MaxRoutes;
        QVERIFY(importRouteStream(project, "77", "x", false).error.contains(u"больше не помещается"_s));

        QVERIFY(routeNumberProblem(u"12"_s).isEmpty());
        for (const QString &bad : {u"0"_s, u"012"_s, u"10000"_s, u"5A"_s, u"٥"_s, QString()})
            QVERIFY2(!routeNumberProblem(bad).isEmpty(), qPrintable(bad));
    }
};

QTEST_GUILESS_MAIN(TestGtfsImport)
#include "test_gtfsimport.moc"
