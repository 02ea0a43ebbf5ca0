#pragma once

#include "gtfs/feedsource.h"
#include "gtfs/servicecalendar.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace tirvela {

// A route of a feed as the route list shows it.
struct FeedRoute
{
    QByteArray id;
    QString shortName;
    QString longName;
    QString agency;
    // Its trips over the whole feed: direction_id 0, direction_id 1, no direction_id.
    std::array<int, 3> trips{};
    std::vector<int> services; // the calendar's indexes, sorted, each once

    int tripCount() const { return trips[0] + trips[1] + trips[2]; }
    // Trips in both directions as direction_id tells them.
    bool hasBothDirections() const { return trips[0] > 0 && trips[1] > 0; }
};

// A row of trips.txt as importing its route needs it.
struct TripRow
{
    int route = -1;      // index into RouteCatalog::routes
    QByteArray id;
    int service = -1;    // the calendar's index
    int direction = 2;   // as directionOf tells it
    QString headsign;
    qint64 line = 0;
};

// The routes of a feed with their agencies and trip counts, and its service calendar: what the
// route list needs and what choosing a route starts from. stop_times.txt is not read for it.
struct RouteCatalog
{
    std::vector<FeedRoute> routes;
    ServiceCalendar calendar;
    // The trips.txt rows of the routes named when the catalog was read, so that importing one of
    // them reads trips.txt once; keptRoutes[route] tells which routes they are.
    std::vector<TripRow> keptTrips;
    std::vector<bool> keptRoutes;

    // The route with this route_id; -1 when none has it.
    int routeWithId(QByteArrayView id) const;
};

// Reads agency.txt, routes.txt, trips.txt and the calendar; an empty text when they read,
// otherwise the problem with its file and line. The trips of the routes `keepTripsOf` names (as
// routesNamed finds them) are kept.
QString readRouteCatalog(const FeedSource &feed, RouteCatalog &catalog, const QStringList &keepTripsOf = {});

// The routes a text names: the one with that route_id, or else those with that short name.
std::vector<int> routesNamed(const RouteCatalog &catalog, const QString &text);

// The weekdays any service of the route runs on.
quint8 routeWeekdays(const RouteCatalog &catalog, const FeedRoute &route);

// What a trip's direction_id says: 0, 1, or 2 when it has none. -1 for any other value.
int directionOf(QByteArrayView directionId);

} // namespace tirvela
