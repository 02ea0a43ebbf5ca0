#pragma once

#include "gtfs/feedsource.h"
#include "gtfs/routetrips.h"

#include "gtfs/feedidindex.h"

namespace tirvela {

// Names the stops that `index` (stop_id -> place in `stops`) holds from stops.txt, in Russian
// where translations.txt has it. An empty text when every stop got a name, otherwise the problem.
QString readStopNames(const FeedSource &feed, std::vector<FeedStop> &stops, const FeedIdIndex &index);

} // namespace tirvela
