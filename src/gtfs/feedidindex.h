#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <string_view>
#include <unordered_map>

namespace tirvela {

// A feed's id (route_id, service_id, stop_id, trip_id) as a plain string hash. Qt's seeded hash
// cost several times as much, and reading a feed hashes an id on most rows.
inline size_t feedIdHash(QByteArrayView id)
{
    return std::hash<std::string_view>()(std::string_view(id.data(), size_t(id.size())));
}

// The ids of a feed to their places, looked up straight from the fields of a row.
class FeedIdIndex
{
public:
    // False when the id is there already.
    bool insert(QByteArrayView id, int place)
    {
        if (mPlaces.find(id) != mPlaces.end())
            return false;
        mPlaces.emplace(id.toByteArray(), place);
        return true;
    }

    // -1 when the id is not there.
    int find(QByteArrayView id) const
    {
        const auto found = mPlaces.find(id);
        return found == mPlaces.end() ? -1 : found->second;
    }

    size_t size() const { return mPlaces.size(); }

    template<typename Visit>
    void forEachId(Visit visit) const
    {
        for (const auto &[id, place] : mPlaces)
            visit(QByteArrayView(id));
    }

private:
    struct Hash
    {
        using is_transparent = void;
        size_t operator()(QByteArrayView id) const { return feedIdHash(id); }
    };
    struct Equal
    {
        using is_transparent = void;
        bool operator()(QByteArrayView a, QByteArrayView b) const { return a == b; }
    };

    std::unordered_map<QByteArray, int, Hash, Equal> mPlaces;
};

} // namespace tirvela
