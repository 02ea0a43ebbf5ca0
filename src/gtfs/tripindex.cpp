#include "gtfs/tripindex.h"

#include <algorithm>

namespace tirvela {

namespace {

constexpr size_t kBitsPerId = 16;

} // namespace

size_t TripIndex::bitOf(QByteArrayView id) const
{
    return feedIdHash(id) & (mBits.size() * 64 - 1);
}

bool TripIndex::insert(const QByteArray &id, int place)
{
    if (!mPlaces.insert(id, place))
        return false;
    if (mPlaces.size() * kBitsPerId > mBits.size() * 64) {
        mBits.assign(std::max<size_t>(mBits.size() * 2, 1), 0);
        mPlaces.forEachId([this](QByteArrayView known) {
            const size_t bit = bitOf(known);
            mBits[bit / 64] |= quint64(1) << (bit % 64);
        });
    } else {
        const size_t bit = bitOf(id);
        mBits[bit / 64] |= quint64(1) << (bit % 64);
    }
    return true;
}

int TripIndex::find(QByteArrayView id) const
{
    if (mBits.empty())
        return -1;
    const size_t bit = bitOf(id);
    if (!(mBits[bit / 64] >> (bit % 64) & 1))
        return -1;
    return mPlaces.find(id);
}

} // namespace tirvela
