#include "gtfs/stoppatterns.h"

#include <QHash>

#include <algorithm>
#include <map>

namespace tirvela {

namespace {

std::vector<int> stopsOf(const RouteTrip &trip)
{
    std::vector<int> stops;
    stops.reserve(trip.stops.size());
    for (const TripStop &row : trip.stops)
        stops.push_back(row.stop);
    return stops;
}

int firstDeparture(const RouteTrip &trip)
{
    for (const TripStop &row : trip.stops) {
        if (row.departure >= 0)
            return row.departure;
    }
    return -1;
}

// The headsign most trips of the pattern show.
QString usualHeadsign(const RouteTrips &routeTrips, const StopPattern &pattern)
{
    QHash<QString, int> counts;
    QString usual;
    for (const int trip : pattern.trips) {
        const QString &headsign = routeTrips.trips[size_t(trip)].headsign;
        if (++counts[headsign] > counts.value(usual))
            usual = headsign;
    }
    return usual;
}

// Whether a trip runs against the reference pattern.
bool runsAgainst(const RouteTrips &routeTrips, const RouteTrip &trip, const StopPattern &reference,
                 const QString &referenceHeadsign)
{
    QHash<QString, int> position;
    for (size_t at = 0; at < reference.stops.size(); ++at)
        position.insert(routeTrips.stops[size_t(reference.stops[at])].name, int(at));
    int along = 0;
    int against = 0;
    int previous = -1;
    for (const TripStop &row : trip.stops) {
        const int at = position.value(routeTrips.stops[size_t(row.stop)].name, -1);
        if (at >= 0 && previous >= 0 && at != previous)
            ++(at > previous ? along : against);
        if (at >= 0)
            previous = at;
    }
    if (along != against)
        return against > along;
    const auto nameAt = [&](int stop) { return routeTrips.stops[size_t(stop)].name; };
    if (nameAt(trip.stops.front().stop) == nameAt(reference.stops.back())
        || nameAt(trip.stops.back().stop) == nameAt(reference.stops.front()))
        return true;
    return !trip.headsign.isEmpty() && !referenceHeadsign.isEmpty() && trip.headsign != referenceHeadsign;
}

} // namespace

std::vector<StopPattern> stopPatterns(const RouteTrips &routeTrips, const std::vector<int> &trips)
{
    std::map<std::vector<int>, std::vector<int>> grouped;
    for (const int trip : trips)
        grouped[stopsOf(routeTrips.trips[size_t(trip)])].push_back(trip);
    std::vector<StopPattern> patterns;
    for (auto &[stops, patternTrips] : grouped) {
        std::stable_sort(patternTrips.begin(), patternTrips.end(), [&](int a, int b) {
            return firstDeparture(routeTrips.trips[size_t(a)]) < firstDeparture(routeTrips.trips[size_t(b)]);
        });
        patterns.push_back(StopPattern{stops, std::move(patternTrips)});
    }
    std::stable_sort(patterns.begin(), patterns.end(), [&](const StopPattern &a, const StopPattern &b) {
        if (a.trips.size() != b.trips.size())
            return a.trips.size() > b.trips.size();
        if (a.stops.size() != b.stops.size())
            return a.stops.size() > b.stops.size();
        return firstDeparture(routeTrips.trips[size_t(a.trips.front())])
               < firstDeparture(routeTrips.trips[size_t(b.trips.front())]);
    });
    return patterns;
}

DirectionSplit splitDirections(const RouteTrips &routeTrips, const std::vector<int> &trips)
{
    DirectionSplit split;
    std::vector<int> untold;
    for (const int trip : trips) {
        const int direction = routeTrips.trips[size_t(trip)].direction;
        (direction < 2 ? split.trips[size_t(direction)] : untold).push_back(trip);
    }
    if (untold.empty())
        return split;
    split.byStopOrder = true;
    const std::vector<StopPattern> reference = stopPatterns(routeTrips, split.trips[0].empty() ? untold : split.trips[0]);
    const QString headsign = usualHeadsign(routeTrips, reference.front());
    for (const int trip : untold) {
        const bool against = runsAgainst(routeTrips, routeTrips.trips[size_t(trip)], reference.front(), headsign);
        split.trips[against ? 1 : 0].push_back(trip);
    }
    return split;
}

} // namespace tirvela
