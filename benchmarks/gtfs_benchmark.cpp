// Generates a transit feed folder with N stop_times rows (default 10 million, about 400 MB) and
// sets, in the same run, the route list and the import of one route against `cat` of the feed's
// files from the page cache; prints both ratios (wanted at most 2 and 4) and the peak memory of
// the import, which should not grow with the feed since stop_times.txt is streamed.
//   gtfs_benchmark [--rows N] [--keep DIR]   (--keep: make the feed in DIR and leave it there)

#include "gtfs/routeplan.h"
#include "peakmemory.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace tirvela;
using namespace tirvela::bench;

namespace {

constexpr int kRoutes = 100;
constexpr int kStopsPerTrip = 40;
constexpr int kRepeats = 3;

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

double bestSeconds(const std::function<bool()> &run)
{
    double best = 1e9;
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        QElapsedTimer timer;
        timer.start();
        if (!run())
            return -1;
        best = std::min(best, timer.nsecsElapsed() / 1e9);
    }
    return best;
}

bool catFiles(const QStringList &files)
{
    QProcess cat;
    cat.setStandardOutputFile(QProcess::nullDevice());
    cat.start(QStringLiteral("cat"), files);
    return cat.waitForFinished(-1) && cat.exitCode() == 0;
}

bool listRoutes(const QString &feedPath)
{
    FeedSource feed;
    RouteCatalog catalog;
    return feed.open(feedPath).isEmpty() && readRouteCatalog(feed, catalog).isEmpty() && catalog.routes.size() == kRoutes;
}

bool importRoute(const QString &feedPath)
{
    FeedSource feed;
    RouteCatalog catalog;
    QString error;
    if (!feed.open(feedPath).isEmpty() || !readRouteCatalog(feed, catalog).isEmpty())
        return false;
    const std::optional<RouteSelection> selection = selectRoute(catalog, QStringLiteral("8"), {}, error);
    RouteTrips trips;
    if (!selection || !loadRouteTrips(feed, catalog, *selection, trips).isEmpty())
        return false;
    const RoutePlan plan = planRoute(catalog, *selection, trips, {});
    return plan.ok() && !routeStreamOf(plan).isEmpty();
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

    const double floor = bestSeconds([&] { return catFiles(files); });
    const double listing = bestSeconds([&] { return listRoutes(folder); });
    resetPeakMemory();
    const long before = peakMemoryKb();
    const double import = bestSeconds([&] { return importRoute(folder); });
    const long peak = peakMemoryKb();
    if (floor < 0 || listing < 0 || import < 0) {
        std::fprintf(stderr, "a run failed\n");
        return 1;
    }
    std::printf("cat of the files (floor): %.3f s\n", floor);
    std::printf("route list:   %.3f s, %.2f x the floor (wanted at most 2)\n", listing, listing / floor);
    std::printf("route import: %.3f s, %.2f x the floor (wanted at most 4)\n", import, import / floor);
    std::printf("peak memory of the import: %ld kB (%ld kB before it)\n", peak, before);
    return 0;
}
