#pragma once

#include "gtfs/routetrips.h"

#include <array>
#include <vector>

namespace tirvela {

// Trips of one direction that call at the same stops in the same order.
struct StopPattern
{
    std::vector<int> stops; // indexes into RouteTrips::stops
    std::vector<int> trips; // indexes into RouteTrips::trips, by first departure
};

// The patterns of the given trips: the most frequent first, then the longer, then the earlier.
std::vector<StopPattern> stopPatterns(const RouteTrips &routeTrips, const std::vector<int> &trips);

// The trips of each direction: as direction_id (or the pair of routes) says; trips that do not
// say are put with the forward direction when they pass the stops of its most frequent pattern
// in its order, with the reverse one when they pass them the other way round. Stops are compared
// by name, since the two sides of a street are usually two stops of one name. Where the order
// tells nothing, a trip that starts where the forward pattern ends, or has another headsign,
// runs the other way.
struct DirectionSplit
{
    std::array<std::vector<int>, 2> trips;
    bool byStopOrder = false; // some trip had to be placed by its stops
};
DirectionSplit splitDirections(const RouteTrips &routeTrips, const std::vector<int> &trips);

} // namespace tirvela
