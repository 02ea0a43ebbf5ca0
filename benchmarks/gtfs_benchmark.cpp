// Generates a transit feed folder with N stop_times rows (default 10 million, about 400 MB) and
// sets, in the same run and as whole processes, `tirvela-cli gtfs FEED` (the route list) and
// `tirvela-cli gtfs FEED --route 8 --into P.stm` (the import of one route) against `cat` of all the
// feed's files from the page cache; prints both ratios (wanted at most 2 and 4) and the peak memory
// of each process, which should not grow with the feed since stop_times.txt is streamed.
//   gtfs_benchmark [--rows N] [--keep DIR]   (--keep: make the feed in DIR and leave it there)

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

extern char **environ;

namespace {

constexpr int kRoutes = 100;
constexpr int kStopsPerTrip = 40;
constexpr int kRepeats = 3;
constexpr int kImportedRoute = 8; // a short name

// Writes a file a buffer at a time.
class Writer
{
public:
    explicit Writer(const QString &path) : mFile(path) { mOk = mFile.open(QIODevice::WriteOnly | QIODevice::Truncate); }
    ~Writer() { flush(); }
    void add(const QByteArray &text)
    {
        mBuffer += text;
        if (mBuffer.size() > (1 << 20))
            flush();
    }
    bool ok() const { return mOk; }

private:
    void flush()
    {
        mOk = mOk && mFile.write(mBuffer) == mBuffer.size();
        mBuffer.clear();
    }
    QFile mFile;
    QByteArray mBuffer;
    bool mOk = false;
};

QByteArray clock(int seconds)
{
    return QByteArray::number(seconds / 3600).rightJustified(2, '0') + ':'
           + QByteArray::number(seconds / 60 % 60).rightJustified(2, '0') + ':'
           + QByteArray::number(seconds % 60).rightJustified(2, '0');
}

// Trip t runs route t % kRoutes in direction t / kRoutes % 2, every route from 05:00 past midnight.
bool writeFeed(const QDir &dir, qint64 rows)
{
    const qint64 trips = std::max<qint64>(1, rows / kStopsPerTrip);
    Writer routes(dir.filePath(QStringLiteral("routes.txt")));
    Writer tripFile(dir.filePath(QStringLiteral("trips.txt")));
    Writer stops(dir.filePath(QStringLiteral("stops.txt")));
    Writer stopTimes(dir.filePath(QStringLiteral("stop_times.txt")));
    Writer calendar(dir.filePath(QStringLiteral("calendar.txt")));
    routes.add("route_id,agency_id,route_short_name,route_long_name,route_type\n");
    stops.add("stop_id,stop_name,stop_lat,stop_lon\n");
    for (int route = 0; route < kRoutes; ++route) {
        routes.add("R" + QByteArray::number(route) + ",A," + QByteArray::number(route + 1) + ",Маршрут "
                   + QByteArray::number(route + 1) + ",3\n");
        for (int stop = 0; stop < kStopsPerTrip; ++stop)
            stops.add("S" + QByteArray::number(route * kStopsPerTrip + stop) + ",Остановка " + QByteArray::number(route)
                      + '-' + QByteArray::number(stop) + ",55.75,37.61\n");
    }
    calendar.add("service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,end_date\n"
                 "WK,1,1,1,1,1,0,0,20260101,20261231\nWE,0,0,0,0,0,1,1,20260101,20261231\n");
    tripFile.add("route_id,service_id,trip_id,direction_id,trip_headsign\n");
    stopTimes.add("trip_id,arrival_time,departure_time,stop_id,stop_sequence,timepoint\n");
    for (qint64 trip = 0; trip < trips; ++trip) {
        const int route = int(trip % kRoutes);
        const int direction = int(trip / kRoutes % 2);
        const QByteArray id = 'T' + QByteArray::number(trip);
        tripFile.add("R" + QByteArray::number(route) + (trip % 7 == 6 ? ",WE," : ",WK,") + id + ','
                     + QByteArray::number(direction) + ",Конечная\n");
        const int start = 5 * 3600 + int(trip / kRoutes * 97 % (21 * 3600));
        for (int at = 0; at < kStopsPerTrip; ++at) {
            const int stop = direction == 0 ? at : kStopsPerTrip - 1 - at;
            const QByteArray time = clock(start + at * 90);
            stopTimes.add(id + ',' + time + ',' + time + ",S" + QByteArray::number(route * kStopsPerTrip + stop) + ','
                          + QByteArray::number(at + 1) + (at % 10 == 0 ? ",1\n" : ",0\n"));
        }
    }
    return routes.ok() && tripFile.ok() && stops.ok() && stopTimes.ok() && calendar.ok();
}

struct Run
{
    double seconds = -1; // wall time; negative when the program failed
    long peakKb = 0;     // the process's peak resident memory
};

// Runs a program to its end with its output dropped and its errors shown.
Run runProcess(const QString &program, const QStringList &arguments)
{
    std::vector<QByteArray> texts{program.toLocal8Bit()};
    for (const QString &argument : arguments)
        texts.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    QElapsedTimer timer;
    timer.start();
    pid_t child = 0;
    const int started = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    Run run;
    int status = 0;
    rusage usage{};
    if (started != 0 || wait4(child, &status, 0, &usage) != child)
        return run;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        run.seconds = timer.nsecsElapsed() / 1e9;
    run.peakKb = usage.ru_maxrss;
    return run;
}

// The fastest of a few runs, and the highest peak memory among them.
Run bestRun(const std::function<Run()> &once)
{
    Run best;
    best.seconds = 1e9;
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        const Run run = once();
        if (run.seconds < 0)
            return run;
        best.seconds = std::min(best.seconds, run.seconds);
        best.peakKb = std::max(best.peakKb, run.peakKb);
    }
    return best;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const qsizetype rowsAt = arguments.indexOf(QStringLiteral("--rows"));
    const qint64 rows = rowsAt > 0 ? arguments.value(rowsAt + 1).toLongLong() : 10'000'000;
    const qsizetype keepAt = arguments.indexOf(QStringLiteral("--keep"));
    QTemporaryDir temporary;
    const QString folder = keepAt > 0 ? arguments.value(keepAt + 1) : temporary.path();
    if (rows <= 0 || folder.isEmpty() || !QDir().mkpath(folder) || !writeFeed(QDir(folder), rows)) {
        std::fprintf(stderr, "usage: gtfs_benchmark [--rows N] [--keep DIR]; the feed could not be written\n");
        return 2;
    }
    QStringList files;
    qint64 bytes = 0;
    for (const QFileInfo &file : QDir(folder).entryInfoList({QStringLiteral("*.txt")}, QDir::Files)) {
        files << file.filePath();
        bytes += file.size();
    }
    std::printf("feed: %lld stop_times rows, %lld MB in %lld files\n", rows, bytes >> 20, qint64(files.size()));

