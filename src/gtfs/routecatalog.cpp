#include "gtfs/routecatalog.h"

#include "gtfs/feedidindex.h"
#include "gtfs/feedtable.h"

#include <QHash>

#include <algorithm>

namespace tirvela {

namespace {

// agency_id -> agency_name; a feed of one agency may leave agency_id out everywhere.
QString readAgencies(const FeedSource &feed, QHash<QByteArray, QString> &agencies)
{
    FeedTable table;
    if (!table.open(feed, QStringLiteral("agency.txt"), {"agency_name"}, false))
        return table.error();
    const int idColumn = table.column("agency_id");
    const int nameColumn = table.column("agency_name");
    while (table.next())
        agencies.insert(table.field(idColumn).toByteArray(), fieldText(table.field(nameColumn)));
    return table.error();
}

QString readRoutes(const FeedSource &feed, RouteCatalog &catalog, FeedIdIndex &index)
{
    QHash<QByteArray, QString> agencies;
    if (const QString problem = readAgencies(feed, agencies); !problem.isEmpty())
        return problem;
    FeedTable table;
    if (!table.open(feed, QStringLiteral("routes.txt"), {"route_id"}))
        return table.error();
    const int idColumn = table.column("route_id");
    const int shortColumn = table.column("route_short_name");
    const int longColumn = table.column("route_long_name");
    const int agencyColumn = table.column("agency_id");
    while (table.next()) {
        FeedRoute route;
        route.id = table.field(idColumn).toByteArray();
        if (route.id.isEmpty())
            return table.fail(QStringLiteral("пустой route_id"));
        if (!index.insert(route.id, int(catalog.routes.size())))
            return table.fail(QStringLiteral("route_id %1 уже был выше").arg(fieldText(route.id)));
        route.shortName = fieldText(table.field(shortColumn));
        route.longName = fieldText(table.field(longColumn));
        const QByteArray agencyId = table.field(agencyColumn).toByteArray();
        route.agency = agencies.value(agencyId, agencies.size() == 1 ? agencies.cbegin().value() : QString());
        catalog.routes.push_back(std::move(route));
    }
    return table.error();
}

QString readTrips(const FeedSource &feed, RouteCatalog &catalog, const FeedIdIndex &index)
{
    FeedTable table;
    if (!table.open(feed, QStringLiteral("trips.txt"), {"route_id", "service_id", "trip_id"}))
        return table.error();
    const int routeColumn = table.column("route_id");
    const int serviceColumn = table.column("service_id");
    const int directionColumn = table.column("direction_id");
    const int tripColumn = table.column("trip_id");
    const int headsignColumn = table.column("trip_headsign");
    LastLookup serviceLookup;
    while (table.next()) {
        const int route = index.find(table.field(routeColumn));
        if (route < 0)
            return table.fail(QStringLiteral("маршрута %1 нет в routes.txt").arg(fieldText(table.field(routeColumn))));
        const int direction = directionOf(table.field(directionColumn));
        if (direction < 0)
            return table.fail(QStringLiteral("direction_id должен быть 0 или 1"));
        FeedRoute &entry = catalog.routes[size_t(route)];
        ++entry.trips[size_t(direction)];
        const int service = serviceLookup(table.field(serviceColumn), [&](QByteArrayView id) {
            return catalog.calendar.service(id);
        });
        const auto at = std::lower_bound(entry.services.begin(), entry.services.end(), service);
        if (at == entry.services.end() || *at != service)
            entry.services.insert(at, service);
        if (catalog.keptRoutes[size_t(route)])
            catalog.keptTrips.push_back(TripRow{route, table.field(tripColumn).toByteArray(), service, direction,
                                                fieldText(table.field(headsignColumn)), table.line()});
    }
    return table.error();
}

} // namespace

int RouteCatalog::routeWithId(QByteArrayView id) const
{
    for (size_t at = 0; at < routes.size(); ++at) {
        if (routes[at].id == id)
            return int(at);
    }
    return -1;
}

int directionOf(QByteArrayView directionId)
{
    if (directionId.isEmpty())
        return 2;
    if (directionId.size() == 1 && (directionId[0] == '0' || directionId[0] == '1'))
        return directionId[0] - '0';
    return -1;
}

QString readRouteCatalog(const FeedSource &feed, RouteCatalog &catalog, const QStringList &keepTripsOf)
{
    FeedIdIndex index;
    QString problem = catalog.calendar.read(feed);
    if (problem.isEmpty())
        problem = readRoutes(feed, catalog, index);
    if (!problem.isEmpty())
        return problem;
    catalog.keptRoutes.assign(catalog.routes.size(), false);
    for (const QString &name : keepTripsOf) {
        if (name.isEmpty())
            continue; // names no route: listing the routes keeps no trips
        for (const int route : routesNamed(catalog, name))
            catalog.keptRoutes[size_t(route)] = true;
    }
    return readTrips(feed, catalog, index);
}

std::vector<int> routesNamed(const RouteCatalog &catalog, const QString &text)
{
    if (const int byId = catalog.routeWithId(text.toUtf8()); byId >= 0)
        return {byId};
    std::vector<int> named;
    for (size_t at = 0; at < catalog.routes.size(); ++at) {
        if (catalog.routes[at].shortName.compare(text, Qt::CaseInsensitive) == 0)
            named.push_back(int(at));
    }
    return named;
}

quint8 routeWeekdays(const RouteCatalog &catalog, const FeedRoute &route)
{
    quint8 days = 0;
    for (const int service : route.services)
        days |= catalog.calendar.weekdays(service);
    return days;
}

} // namespace tirvela
