#include "project/project.h"

#include <algorithm>

namespace tirvela {

bool Project::operator==(const Project &other) const
{
    if (routeCount != other.routeCount)
        return false;
    const int used = std::clamp(routeCount, 0, MaxRoutes);
    for (int route = 0; route < used; ++route) {
        if (routeStreams[size_t(route)] != other.routeStreams[size_t(route)])
            return false;
        for (int row = 0; row < BoardTypeCount; ++row) {
            if (!(boards[size_t(row)].routes[size_t(route)] == other.boards[size_t(row)].routes[size_t(route)]))
                return false;
        }
    }
    return true;
}

} // namespace tirvela
