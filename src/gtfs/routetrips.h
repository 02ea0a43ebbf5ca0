#pragma once

#include "gtfs/feedtable.h"
#include "gtfs/routecatalog.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace tirvela {

// Which routes of a feed make the route to import, and how their trips fall into two directions.
struct RouteSelection
{
    int route = -1;        // index into the catalog's routes
    int reverseRoute = -1; // a route of its own that runs the reverse direction, or -1
    QString pairing;       // how the two directions were found, for the user; empty for direction_id
};

// Chooses the route named `route`: a route_id, or a short name. A short name that two routes have
// which each run one direction makes a pair: the first is the forward direction (the one whose
// trips say direction_id 0, when they say it). `reverseRoute`, when not empty, names the route of
// the reverse direction explicitly. Nothing or an ambiguous name gives the error.
std::optional<RouteSelection> selectRoute(const RouteCatalog &catalog, const QString &route,
                                          const QString &reverseRoute, QString &error);

// One row of stop_times.txt that the import keeps.
struct TripStop
{
    int stop = 0;       // index into RouteTrips::stops
    int sequence = 0;
    int departure = -1; // seconds after the service day's midnight; -1 when the row has no time
    bool timepoint = true;

    bool operator==(const TripStop &) const = default;
};

struct RouteTrip
{
    QByteArray id;
    int service = -1;
    int direction = 2; // 0 forward, 1 reverse, 2 not told by the feed
    QString headsign;
    qint64 line = 0; // in trips.txt
    std::vector<TripStop> stops; // in stop_sequence order

    bool operator==(const RouteTrip &) const = default;
};

struct FeedStop
{
    QByteArray id;
    QString name;        // stop_name, or its Russian translation when the feed has one
    qint64 firstUse = 0; // line of stop_times.txt that first names it

    bool operator==(const FeedStop &) const = default;
};

// Every trip of the chosen routes on every day, with its stops and times: all that choosing a day,
// a pattern and the times needs, so that changing them reads nothing again.
struct RouteTrips
{
    std::vector<RouteTrip> trips;
    std::vector<FeedStop> stops;
    bool timepointColumn = false; // stop_times.txt tells timepoints

    bool operator==(const RouteTrips &) const = default;
};

// Reads trips.txt, then stop_times.txt once from end to end, keeping only the rows of the chosen
// routes' trips, then the names of their stops (stops.txt, translations.txt). An empty text when
// all read, otherwise the problem with its file and line ("Чтение прервано" when `progress`
// stopped it).
QString loadRouteTrips(const FeedSource &feed, const RouteCatalog &catalog, const RouteSelection &selection,
                       RouteTrips &trips, const FeedProgress &progress = {});

// A time of stop_times.txt: seconds after the service day's midnight ("25:10:00" is past it).
// -1 for an empty field, -2 for a text that is no time.
int feedTime(QByteArrayView text);

} // namespace tirvela
