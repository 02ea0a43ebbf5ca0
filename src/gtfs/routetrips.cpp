#include "gtfs/routetrips.h"

#include "gtfs/feedstopnames.h"
#include "gtfs/tripindex.h"


#include <algorithm>

namespace tirvela {

namespace {

// Adds a trips.txt row of a chosen route; the problem when its trip_id came before.
QString addTrip(const RouteSelection &selection, const TripRow &row, RouteTrips &trips, TripIndex &index)
{
    RouteTrip trip;
    trip.id = row.id;
    trip.service = row.service;
    trip.direction = selection.reverseRoute < 0 ? row.direction : row.route == selection.reverseRoute ? 1 : 0;
    trip.headsign = row.headsign;
    trip.line = row.line;
    if (!index.insert(trip.id, int(trips.trips.size())))
        return FeedTable::problemAt(QStringLiteral("trips.txt"), trip.line,
                                    QStringLiteral("trip_id %1 уже был выше").arg(fieldText(trip.id)));
    trips.trips.push_back(std::move(trip));
    return {};
}

// The chosen routes' rows of trips.txt, read again when the catalog did not keep them.
QString readTripRows(const FeedSource &feed, const RouteCatalog &catalog, const RouteSelection &selection,
                     RouteTrips &trips, TripIndex &index)
{
    FeedTable table;
    if (!table.open(feed, QStringLiteral("trips.txt"), {"route_id", "service_id", "trip_id"}))
        return table.error();
    const QByteArray forwardId = catalog.routes[size_t(selection.route)].id;
    const QByteArray reverseId = selection.reverseRoute >= 0 ? catalog.routes[size_t(selection.reverseRoute)].id : QByteArray();
    const int routeColumn = table.column("route_id");
    const int tripColumn = table.column("trip_id");
    const int serviceColumn = table.column("service_id");
    const int directionColumn = table.column("direction_id");
    const int headsignColumn = table.column("trip_headsign");
    while (table.next()) {
        const QByteArrayView route = table.field(routeColumn);
        const bool reverse = !reverseId.isEmpty() && route == reverseId;
        if (route != forwardId && !reverse)
            continue;
        const TripRow row{reverse ? selection.reverseRoute : selection.route, table.field(tripColumn).toByteArray(),
                          catalog.calendar.findService(table.field(serviceColumn)),
                          directionOf(table.field(directionColumn)), fieldText(table.field(headsignColumn)), table.line()};
        // The catalog checked every row; a file changed since then is checked again.
        if (row.direction < 0)
            return table.fail(QStringLiteral("direction_id должен быть 0 или 1"));
        if (const QString problem = addTrip(selection, row, trips, index); !problem.isEmpty())
            return problem;
    }
    return table.error();
}

bool keptByCatalog(const RouteCatalog &catalog, int route)
{
    return route < 0 || (size_t(route) < catalog.keptRoutes.size() && catalog.keptRoutes[size_t(route)]);
}

QString readTrips(const FeedSource &feed, const RouteCatalog &catalog, const RouteSelection &selection,
                  RouteTrips &trips, TripIndex &index)
{
    if (keptByCatalog(catalog, selection.route) && keptByCatalog(catalog, selection.reverseRoute)) {
        for (const TripRow &row : catalog.keptTrips) {
            if (row.route != selection.route && row.route != selection.reverseRoute)
                continue;
            if (const QString problem = addTrip(selection, row, trips, index); !problem.isEmpty())
                return problem;
        }
    } else if (const QString problem = readTripRows(feed, catalog, selection, trips, index); !problem.isEmpty()) {
        return problem;
    }
    if (trips.trips.empty())
        return QStringLiteral("У маршрута «%1» нет рейсов в trips.txt").arg(catalog.routes[size_t(selection.route)].shortName);
    return {};
}

QString readStopTimes(const FeedSource &feed, RouteTrips &trips, const TripIndex &index,
                      FeedIdIndex &stopIndex, const FeedProgress &progress)
{
    FeedTable table;
    if (!table.open(feed, QStringLiteral("stop_times.txt"), {"trip_id", "stop_id", "stop_sequence"}))
        return table.error();
    table.setProgress(progress);
    const int tripColumn = table.column("trip_id");
    const int stopColumn = table.column("stop_id");
    const int sequenceColumn = table.column("stop_sequence");
    const int departureColumn = table.column("departure_time");
    const int arrivalColumn = table.column("arrival_time");
    const int timepointColumn = table.column("timepoint");
    trips.timepointColumn = timepointColumn >= 0;
    // The rows of a trip follow each other in every feed seen: a trip_id is looked up once.
    LastLookup tripLookup;
    size_t lastTripStops = 0;
    while (table.next()) {
        const int tripIndex = tripLookup(table.field(tripColumn), [&](QByteArrayView id) { return index.find(id); });
        if (tripIndex < 0) {
            if (tripColumn == 0)
                table.skipRowsWithSameFirstField();
            continue;
        }
        TripStop row;
        bool number = false;
        row.sequence = table.field(sequenceColumn).toInt(&number);
        if (!number || row.sequence < 0)
            return table.fail(QStringLiteral("stop_sequence должен быть целым неотрицательным числом"));
        QByteArrayView time = table.field(departureColumn);
        if (time.isEmpty())
            time = table.field(arrivalColumn);
        row.departure = feedTime(time);
        if (row.departure == -2)
            return table.fail(QStringLiteral("время «%1» не в виде ЧЧ:ММ:СС").arg(fieldText(time)));
        row.timepoint = table.field(timepointColumn) != "0";
        const QByteArrayView stopId = table.field(stopColumn);
        row.stop = stopIndex.find(stopId);
        if (row.stop < 0) {
            row.stop = int(trips.stops.size());
            stopIndex.insert(stopId, row.stop);
            trips.stops.push_back(FeedStop{stopId.toByteArray(), {}, table.line()});
        }
        std::vector<TripStop> &stops = trips.trips[size_t(tripIndex)].stops;
        // A trip mostly has as many stops as the one before it: room for them at once, not by doublings.
        if (stops.empty())
            stops.reserve(lastTripStops);
        stops.push_back(row);
        lastTripStops = stops.size();
    }
    return table.error();
}

} // namespace

int feedTime(QByteArrayView text)
{
    if (text.isEmpty())
        return -1;
    const qsizetype firstColon = text.indexOf(':');
    if (firstColon < 1 || firstColon > 3 || text.size() != firstColon + 6 || text[firstColon + 3] != ':')
        return -2;
    int parts[3] = {0, 0, 0};
    int part = 0;
    for (const char c : text) {
        if (c == ':') {
            ++part;
        } else if (c >= '0' && c <= '9') {
            parts[part] = parts[part] * 10 + (c - '0');
        } else {
            return -2;
        }
    }
    if (parts[1] > 59 || parts[2] > 59)
        return -2;
    return parts[0] * 3600 + parts[1] * 60 + parts[2];
}

QString loadRouteTrips(const FeedSource &feed, const RouteCatalog &catalog, const RouteSelection &selection,
                       RouteTrips &trips, const FeedProgress &progress)
{
    TripIndex index;
    if (const QString problem = readTrips(feed, catalog, selection, trips, index); !problem.isEmpty())
        return problem;
    FeedIdIndex stopIndex;
    if (const QString problem = readStopTimes(feed, trips, index, stopIndex, progress); !problem.isEmpty())
        return problem;
    for (RouteTrip &trip : trips.trips) {
        if (trip.stops.empty())
            return QStringLiteral("trips.txt, строка %1: у рейса %2 нет ни одной строки в stop_times.txt")
                .arg(trip.line)
                .arg(fieldText(trip.id));
        std::stable_sort(trip.stops.begin(), trip.stops.end(),
                         [](const TripStop &a, const TripStop &b) { return a.sequence < b.sequence; });
    }
    return readStopNames(feed, trips.stops, stopIndex);
}

} // namespace tirvela
