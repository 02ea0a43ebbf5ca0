#pragma once

#include "feedfixture.h"
#include "gtfs/routeplan.h"

#include <QStringList>
#include <QTemporaryDir>

namespace tirvela::fixture {

// A feed read and one route of it planned, as the command-line tool and the editor do it.
struct GtfsRun
{
    QString error; // of the first step that failed
    RouteCatalog catalog;
    std::optional<RouteSelection> selection;
    RouteTrips trips;
    RoutePlan plan;

    QStringList stopNames(int direction) const
    {
        QStringList names;
        for (const PlannedStop &stop : plan.directions[size_t(direction)].stops)
            names << stop.name;
        return names;
    }
    QStringList times(int direction, int stop) const
    {
        QStringList texts;
        for (const int time : plan.directions[size_t(direction)].stops[size_t(stop)].times)
            texts << clockText(time);
        return texts;
    }
};

inline GtfsRun runGtfs(const QString &feedPath, const QString &route, const RoutePlanOptions &options = {},
                       const QString &reverseRoute = {})
{
    GtfsRun run;
    FeedSource feed;
    run.error = feed.open(feedPath);
    if (run.error.isEmpty())
        run.error = readRouteCatalog(feed, run.catalog, {route, reverseRoute});
    if (!run.error.isEmpty() || route.isEmpty())
        return run;
    run.selection = selectRoute(run.catalog, route, reverseRoute, run.error);
    if (!run.selection)
        return run;
    run.error = loadRouteTrips(feed, run.catalog, *run.selection, run.trips);
    // The editor lists the routes before one is chosen, so its catalog keeps no trips and
    // trips.txt is read again: that must give the very same trips and problems.
    RouteCatalog listed;
    RouteTrips reread;
    if (readRouteCatalog(feed, listed).isEmpty() && !listed.keptTrips.empty())
        run.error = QStringLiteral("a catalog read without route names kept trips");
    else if (const QString error = loadRouteTrips(feed, listed, *run.selection, reread); error != run.error || !(reread == run.trips))
        run.error = QStringLiteral("trips kept by the catalog and trips.txt read again differ: «%1», «%2»").arg(run.error, error);
    if (!run.error.isEmpty())
        return run;
    run.plan = planRoute(run.catalog, *run.selection, run.trips, options);
    run.error = run.plan.error;
    return run;
}

// Writes the files as a feed folder in `dir` and runs the import on it.
inline GtfsRun runGtfsFolder(const QTemporaryDir &dir, const FeedFiles &files, const QString &route,
                             const RoutePlanOptions &options = {}, const QString &reverseRoute = {})
{
    static int count = 0;
    const QString folder = dir.filePath(QStringLiteral("feed%1").arg(++count));
    if (!writeFeedFolder(folder, files))
        return GtfsRun{QStringLiteral("could not write the feed"), {}, {}, {}, {}};
    return runGtfs(folder, route, options, reverseRoute);
}

} // namespace tirvela::fixture
