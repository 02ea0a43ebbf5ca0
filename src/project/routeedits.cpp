#include "project/routeedits.h"

#include <utility>

namespace tirvela {

namespace {

bool isRoute(const Project &project, int route)
{
    return route >= 0 && route < project.routeCount && route < MaxRoutes;
}

RouteSlot takeSlot(Project &project, int route)
{
    RouteSlot slot{std::exchange(project.routeStreams[size_t(route)], {}), {}};
    for (int row = 0; row < BoardTypeCount; ++row)
        slot.boards[size_t(row)] = std::exchange(project.boards[size_t(row)].routes[size_t(route)], {});
    return slot;
}

void putSlot(Project &project, int route, RouteSlot &&slot)
{
    project.routeStreams[size_t(route)] = std::move(slot.stream);
    for (int row = 0; row < BoardTypeCount; ++row)
        project.boards[size_t(row)].routes[size_t(route)] = std::move(slot.boards[size_t(row)]);
}

} // namespace

RouteNumberTexts sameRouteNumberTexts(const QByteArray &text)
{
    RouteNumberTexts texts;
    texts.fill(text);
    return texts;
}

RouteSlot newRouteSlot(const QByteArray &numberText, const QByteArray &stream)
{
    RouteSlot slot{stream, {}};
    for (BoardRouteEntry &entry : slot.boards)
        entry.routeNumberText = numberText;
    return slot;
}

bool insertRoute(Project &project, int index, RouteSlot slot)
{
    if (project.routeCount < 0 || project.routeCount >= MaxRoutes || index < 0 || index > project.routeCount)
        return false;
    for (int route = project.routeCount; route > index; --route)
        putSlot(project, route, takeSlot(project, route - 1));
    putSlot(project, index, std::move(slot));
    ++project.routeCount;
    return true;
}

std::optional<RouteSlot> removeRoute(Project &project, int index)
{
    if (!isRoute(project, index))
        return std::nullopt;
    RouteSlot removed = takeSlot(project, index);
    for (int route = index + 1; route < project.routeCount; ++route)
        putSlot(project, route - 1, takeSlot(project, route));
    --project.routeCount;
    return removed;
}

bool swapRoutes(Project &project, int first, int second)
{
    if (!isRoute(project, first) || !isRoute(project, second))
        return false;
    std::swap(project.routeStreams[size_t(first)], project.routeStreams[size_t(second)]);
    for (Board &board : project.boards)
        std::swap(board.routes[size_t(first)], board.routes[size_t(second)]);
    return true;
}

std::optional<RouteNumberTexts> setRouteNumberTexts(Project &project, int route, const RouteNumberTexts &texts)
{
    if (!isRoute(project, route))
        return std::nullopt;
    RouteNumberTexts previous;
    for (int row = 0; row < BoardTypeCount; ++row)
        previous[size_t(row)] = std::exchange(project.boards[size_t(row)].routes[size_t(route)].routeNumberText,
                                              texts[size_t(row)]);
    return previous;
}

std::optional<QByteArray> setRouteStream(Project &project, int route, const QByteArray &stream)
{
    if (!isRoute(project, route))
        return std::nullopt;
    return std::exchange(project.routeStreams[size_t(route)], stream);
}

} // namespace tirvela
