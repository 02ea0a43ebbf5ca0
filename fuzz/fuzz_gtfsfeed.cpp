// Feeds come as ZIP archives from anywhere: any archive must be listed, and its first route
// planned, without a crash, a hang or memory without bound.
#include "fuzzinput.h"
#include "gtfs/routeplan.h"

using namespace tirvela;

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    FeedSource feed;
    RouteCatalog catalog;
    if (!feed.open(fuzzInputFile(data, size, QStringLiteral("feed.zip"))).isEmpty()
        || !readRouteCatalog(feed, catalog).isEmpty() || catalog.routes.empty())
        return 0;
    QString error;
    const std::optional<RouteSelection> selection = selectRoute(catalog, QString::fromUtf8(catalog.routes[0].id), {}, error);
    RouteTrips trips;
    if (!selection || !loadRouteTrips(feed, catalog, *selection, trips).isEmpty())
        return 0;
    const RoutePlan plan = planRoute(catalog, *selection, trips, {});
    if (plan.ok())
        routeStreamOf(plan);
    return 0;
}