    const QString cli = QStringLiteral(TIRVELA_CLI);
    const QString project = QDir(temporary.path()).filePath(QStringLiteral("imported.stm"));
    const Run floor = bestRun([&] { return runProcess(QStringLiteral("cat"), files); });
    const Run listing = bestRun([&] { return runProcess(cli, {QStringLiteral("gtfs"), folder}); });
    const Run import = bestRun([&] {
        QFile::remove(project);
        return runProcess(cli, {QStringLiteral("gtfs"), folder, QStringLiteral("--route"), QString::number(kImportedRoute),
                                QStringLiteral("--into"), project});
    });
    if (floor.seconds < 0 || listing.seconds < 0 || import.seconds < 0) {
        std::fprintf(stderr, "a run failed\n");
        return 1;
    }
    std::printf("cat of the files (floor):  %.3f s\n", floor.seconds);
    std::printf("tirvela-cli gtfs (list):   %.3f s, %.2f x the floor (wanted at most 2), peak memory %ld kB\n",
                listing.seconds, listing.seconds / floor.seconds, listing.peakKb);
    std::printf("tirvela-cli gtfs --route:  %.3f s, %.2f x the floor (wanted at most 4), peak memory %ld kB\n",
                import.seconds, import.seconds / floor.seconds, import.peakKb);
    return 0;
}
