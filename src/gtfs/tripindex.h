#pragma once

#include "gtfs/feedidindex.h"

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

namespace tirvela {

// trip_id -> place in RouteTrips::trips. Most trips that stop_times.txt names belong to other
// routes: a bit per hash value tells nearly all of those apart without touching a key.
class TripIndex
{
public:
    // False when the id is there already.
    bool insert(const QByteArray &id, int place);
    // -1 when the id is not there.
    int find(QByteArrayView id) const;

private:
    size_t bitOf(QByteArrayView id) const;

    FeedIdIndex mPlaces;
    std::vector<quint64> mBits; // one bit set per id; a sixteenth of them or fewer set
};

} // namespace tirvela
